#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// Files the render tests write at run time, in a directory of their own.
std::string testFilePath(const std::string& name);
void writeTextFile(const std::string& path, const std::string& content);

struct Rgb {
    unsigned char r, g, b;
};

// Binary PPM; rows are given top row first, as the file stores them.
void writePpm(const std::string& path, int width, int height, const std::vector<Rgb>& pixels);
// Uncompressed 32-bit TGA of one colour and alpha.
void writeTga(const std::string& path, int width, int height, Rgb colour, unsigned char alpha);

// Number of times needle occurs in text.
int countOccurrences(const std::string& text, const std::string& needle);
std::vector<std::string> splitLines(const std::string& text);

// Reads one RGB pixel of the window's back buffer (origin bottom-left).
Rgb readBackBufferPixel(int x, int y);
// Drains every pending GL error so a test starts clean.
void clearGlErrors();
