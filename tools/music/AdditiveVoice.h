#pragma once

#include <vector>

// One partial of a voice: frequency as a multiple of the note's pitch, gain
// relative to the fundamental, and an exponential decay in 1/s (0 holds the
// partial for as long as the note sounds, as an organ pipe does).
struct Partial {
    double ratio;
    double gain;
    double decay;
};

struct VoiceSettings {
    std::vector<Partial> partials;
    double attack = 0.05;      // seconds, raised-cosine rise
    double release = 0.2;      // seconds after the note ends, raised-cosine fall
    double vibratoRate = 0.0;  // Hz
    double vibratoDepth = 0.0; // relative frequency swing, 0.003 is about 5 cents
    double vibratoDelay = 0.0; // seconds before the vibrato has fully faded in
    double chorusCents = 0.0;  // two copies detuned up and down by this much
    double gain = 1.0;
};

// Renders notes of one timbre by summing sine partials; each note is mixed
// into a mono buffer of float samples.
class AdditiveVoice {
public:
    AdditiveVoice(VoiceSettings settings, int sampleRate);

    // start and length in seconds, the note sounding for length and then
    // releasing; midiNote 69 is A4 = 440 Hz. Samples past the end of mix are
    // dropped.
    void addNote(std::vector<float>& mix, double start, double length, int midiNote, double velocity) const;

    static double frequency(int midiNote);

private:
    VoiceSettings settings;
    int sampleRate;
};
