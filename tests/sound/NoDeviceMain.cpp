#include "SoundTestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>

// No OpenAL device can be opened in this process.
int main(int argc, char** argv) {
    if (scratchDir().empty()) {
        std::fprintf(stderr, "cannot create a scratch directory under /tmp\n");
        return 1;
    }
    useMissingDevice();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    removeScratch();
    return result;
}
