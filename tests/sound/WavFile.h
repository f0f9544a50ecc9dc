#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 16-bit PCM WAVE file read back for inspection: plain PCM or the
// extensible header that openal-soft's wave writer uses.
struct WavFile {
    int formatTag = 0; // 1 PCM; 0xFFFE extensible
    int subFormat = 0; // for extensible: 1 PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples; // interleaved

    bool isPcm16() const { return bitsPerSample == 16 && (formatTag == 1 || subFormat == 1); }
    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
    double seconds() const { return sampleRate > 0 ? static_cast<double>(frames()) / sampleRate : 0.0; }
    // The first channel of every frame.
    std::vector<std::int16_t> firstChannel() const;

    // Returns false with a reason in error when the file is not a readable
    // 16-bit PCM WAVE file.
    static bool read(const std::string& path, WavFile& out, std::string& error);
};
