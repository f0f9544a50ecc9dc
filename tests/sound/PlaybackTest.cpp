#include "sound/SoundLoader.h"

#include "AllocationCounter.h"
#include "CaptureOutput.h"
#include "SoundTestSupport.h"
#include "WavFile.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

namespace {

const int toneRate = 22050;

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    if (from >= to)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
}

struct Burst {
    double start;
    double length;
};

// Stretches of the capture louder than a tenth of full scale, found in 10 ms
// windows.
std::vector<Burst> bursts(const WavFile& capture) {
    const std::vector<std::int16_t> mono = capture.firstChannel();
    const std::size_t window = static_cast<std::size_t>(capture.sampleRate / 100);
    std::vector<Burst> found;
    bool loud = false;
    for (std::size_t at = 0; window > 0 && at + window <= mono.size(); at += window) {
        const bool now = rms(mono, at, at + window) > 0.1;
        const double t = static_cast<double>(at) / capture.sampleRate;
        if (now && !loud)
            found.push_back({t, 0.0});
        if (!now && loud)
            found.back().length = t - found.back().start;
        loud = now;
    }
    return found;
}

// Zero crossings per second over a stretch, halved: the frequency of a tone.
double toneFrequency(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to, int rate) {
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i < samples.size(); ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    return crossings / 2.0 / (static_cast<double>(to - from) / rate);
}

class SoundPlayback : public ::testing::Test {
protected:
    void TearDown() override { loader.shutdown(); }

