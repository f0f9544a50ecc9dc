#pragma once

#include <string>

// Captures what the code under test writes to a standard stream, at the file
// descriptor level, so printf, puts and std::cout/std::cerr are all caught.
// fd: 1 for standard output, 2 for the error stream.
class CaptureOutput {
public:
    explicit CaptureOutput(int fd = 1);
    ~CaptureOutput();
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

    // Stops capturing (once) and returns everything written since the start.
    std::string finish();

private:
    int fd;
    int savedFd = -1;
    std::string path;
    bool done = false;
    std::string text;
};
