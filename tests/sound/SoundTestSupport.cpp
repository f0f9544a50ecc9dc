#include "SoundTestSupport.h"

#include "WaveWriter.h"

#include <AL/al.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string makeScratch() {
    char name[] = "/tmp/lullvane-sound-XXXXXX";
    return mkdtemp(name) ? std::string(name) : std::string();
}

void useConfig(const std::string& text) {
    const std::string path = scratchDir() + "/alsoft.conf";
    std::ofstream(path) << text;
    // ALSOFT_DRIVERS would override the configured driver list.
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_CONF", path.c_str(), 1);
}

} // namespace

const std::string& scratchDir() {
    static const std::string dir = makeScratch();
    return dir;
}

void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchDir(), ignored);
}

std::string captureFile() {
    return scratchDir() + "/capture.wav";
}

std::string useWaveCapture() {
    const std::string capture = captureFile();
    useConfig("[general]\ndrivers=wave\nsample-type=int16\nchannels=mono\nfrequency=22050\ndither=false\n"
              "[wave]\nfile=" +
              capture + "\n");
    return capture;
}

void useMissingDevice() {
    useConfig("[general]\ndrivers=lullvane-no-such-driver\n");
}

int countLiveSources() {
    int live = 0;
    for (ALuint id = 1; id <= 4096; ++id)
        live += alIsSource(id) == AL_TRUE ? 1 : 0;
    return live;
}

int countLiveBuffers() {
    int live = 0;
    for (ALuint id = 1; id <= 4096; ++id)
        live += alIsBuffer(id) == AL_TRUE ? 1 : 0;
    return live;
}

std::vector<std::int16_t> toneWithGap(int sampleRate, double frequency, double toneSeconds, double gapSeconds,
                                      double amplitude) {
    const std::size_t tone = static_cast<std::size_t>(toneSeconds * sampleRate);
    const std::size_t gap = static_cast<std::size_t>(gapSeconds * sampleRate);
    std::vector<std::int16_t> samples(tone + gap, 0);
    for (std::size_t i = 0; i < tone; ++i) {
        const double v = amplitude * std::sin(6.283185307179586 * frequency * i / sampleRate);
        samples[i] = static_cast<std::int16_t>(std::lround(v * 32767.0));
    }
    return samples;
}

std::string writeScratchWav(const std::string& name, const std::vector<std::int16_t>& samples,
                            int sampleRate) {
    const std::string path = scratchDir() + "/" + name;
    WaveWriter writer(sampleRate, 1);
    return writer.write(path, samples) ? path : std::string();
}
