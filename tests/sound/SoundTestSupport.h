#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Helpers for tests that drive the real OpenAL library. The device is chosen
// through an openal-soft configuration file, which must be in place before
// the first OpenAL call of the process: the test mains call one of the
// use... functions first thing.

// A fresh directory under /tmp for this process (empty when it cannot be
// made); removed by removeScratch().
const std::string& scratchDir();
void removeScratch();

// Routes all playback into a 16-bit mono 22050 Hz WAVE file, written out
// when the device closes. Returns that file's path.
std::string useWaveCapture();
std::string captureFile();
// Names an output driver that does not exist, so no device can be opened.
void useMissingDevice();

// How many source and buffer names are alive in the current context.
int countLiveSources();
int countLiveBuffers();

// A sine tone followed by silence, as 16-bit mono samples.
std::vector<std::int16_t> toneWithGap(int sampleRate, double frequency, double toneSeconds, double gapSeconds,
                                      double amplitude);
// Writes samples as a mono WAVE file into the scratch directory and returns
// its path, or an empty string when it cannot be written.
std::string writeScratchWav(const std::string& name, const std::vector<std::int16_t>& samples,
                            int sampleRate);
