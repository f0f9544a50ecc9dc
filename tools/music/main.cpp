#include "ThemeSynth.h"
#include "WaveWriter.h"

#include <cstdio>

// lullvane-music <output.wav>: writes the background music.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lullvane-music <output.wav>\n");
        return 2;
    }
    WaveWriter writer(ThemeSynth::sampleRate, 1);
    if (!writer.write(argv[1], ThemeSynth().renderPcm())) {
        std::fprintf(stderr, "lullvane-music: %s\n", writer.lastError().c_str());
        return 1;
    }
    return 0;
}
