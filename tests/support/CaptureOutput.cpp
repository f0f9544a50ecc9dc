#include "CaptureOutput.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

CaptureOutput::CaptureOutput(int fd) : fd(fd) {
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    char name[] = "/tmp/lullvane-capture-XXXXXX";
    int tmp = mkstemp(name);
    path = name;
    savedFd = dup(fd);
    dup2(tmp, fd);
    close(tmp);
}

CaptureOutput::~CaptureOutput() { finish(); }

std::string CaptureOutput::finish() {
    if (done)
        return text;
    done = true;
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    dup2(savedFd, fd);
    close(savedFd);
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    text = all.str();
    unlink(path.c_str());
    return text;
}
