#include "WaveWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xff));
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

WaveWriter::WaveWriter(int sampleRate, int channels) : sampleRate(sampleRate), channels(channels) {}

bool WaveWriter::write(const std::string& path, const std::vector<std::int16_t>& samples) {
    errorText.clear();
    if (sampleRate <= 0 || channels <= 0 || channels > 8) {
        errorText = "unsupported format: " + std::to_string(sampleRate) + " Hz, " + std::to_string(channels) +
                    " channels";
        return false;
    }
    if (samples.size() % static_cast<std::size_t>(channels) != 0) {
        errorText = "sample count is not a multiple of the channel count";
        return false;
    }
    const std::uint64_t dataBytes = samples.size() * 2u;
    if (dataBytes > 0xffffffffu - 36u) {
        errorText = "too many samples for a WAVE file";
        return false;
    }

    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes);
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * 2);
    putTag(bytes, "RIFF");
    put32(bytes, static_cast<std::uint32_t>(36 + dataBytes));
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1); // integer PCM
    put16(bytes, static_cast<std::uint16_t>(channels));
    put32(bytes, static_cast<std::uint32_t>(sampleRate));
    put32(bytes, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    put16(bytes, blockAlign);
    put16(bytes, 16);
    putTag(bytes, "data");
    put32(bytes, static_cast<std::uint32_t>(dataBytes));
    for (std::int16_t s : samples)
        put16(bytes, static_cast<std::uint16_t>(s));

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        errorText = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        errorText = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(path.c_str());
        return false;
    }
    return true;
}
