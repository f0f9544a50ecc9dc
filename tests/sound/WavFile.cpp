#include "WavFile.h"

#include <fstream>
#include <iterator>

namespace {

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

} // namespace

std::vector<std::int16_t> WavFile::firstChannel() const {
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i + static_cast<std::size_t>(channels) <= samples.size(); i += channels)
        out.push_back(samples[i]);
    return out;
}

bool WavFile::read(const std::string& path, WavFile& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        error = path + " is not a RIFF/WAVE file";
        return false;
    }
    out = WavFile();
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
        const std::size_t size = le32(&bytes[at + 4]);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || available < 16) {
                error = "short fmt chunk";
                return false;
            }
            out.formatTag = le16(&bytes[body]);
            out.channels = le16(&bytes[body + 2]);
            out.sampleRate = static_cast<int>(le32(&bytes[body + 4]));
            out.bitsPerSample = le16(&bytes[body + 14]);
            if (out.formatTag == 0xFFFE && size >= 26 && available >= 26)
                out.subFormat = le16(&bytes[body + 24]);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || !out.isPcm16() || out.channels <= 0) {
                error = "not 16-bit PCM";
                return false;
            }
            const std::size_t length = size < available ? size : available;
            out.samples.resize(length / 2);
            for (std::size_t i = 0; i < out.samples.size(); ++i)
                out.samples[i] = static_cast<std::int16_t>(le16(&bytes[body + 2 * i]));
            return true;
        }
        at = body + size + (size & 1);
    }
    error = "no data chunk";
    return false;
}
