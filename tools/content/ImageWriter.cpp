#include "ImageWriter.h"

#include "Image.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

bool save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

bool ImageWriter::writeTga(const std::string& path, const Image& image) {
    std::vector<std::uint8_t> out;
    out.push_back(0); // no image id
    out.push_back(0); // no colour map
    out.push_back(2); // uncompressed true colour
    for (int i = 0; i < 5; ++i)
        out.push_back(0);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(image.getWidth()));
    put16(out, static_cast<unsigned>(image.getHeight()));
    out.push_back(32);
    out.push_back(0x08); // 8 alpha bits, first row is the bottom one
    const std::vector<std::uint8_t>& px = image.getPixels();
    for (std::size_t i = 0; i + 3 < px.size(); i += 4) {
        out.push_back(px[i + 2]);
        out.push_back(px[i + 1]);
        out.push_back(px[i]);
        out.push_back(px[i + 3]);
    }
    return save(path, out);
}

bool ImageWriter::writeBmp(const std::string& path, const Image& image) {
    unsigned w = static_cast<unsigned>(image.getWidth());
    unsigned h = static_cast<unsigned>(image.getHeight());
    unsigned rowBytes = (w * 3 + 3) & ~3u;
    unsigned dataSize = rowBytes * h;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + dataSize);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, dataSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    const std::vector<std::uint8_t>& px = image.getPixels();
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            std::size_t at = (static_cast<std::size_t>(y) * w + x) * 4;
            out.push_back(px[at + 2]);
            out.push_back(px[at + 1]);
            out.push_back(px[at]);
        }
        for (unsigned pad = w * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return save(path, out);
}
