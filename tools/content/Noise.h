#pragma once

#include <cstdint>

// Deterministic, tileable value noise: the same seed always gives the same
// pictures, and a texture built from it repeats without seams when the
// coordinates run over whole periods.
class Noise {
public:
    explicit Noise(std::uint32_t seed);

    // Smooth noise in 0..1 on a lattice that repeats every `period` cells.
    float value(float x, float y, int period) const;
    // Sum of octaves, each twice as fine; result 0..1.
    float fractal(float x, float y, int period, int octaves) const;
    // Hash of a lattice point in 0..1.
    float cell(int x, int y) const;

private:
    std::uint32_t seed;
};
