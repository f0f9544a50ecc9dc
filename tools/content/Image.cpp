#include "Image.h"

#include <algorithm>
#include <cmath>

Image::Image(int width, int height)
    : width(width), height(height),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0) {}

void Image::set(int x, int y, glm::vec4 colour) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    for (int c = 0; c < 4; ++c) {
        float v = std::clamp(colour[c], 0.0f, 1.0f);
        pixels[at + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(std::lround(v * 255.0f));
    }
}

glm::vec4 Image::get(int x, int y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    return glm::vec4(pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]) / 255.0f;
}