    // The frame loop: playSound as often as a fast game would call it.
    void playFor(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            loader.playSound();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    // Closes the device, which completes the capture file, and reads it.
    WavFile finishCapture() {
        loader.shutdown();
        WavFile capture;
        std::string error;
        EXPECT_TRUE(WavFile::read(captureFile(), capture, error)) << error;
        return capture;
    }

    std::string tone(const std::string& name, double toneSeconds, double gapSeconds) {
        const std::string path =
            writeScratchWav(name, toneWithGap(toneRate, 440.0, toneSeconds, gapSeconds, 0.5), toneRate);
        EXPECT_FALSE(path.empty());
        return path;
    }

    SoundLoader loader;
};

TEST_F(SoundPlayback, TheGameThemeIsHeard) {
    CaptureOutput out;
    loader.activateSound(LULLVANE_THEME_FILE);
    playFor(1.5);
    EXPECT_EQ(out.finish(), "");
    const WavFile capture = finishCapture();
    ASSERT_GT(capture.seconds(), 1.0);
    const std::vector<std::int16_t> mono = capture.firstChannel();
    EXPECT_GT(rms(mono, 0, mono.size()), 0.03);
}

TEST_F(SoundPlayback, TheFileReachesTheDeviceUnchanged) {
    loader.activateSound(tone("a440.wav", 1.0, 0.0).c_str());
    playFor(0.8);
    const WavFile capture = finishCapture();
    const std::vector<std::int16_t> mono = capture.firstChannel();
    // The capture runs from the opening of the device, a little before the
    // track starts.
    const auto onset =
        std::find_if(mono.begin(), mono.end(), [](std::int16_t s) { return std::abs(s) > 3000; });
    ASSERT_NE(onset, mono.end()) << "the tone was never heard";
    const std::size_t from = static_cast<std::size_t>(onset - mono.begin()) + capture.sampleRate / 20;
    const std::size_t to = from + capture.sampleRate / 4;
    ASSERT_GT(mono.size(), to);
    EXPECT_NEAR(rms(mono, from, to), 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_NEAR(toneFrequency(mono, from, to, capture.sampleRate), 440.0, 5.0);
}

TEST_F(SoundPlayback, TheTrackStartsAgainFromItsBeginningWithOneSourceAndBuffer) {
    // 0.3 s of tone then 0.1 s of silence, so that each play is a burst.
    loader.activateSound(tone("short.wav", 0.3, 0.1).c_str());
    CaptureOutput out;
    playFor(1.4);
    EXPECT_EQ(out.finish(), "");
    EXPECT_EQ(countLiveSources(), 1);
    EXPECT_EQ(countLiveBuffers(), 1);

    const std::vector<Burst> found = bursts(finishCapture());
    std::string heard;
    for (const Burst& b : found)
        heard += " " + std::to_string(b.start) + "+" + std::to_string(b.length);
    SCOPED_TRACE("bursts at" + heard);
    ASSERT_GE(found.size(), 3u);
    // Every complete play is the whole tone: the restart rewinds the track.
    for (std::size_t i = 0; i + 1 < found.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(found[i].length, 0.3, 0.05);
        EXPECT_NEAR(found[i + 1].start - found[i].start, 0.4, 0.08);
    }
}

TEST_F(SoundPlayback, StartingAgainReplacesTheSourceAndBuffer) {
    const std::string path = tone("again.wav", 0.5, 0.0);
    for (int start = 0; start < 4; ++start)
        loader.activateSound(path.c_str());
    EXPECT_EQ(countLiveSources(), 1);
    EXPECT_EQ(countLiveBuffers(), 1);
    playFor(0.3);
    const std::vector<std::int16_t> mono = finishCapture().firstChannel();
    EXPECT_GT(rms(mono, 0, mono.size()), 0.1);
}

TEST_F(SoundPlayback, UnreadableFilesPrintOneMessageAndAreNotRetried) {
    const std::string good = tone("good.wav", 0.2, 0.0);
    std::string validHeader;
    {
        std::ifstream in(good, std::ios::binary);
        validHeader.assign(44, '\0');
        in.read(&validHeader[0], 44);
    }
    struct BadFile {
        const char* name;
        const char* why;
        std::string content;
        bool create;
    };
    const BadFile cases[] = {
        {"missing.wav", "missing", "", false},
        {"empty.wav", "empty", "", true},
        {"text.wav", "not a sound", "this is not a sound file\n", true},
        {"cut.wav", "header cut short", validHeader.substr(0, 30), true},
        {"nodata.wav", "header without samples", validHeader, true},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string path = scratchDir() + "/" + c.name;
        if (c.create)
            std::ofstream(path, std::ios::binary) << c.content;

        CaptureOutput out;
        loader.activateSound(path.c_str());
        for (int frame = 0; frame < 500; ++frame)
            loader.playSound();
        const std::string text = out.finish();
        const std::string expected = "Sound: could not load " + path + ": ";
        EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
        EXPECT_GT(text.size(), expected.size() + 1) << "no reason given: " << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_EQ(countLiveSources(), 0);
        EXPECT_EQ(countLiveBuffers(), 0);

        // A later start with a good file plays as usual.
        CaptureOutput again;
        loader.activateSound(good.c_str());
        EXPECT_EQ(again.finish(), "");
        EXPECT_EQ(countLiveSources(), 1);
        loader.shutdown();
    }

    CaptureOutput out;
    loader.activateSound(nullptr);
    loader.playSound();
    const std::string text = out.finish();
    EXPECT_EQ(text.rfind("Sound: could not load", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(countLiveSources(), 0);
}

TEST_F(SoundPlayback, APendingOpenALErrorIsReportedByTheNextFrame) {
    loader.activateSound(tone("error.wav", 1.0, 0.0).c_str());
    ALint state = 0;
    alGetSourcei(0xdead, AL_SOURCE_STATE, &state);
    CaptureOutput out;
    loader.playSound();
    loader.playSound();
    EXPECT_EQ(out.finish(), "Error:  Invalid Name");
}

TEST_F(SoundPlayback, FramesAllocateNothingAlsoWhenTheTrackRestarts) {
    loader.activateSound(tone("frames.wav", 0.1, 0.0).c_str());
    AllocationCounter counter;
    counter.start();
    playFor(0.5);
    EXPECT_EQ(counter.stop(), 0u);
}

TEST_F(SoundPlayback, FramesBeforeTheStartDoNothing) {
    CaptureOutput out;
    for (int frame = 0; frame < 100; ++frame)
        EXPECT_EQ(loader.playSound(), 0);
    EXPECT_EQ(out.finish(), "");
}

} // namespace
