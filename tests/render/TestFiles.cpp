#include "TestFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Made on first use and removed with everything in it when the test ends.
struct ScratchDirectory {
    ScratchDirectory() : path("/tmp/lullvane-render-test-" + std::to_string(getpid())) {
        mkdir(path.c_str(), 0700);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

std::string testFilePath(const std::string& name) {
    static const ScratchDirectory dir;
    return dir.path + "/" + name;
}

void writeTextFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

void writePpm(const std::string& path, int width, int height, const std::vector<Rgb>& pixels) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (const Rgb& p : pixels)
        out.put(static_cast<char>(p.r)).put(static_cast<char>(p.g)).put(static_cast<char>(p.b));
}

int countOccurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Rgb readBackBufferPixel(int x, int y) {
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    unsigned char rgb[3] = {0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

void clearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void writeTga(const std::string& path, int width, int height, Rgb colour, unsigned char alpha) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const unsigned char header[18] = {0,
                                      0,
                                      2,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      static_cast<unsigned char>(width & 0xff),
                                      static_cast<unsigned char>(width >> 8),
                                      static_cast<unsigned char>(height & 0xff),
                                      static_cast<unsigned char>(height >> 8),
                                      32,
                                      8};
    out.write(reinterpret_cast<const char*>(header), sizeof(header));
    for (int i = 0; i < width * height; ++i)
        out.put(static_cast<char>(colour.b))
            .put(static_cast<char>(colour.g))
            .put(static_cast<char>(colour.r))
            .put(static_cast<char>(alpha));
}
