#include "ThemeSynth.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

class GeneratedTheme : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        loaded = WavFile::read(LULLVANE_THEME_FILE, theme, error);
        readError = error;
    }
    void SetUp() override { ASSERT_TRUE(loaded) << readError; }

    static double peakIn(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
        int peak = 0;
        for (std::size_t i = from; i < to && i < s.size(); ++i)
            peak = std::max(peak, std::abs(static_cast<int>(s[i])));
        return peak / 32768.0;
    }

    static WavFile theme;
    static bool loaded;
    static std::string readError;
};

WavFile GeneratedTheme::theme;
bool GeneratedTheme::loaded = false;
std::string GeneratedTheme::readError;

TEST_F(GeneratedTheme, IsALongSixteenBitTrackNormalisedBelowFullScale) {
    EXPECT_TRUE(theme.isPcm16());
    EXPECT_TRUE(theme.sampleRate == 22050 || theme.sampleRate == 44100) << theme.sampleRate;
    EXPECT_TRUE(theme.channels == 1 || theme.channels == 2) << theme.channels;
    EXPECT_GE(theme.seconds(), 30.0);
    EXPECT_LE(theme.seconds(), 60.0);

    const std::vector<std::int16_t> mono = theme.firstChannel();
    const double peak = peakIn(mono, 0, mono.size());
    EXPECT_LT(peak, 0.95);
    EXPECT_GT(peak, 0.5);
    double sum = 0.0;
    for (std::int16_t s : mono)
        sum += static_cast<double>(s) * s;
    EXPECT_GT(std::sqrt(sum / static_cast<double>(mono.size())) / 32768.0, 0.05);
}

TEST_F(GeneratedTheme, LoopPointDoesNotClick) {
    const std::vector<std::int16_t> mono = theme.firstChannel();
    ASSERT_GT(mono.size(), 1u);
    const std::size_t tenMs = static_cast<std::size_t>(theme.sampleRate / 100);
    EXPECT_LT(std::abs(mono.back() - mono.front()) / 32768.0, 0.005);
    EXPECT_LT(peakIn(mono, 0, tenMs), 0.01);
    EXPECT_LT(peakIn(mono, mono.size() - tenMs, mono.size()), 0.01);
}

TEST_F(GeneratedTheme, IsInAMinorWithBassAndMelody) {
    // Energy per pitch, from block-wise Goertzel filters at every semitone
    // from A1 to G#5.
    const std::vector<std::int16_t> mono = theme.firstChannel();
    const std::size_t block = 8192;
    const int lowest = 33, count = 48;
    std::vector<double> energy(count, 0.0);
    for (int n = 0; n < count; ++n) {
        const double f = 440.0 * std::pow(2.0, (lowest + n - 69) / 12.0);
        const double k = 2.0 * std::cos(6.283185307179586 * f / theme.sampleRate);
        for (std::size_t at = 0; at + block <= mono.size(); at += block) {
            double s1 = 0.0, s2 = 0.0;
            for (std::size_t i = at; i < at + block; ++i) {
                const double s0 = mono[i] / 32768.0 + k * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            energy[n] += s1 * s1 + s2 * s2 - k * s1 * s2;
        }
    }
    // Pitch classes counted from A, in the octaves from A3 up.
    std::vector<double> pitchClass(12, 0.0);
    for (int n = 24; n < count; ++n)
        pitchClass[n % 12] += energy[n];
    const int tonic =
        static_cast<int>(std::max_element(pitchClass.begin(), pitchClass.end()) - pitchClass.begin());
    EXPECT_EQ(tonic, 0) << "strongest pitch class is " << tonic << " semitones above A";
    EXPECT_GT(pitchClass[3], 2.0 * pitchClass[4]) << "the minor third C must outweigh C#";
    EXPECT_GT(pitchClass[7], 2.0 * pitchClass[6]) << "the fifth E must outweigh D#";

    double total = 0.0, bassEnergy = 0.0, melodyEnergy = 0.0;
    for (int n = 0; n < count; ++n) {
        total += energy[n];
        if (n < 24)
            bassEnergy += energy[n]; // A1 .. G#3
        if (n >= 36)
            melodyEnergy += energy[n]; // A4 .. G#5
    }
    EXPECT_GT(bassEnergy / total, 0.1);
    EXPECT_GT(melodyEnergy / total, 0.1);
}

TEST_F(GeneratedTheme, BuildOutputIsWhatTheSynthRenders) {
    const std::vector<std::int16_t> rendered = ThemeSynth().renderPcm();
    ASSERT_EQ(theme.channels, 1);
    EXPECT_EQ(theme.sampleRate, ThemeSynth::sampleRate);
    ASSERT_EQ(rendered.size(), theme.samples.size());
    EXPECT_TRUE(rendered == theme.samples);
}

} // namespace
