#include "ThemeSynth.h"

#include "AdditiveVoice.h"
#include "Reverb.h"

#include <algorithm>
#include <cmath>

namespace {

// Notes are shifted by this lead-in so that the track opens on silence.
const double leadIn = 0.06;
// The last bar rings out within this much of the end; the rest is the reverb
// tail, faded to silence.
const double tailFade = 0.35;
// Gap between repeated notes of one voice, so that they are heard apart.
const double articulation = 0.06;

// A note of one voice within its bar.
struct BarNote {
    int midi;
    double beats;
};

// Each bar of the tune adds up to three beats; a midi value of 0 is a rest.
const std::vector<std::vector<BarNote>> tune = {
    {{76, 2}, {72, 1}},          {{76, 1}, {74, 1}, {72, 1}}, {{74, 2}, {77, 1}},          {{76, 3}},
    {{72, 1}, {71, 1}, {69, 1}}, {{72, 2}, {69, 1}},          {{71, 1}, {72, 1}, {68, 1}}, {{69, 3}},
    {{77, 2}, {76, 1}},          {{76, 1}, {74, 1}, {72, 1}}, {{74, 2}, {69, 1}},          {{72, 2}, {71, 1}},
    {{69, 1}, {72, 1}, {77, 1}}, {{76, 1}, {75, 1}, {72, 1}}, {{71, 2}, {68, 1}},          {{69, 2}, {0, 1}},
};

// Chord tones held through each bar: Am Am Dm E | Am F E7 Am | F C Dm Am | F D#dim7 E7 Am.
const std::vector<std::vector<int>> chords = {
    {57, 60, 64}, {57, 60, 64},     {57, 62, 65},     {56, 59, 64}, {57, 60, 64}, {57, 60, 65},
    {56, 59, 62}, {57, 60, 64},     {57, 60, 65},     {55, 60, 64}, {57, 62, 65}, {57, 60, 64},
    {57, 60, 65}, {54, 57, 60, 63}, {56, 59, 62, 64}, {57, 60, 64},
};

// The waltz bass: the root for two beats, then the fifth or another chord
// tone on the third; the last bar ends on a low A.
const std::vector<std::vector<BarNote>> bass = {
    {{45, 2}, {52, 1}}, {{45, 2}, {52, 1}}, {{38, 2}, {45, 1}}, {{40, 2}, {47, 1}},
    {{45, 2}, {40, 1}}, {{41, 2}, {48, 1}}, {{40, 2}, {44, 1}}, {{45, 3}},
    {{41, 2}, {48, 1}}, {{36, 2}, {43, 1}}, {{38, 2}, {45, 1}}, {{45, 2}, {40, 1}},
    {{41, 2}, {48, 1}}, {{39, 2}, {45, 1}}, {{40, 2}, {47, 1}}, {{33, 2}, {0, 1}},
};

VoiceSettings organMelody() {
    VoiceSettings v;
    v.partials = {{1, 1.0, 0}, {2, 0.5, 0}, {3, 0.28, 0}, {4, 0.18, 0}, {6, 0.08, 0}, {8, 0.05, 0}};
    v.attack = 0.06;
    v.release = 0.25;
    v.vibratoRate = 5.2;
    v.vibratoDepth = 0.004;
    v.vibratoDelay = 0.3;
    v.chorusCents = 4.0;
    v.gain = 0.30;
    return v;
}

VoiceSettings organBass() {
    VoiceSettings v;
    v.partials = {{1, 1.0, 0}, {2, 0.6, 0}, {3, 0.25, 0}, {4, 0.12, 0}};
    v.attack = 0.05;
    v.release = 0.3;
    v.chorusCents = 2.0;
    v.gain = 0.34;
    return v;
}

VoiceSettings organPad() {
    VoiceSettings v;
    v.partials = {{1, 1.0, 0}, {2, 0.3, 0}, {4, 0.1, 0}};
    v.attack = 0.6;
    v.release = 0.8;
    v.vibratoRate = 4.1;
    v.vibratoDepth = 0.002;
    v.chorusCents = 7.0;
    v.gain = 0.075;
    return v;
}

VoiceSettings musicBox() {
    VoiceSettings v;
    // The 5.4 partial is the tine's inharmonic ring.
    v.partials = {{1, 1.0, 3.0}, {2, 0.25, 6.0}, {5.4, 0.12, 12.0}};
    v.attack = 0.004;
    v.release = 0.2;
    v.gain = 0.13;
    return v;
}

} // namespace

std::size_t ThemeSynth::sampleCount() {
    return static_cast<std::size_t>(std::lround(lengthSeconds() * sampleRate));
}

std::vector<float> ThemeSynth::render() const {
    std::vector<float> mix(sampleCount(), 0.0f);
    const double beat = beatSeconds();
    const double bar = beatsPerBar * beat;
    const double end = lengthSeconds();

    const AdditiveVoice melodyVoice(organMelody(), sampleRate);
    const AdditiveVoice bassVoice(organBass(), sampleRate);
    const AdditiveVoice padVoice(organPad(), sampleRate);
    const AdditiveVoice boxVoice(musicBox(), sampleRate);
    // The second time round the music box has lost its tuning.
    VoiceSettings worn = musicBox();
    worn.chorusCents = 18.0;
    const AdditiveVoice wornBoxVoice(worn, sampleRate);

    // The last notes must have released before the closing fade begins.
    auto fitted = [&](double start, double length, double release) {
        return std::min(length, end - tailFade - release - start);
    };

    for (int b = 0; b < bars; ++b) {
        const double barStart = leadIn + b * bar;
        double at = 0.0;
        for (const BarNote& note : tune[static_cast<std::size_t>(b)]) {
            if (note.midi != 0) {
                const double start = barStart + at * beat;
                const double length = fitted(start, note.beats * beat - articulation, 0.25);
                melodyVoice.addNote(mix, start, length, note.midi, 1.0);
                const AdditiveVoice& box = b < bars / 2 ? boxVoice : wornBoxVoice;
                box.addNote(mix, start, fitted(start, note.beats * beat, 0.2), note.midi + 12, 1.0);
            }
            at += note.beats;
        }
        at = 0.0;
        for (const BarNote& note : bass[static_cast<std::size_t>(b)]) {
            if (note.midi != 0) {
                const double start = barStart + at * beat;
                bassVoice.addNote(mix, start, fitted(start, note.beats * beat - articulation, 0.3), note.midi,
                                  note.beats > 1 ? 1.0 : 0.7);
            }
            at += note.beats;
        }
        const double padLength = fitted(barStart, bar, 0.8);
        for (int midi : chords[static_cast<std::size_t>(b)])
            padVoice.addNote(mix, barStart, padLength, midi, 1.0);
    }

    Reverb(sampleRate, 0.28).process(mix);

    const std::size_t fadeSamples = static_cast<std::size_t>(tailFade * sampleRate);
    for (std::size_t i = 0; i < fadeSamples && i < mix.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(fadeSamples);
        mix[mix.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(x * 3.141592653589793));
    }

    float peak = 0.0f;
    for (float s : mix)
        peak = std::max(peak, std::fabs(s));
    if (peak > 0.0f) {
        const float scale = static_cast<float>(peakLevel) / peak;
        for (float& s : mix)
            s *= scale;
    }
    return mix;
}

std::vector<std::int16_t> ThemeSynth::renderPcm() const {
    const std::vector<float> mix = render();
    std::vector<std::int16_t> pcm(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const long v = std::lround(static_cast<double>(mix[i]) * 32767.0);
        pcm[i] = static_cast<std::int16_t>(std::clamp(v, -32767L, 32767L));
    }
    return pcm;
}
