#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

// An 8-bit RGBA picture. Row 0 is the bottom row, as OpenGL and the game's
// image loader expect; colours are given and read as 0..1.
class Image {
public:
    Image() = default;
    Image(int width, int height);

    void set(int x, int y, glm::vec4 colour);
    glm::vec4 get(int x, int y) const;
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    const std::vector<std::uint8_t>& getPixels() const { return pixels; }

private:
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};
