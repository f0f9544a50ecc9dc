#pragma once

#include <GL/glew.h>

// GPU time of the passes of a frame, taken with GL_TIME_ELAPSED queries, for
// the measuring build of the game. Each frame uses its own set of queries from
// a ring and a set is read back only when the ring comes round to it again, so
// reading never waits for the renderer. Every `interval` frames one line
//   "Frame timing: frames N shadow S ms main M ms bloom B ms draw D ms frame F ms cpu C ms"
// is printed on standard output: the averaged GPU time of each pass, the CPU
// time spent inside RenderEngine::draw, the time from one draw to the next, and
// the CPU time of the whole process (all threads, the renderer's included) per
// frame, which other programs on the machine hardly change.
// Needs the GL context; the queries are made on the first frame.
class PassTimer {
public:
    enum Pass { Shadow, Main, Bloom, PassCount };

    explicit PassTimer(int interval = 100);

    // Call order per frame: beginFrame, then begin/end around each pass that
    // runs (passes never nest), then endFrame.
    void beginFrame();
    void begin(Pass pass);
    void end(Pass pass);
    void endFrame();

    // Averages of the last printed window, in milliseconds; -1 before the
    // first window. A pass that did not run in a window averages 0.
    double lastAverage(Pass pass) const { return printed[pass]; }

private:
    void collect(int set);
    void report();

    static constexpr int ringSize = 4;

    int interval;
    bool created = false;
    int current = 0;
    GLuint queries[ringSize][PassCount] = {};
    bool issued[ringSize][PassCount] = {};
    double frameStart = 0;
    double previousFrameStart = -1;
    // Sums of the current window: GPU nanoseconds per pass, CPU seconds.
    double gpuSum[PassCount] = {};
    int gpuCount = 0;
    double drawSum = 0;
    double frameSum = 0;
    // CPU seconds of the whole process, all threads, at the last report.
    double cpuAtReport = -1;
    int frameCount = 0;
    int frames = 0;
    double printed[PassCount] = {-1, -1, -1};
};
