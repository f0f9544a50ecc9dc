#include "SoundTestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>

// Every OpenAL device this process opens writes into captureFile().
int main(int argc, char** argv) {
    if (scratchDir().empty()) {
        std::fprintf(stderr, "cannot create a scratch directory under /tmp\n");
        return 1;
    }
    useWaveCapture();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    removeScratch();
    return result;
}
