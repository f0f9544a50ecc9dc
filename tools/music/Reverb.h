#pragma once

#include <vector>

// A small Schroeder room: four parallel feedback combs into two allpasses,
// mixed under the dry signal. The tail runs on past the last note, so the
// caller leaves room for it before the end of the buffer.
class Reverb {
public:
    Reverb(int sampleRate, double wet);

    void process(std::vector<float>& samples) const;

private:
    int sampleRate;
    double wet;
};
