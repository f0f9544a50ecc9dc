#include "render/PassTimer.h"

#include <GLFW/glfw3.h>

#include <cstdio>

#include <sys/resource.h>

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1.0e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

} // namespace

PassTimer::PassTimer(int interval) : interval(interval > 0 ? interval : 1) {}

void PassTimer::beginFrame() {
    if (!created) {
        glGenQueries(ringSize * PassCount, &queries[0][0]);
        created = true;
        cpuAtReport = processCpuSeconds();
    }
    frameStart = glfwGetTime();
    if (previousFrameStart >= 0) {
        frameSum += frameStart - previousFrameStart;
        ++frameCount;
    }
    previousFrameStart = frameStart;
    current = (current + 1) % ringSize;
    // This set was issued ringSize frames ago, with ringSize - 1 swaps since.
    collect(current);
}

void PassTimer::begin(Pass pass) {
    glBeginQuery(GL_TIME_ELAPSED, queries[current][pass]);
}

void PassTimer::end(Pass pass) {
    glEndQuery(GL_TIME_ELAPSED);
    issued[current][pass] = true;
}

void PassTimer::endFrame() {
    drawSum += glfwGetTime() - frameStart;
    if (++frames >= interval)
        report();
}

void PassTimer::collect(int set) {
    bool any = false;
    for (int pass = 0; pass < PassCount; ++pass) {
        if (!issued[set][pass])
            continue;
        GLuint available = 0;
        glGetQueryObjectuiv(queries[set][pass], GL_QUERY_RESULT_AVAILABLE, &available);
        if (!available)
            return;
    }
    for (int pass = 0; pass < PassCount; ++pass) {
        if (!issued[set][pass])
            continue;
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(queries[set][pass], GL_QUERY_RESULT, &nanoseconds);
        gpuSum[pass] += static_cast<double>(nanoseconds);
        issued[set][pass] = false;
        any = true;
    }
    if (any)
        ++gpuCount;
}

void PassTimer::report() {
    double average[PassCount];
    for (int pass = 0; pass < PassCount; ++pass) {
        average[pass] = gpuCount > 0 ? gpuSum[pass] / gpuCount / 1.0e6 : 0.0;
        printed[pass] = average[pass];
        gpuSum[pass] = 0;
    }
    const double drawMs = 1000.0 * drawSum / frames;
    const double frameMs = frameCount > 0 ? 1000.0 * frameSum / frameCount : 0.0;
    const double cpu = processCpuSeconds();
    const double cpuMs = cpuAtReport >= 0 ? 1000.0 * (cpu - cpuAtReport) / frames : 0.0;
    cpuAtReport = cpu;
    std::printf(
        "Frame timing: frames %d shadow %.3f ms main %.3f ms bloom %.3f ms draw %.3f ms frame %.3f ms "
        "cpu %.3f ms\n",
        frames, average[Shadow], average[Main], average[Bloom], drawMs, frameMs, cpuMs);
    std::fflush(stdout);
    gpuCount = 0;
    drawSum = 0;
    frameSum = 0;
    frameCount = 0;
    frames = 0;
}
