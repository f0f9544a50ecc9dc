#include "sound/SoundLoader.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string noDevice = "Sound: no audio device, playing silent";

std::size_t lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

class SoundWithoutDevice : public ::testing::Test {
protected:
    void TearDown() override { loader.shutdown(); }
    SoundLoader loader;
};

TEST_F(SoundWithoutDevice, PrintsOneMessageAndTheFramesStaySilent) {
    CaptureOutput out;
    loader.activateSound(LULLVANE_THEME_FILE);
    const std::string atStart = out.finish();
    EXPECT_EQ(atStart.rfind(noDevice, 0), 0u) << atStart;
    EXPECT_EQ(lines(atStart), 1u) << atStart;

    CaptureOutput frames;
    for (int frame = 0; frame < 2000; ++frame)
        EXPECT_EQ(loader.playSound(), 0);
    EXPECT_EQ(frames.finish(), "");
}

TEST_F(SoundWithoutDevice, EachExplicitStartTriesTheDeviceOnceMore) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        CaptureOutput out;
        EXPECT_EQ(loader.activateSound("vampire_theme.wav"), 0);
        loader.playSound();
        const std::string text = out.finish();
        EXPECT_EQ(text.rfind(noDevice, 0), 0u) << text;
        EXPECT_EQ(lines(text), 1u) << text;
    }
}

} // namespace
