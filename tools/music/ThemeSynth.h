#pragma once

#include <cstdint>
#include <vector>

// The game's background music, "vampire_theme.wav": a sixteen-bar lullaby
// in A minor and 3/4 time, played by organ voices over a waltzing bass with
// a music box doubling the tune, the second half slightly out of tune. The
// track starts and ends in silence so that the restart after its end does
// not click. Rendering is deterministic: the same samples on every build.
class ThemeSynth {
public:
    static constexpr int sampleRate = 22050;
    static constexpr int bars = 16;
    static constexpr double beatsPerMinute = 80.0;
    static constexpr double beatsPerBar = 3.0;
    // Peak of the finished track relative to full scale (about -1 dBFS).
    static constexpr double peakLevel = 0.89;

    static double beatSeconds() { return 60.0 / beatsPerMinute; }
    static double lengthSeconds() { return bars * beatsPerBar * beatSeconds(); }
    static std::size_t sampleCount();

    // The mono mix in the range [-peakLevel, peakLevel].
    std::vector<float> render() const;
    // render() as 16-bit PCM.
    std::vector<std::int16_t> renderPcm() const;
};
