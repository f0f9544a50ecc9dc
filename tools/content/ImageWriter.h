#pragma once

#include <string>

class Image;

// Writes pictures in formats the game's image loader reads. Both return false,
// after printing why, when the file cannot be written.
class ImageWriter {
public:
    // 32-bit uncompressed Targa, origin bottom-left, with alpha.
    static bool writeTga(const std::string& path, const Image& image);
    // 24-bit Windows bitmap, bottom-up rows; alpha is dropped.
    static bool writeBmp(const std::string& path, const Image& image);
};
