#include "WaveWriter.h"

#include <AL/alut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::string scratchPath(const char* name) {
    return std::string("/tmp/lullvane-music-") + std::to_string(getpid()) + "-" + name;
}

// ALUT's own WAVE reader checks what the writer produced; it wants a
// current context, so this runs where a capture device is configured.
class AlutReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ready = alutInit(nullptr, nullptr); }
    static void TearDownTestSuite() {
        if (ready)
            alutExit();
    }
    void SetUp() override { ASSERT_TRUE(ready) << "alutInit failed"; }
    static bool ready;
};

bool AlutReader::ready = false;

TEST_F(AlutReader, WaveWriterOutputLoadsWithItsFormatAndSamples) {
    struct Case {
        int rate;
        int channels;
        ALenum format;
    };
    const Case cases[] = {{22050, 1, AL_FORMAT_MONO16},
                          {44100, 1, AL_FORMAT_MONO16},
                          {44100, 2, AL_FORMAT_STEREO16},
                          {8000, 2, AL_FORMAT_STEREO16}};
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 12345, -12345, 256, -256, 255};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        const std::string path = scratchPath("roundtrip.wav");
        WaveWriter writer(c.rate, c.channels);
        ASSERT_TRUE(writer.write(path, samples)) << writer.lastError();

        ALenum format = 0;
        ALsizei size = 0;
        ALfloat frequency = 0;
        ALvoid* data = alutLoadMemoryFromFile(path.c_str(), &format, &size, &frequency);
        std::remove(path.c_str());
        ASSERT_NE(data, nullptr) << alutGetErrorString(alutGetError());
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(frequency, static_cast<ALfloat>(c.rate));
        ASSERT_EQ(size, static_cast<ALsizei>(samples.size() * 2));
        EXPECT_EQ(std::memcmp(data, samples.data(), samples.size() * 2), 0);
        std::free(data);
    }
}

TEST(WaveWriterErrors, UnwritablePathIsReportedAndLeavesNoFile) {
    WaveWriter writer(22050, 1);
    EXPECT_FALSE(writer.write("/nonexistent-lullvane-dir/theme.wav", {1, 2, 3}));
    EXPECT_NE(writer.lastError().find("/nonexistent-lullvane-dir/theme.wav"), std::string::npos);
    EXPECT_NE(access("/nonexistent-lullvane-dir/theme.wav", F_OK), 0);
}

TEST(WaveWriterErrors, BadFormatsAreRefused) {
    const std::string path = scratchPath("refused.wav");
    struct Case {
        int rate;
        int channels;
        std::vector<std::int16_t> samples;
    };
    const Case cases[] = {{44100, 2, {1, 2, 3}}, {0, 1, {1}}, {22050, 0, {1}}, {-5, 1, {1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        WaveWriter writer(c.rate, c.channels);
        EXPECT_FALSE(writer.write(path, c.samples));
        EXPECT_FALSE(writer.lastError().empty());
        EXPECT_NE(access(path.c_str(), F_OK), 0);
    }
}

} // namespace
