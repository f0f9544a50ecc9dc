#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 16-bit PCM RIFF/WAVE files, little-endian whatever the host.
class WaveWriter {
public:
    WaveWriter(int sampleRate, int channels);

    // samples are interleaved by channel. On failure returns false and
    // lastError() says why; a partly written file is removed.
    bool write(const std::string& path, const std::vector<std::int16_t>& samples);
    const std::string& lastError() const { return errorText; }

private:
    int sampleRate;
    int channels;
    std::string errorText;
};
