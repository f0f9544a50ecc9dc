#include "render/RenderEngine.h"

#include <gtest/gtest.h>

// GL tests share one window and context, opened before the first test as the
// game opens it before main.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static RenderEngine engine;
    return RUN_ALL_TESTS();
}
