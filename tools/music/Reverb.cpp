#include "Reverb.h"

#include <cmath>
#include <cstddef>

namespace {

struct Delay {
    std::vector<double> line;
    std::size_t at = 0;

    explicit Delay(std::size_t length) : line(length > 0 ? length : 1, 0.0) {}
    double read() const { return line[at]; }
    void write(double value) {
        line[at] = value;
        at = (at + 1) % line.size();
    }
};

} // namespace

Reverb::Reverb(int sampleRate, double wet) : sampleRate(sampleRate), wet(wet) {}

void Reverb::process(std::vector<float>& samples) const {
    const double combSeconds[] = {0.0297, 0.0371, 0.0411, 0.0437};
    const double combFeedback = 0.80;
    const double allpassSeconds[] = {0.0050, 0.0017};
    const double allpassGain = 0.7;

    std::vector<Delay> combs;
    for (double seconds : combSeconds)
        combs.emplace_back(static_cast<std::size_t>(std::lround(seconds * sampleRate)));
    std::vector<Delay> allpasses;
    for (double seconds : allpassSeconds)
        allpasses.emplace_back(static_cast<std::size_t>(std::lround(seconds * sampleRate)));

    for (float& sample : samples) {
        const double dry = sample;
        double sum = 0.0;
        for (Delay& comb : combs) {
            const double delayed = comb.read();
            comb.write(dry + combFeedback * delayed);
            sum += delayed;
        }
        double out = sum / static_cast<double>(combs.size());
        for (Delay& allpass : allpasses) {
            const double delayed = allpass.read();
            const double in = out + allpassGain * delayed;
            allpass.write(in);
            out = delayed - allpassGain * in;
        }
        sample = static_cast<float>(dry + wet * out);
    }
}
