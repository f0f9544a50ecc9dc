#include "Noise.h"

#include <cmath>

Noise::Noise(std::uint32_t seed) : seed(seed) {}

float Noise::cell(int x, int y) const {
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float Noise::value(float x, float y, int period) const {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = static_cast<int>(fx);
    int iy = static_cast<int>(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    float a = cell(wrap(ix), wrap(iy));
    float b = cell(wrap(ix + 1), wrap(iy));
    float c = cell(wrap(ix), wrap(iy + 1));
    float d = cell(wrap(ix + 1), wrap(iy + 1));
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Noise::fractal(float x, float y, int period, int octaves) const {
    float sum = 0.0f;
    float amplitude = 0.5f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += value(x, y, period) * amplitude;
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / total;
}
