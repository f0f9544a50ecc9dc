#include "AdditiveVoice.h"

#include <cmath>
#include <utility>

namespace {

const double twoPi = 6.283185307179586;

double raisedCosine(double x) {
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    return 0.5 - 0.5 * std::cos(x * 3.141592653589793);
}

} // namespace

AdditiveVoice::AdditiveVoice(VoiceSettings settings, int sampleRate)
    : settings(std::move(settings)), sampleRate(sampleRate) {}

double AdditiveVoice::frequency(int midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

void AdditiveVoice::addNote(std::vector<float>& mix, double start, double length, int midiNote,
                            double velocity) const {
    const double rate = sampleRate;
    const long first = std::lround(start * rate);
    const long count = std::lround((length + settings.release) * rate);
    if (first < 0 || count <= 0 || length <= 0.0)
        return;
    const double nyquistGuard = 0.45 * rate;
    const double base = frequency(midiNote);
    const int copies = settings.chorusCents > 0.0 ? 2 : 1;
    const double copyGain = settings.gain * velocity / copies;

    for (int copy = 0; copy < copies; ++copy) {
        const double cents = copies == 1 ? 0.0 : (copy == 0 ? -settings.chorusCents : settings.chorusCents);
        const double pitch = base * std::pow(2.0, cents / 1200.0);
        // Each copy starts at a different point of its vibrato so the two
        // never move in step.
        const double vibratoPhase = copy * 1.7;
        std::vector<double> phases(settings.partials.size(), 0.0);
        for (long i = 0; i < count; ++i) {
            const long at = first + i;
            if (at >= static_cast<long>(mix.size()))
                break;
            const double t = i / rate;
            double envelope = settings.attack > 0.0 ? raisedCosine(t / settings.attack) : 1.0;
            if (t > length)
                envelope *=
                    settings.release > 0.0 ? 1.0 - raisedCosine((t - length) / settings.release) : 0.0;
            double depth = settings.vibratoDepth;
            if (settings.vibratoDelay > 0.0)
                depth *= raisedCosine(t / settings.vibratoDelay);
            const double swing = 1.0 + depth * std::sin(twoPi * settings.vibratoRate * t + vibratoPhase);
            const double instant = pitch * swing;
            double value = 0.0;
            for (std::size_t p = 0; p < phases.size(); ++p) {
                const Partial& partial = settings.partials[p];
                if (partial.ratio * pitch * (1.0 + settings.vibratoDepth) >= nyquistGuard)
                    continue;
                double gain = partial.gain;
                if (partial.decay > 0.0)
                    gain *= std::exp(-partial.decay * t);
                value += gain * std::sin(phases[p]);
                phases[p] += twoPi * partial.ratio * instant / rate;
                if (phases[p] > twoPi)
                    phases[p] -= twoPi;
            }
            mix[static_cast<std::size_t>(at)] += static_cast<float>(copyGain * envelope * value);
        }
    }
}
