#include "physics/PhysicsLoader.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Every scene change builds a new world; the old one must not stay behind.
TEST(WorldChurn, ResidentMemoryStaysFlatOverTwoHundredScenes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer holds freed memory back; its leak check covers this build";
#endif
    const std::string file = std::string(LULLVANE_TEST_DIR) + "/fixtures/rules.dae";
    PhysicsLoader loader;
    loader.sceneNum = 2;
    long afterWarmUp = 0;
    CaptureOutput quiet;
    for (int world = 1; world <= 200; ++world) {
        loader.initPhysics(file.c_str());
        loader.addCharacter();
        loader.moveForward = 1;
        loader.moveCharacter();
        loader.makeSimulationStep(1.0f / 60.0f);
        if (world == 20)
            afterWarmUp = residentKilobytes();
    }
    quiet.finish();
    const long afterAll = residentKilobytes();
    ASSERT_GT(afterWarmUp, 0);
    std::printf("resident memory after 20 worlds: %ld kB, after 200 worlds: %ld kB, growth %ld kB\n",
                afterWarmUp, afterAll, afterAll - afterWarmUp);
    EXPECT_LT(afterAll - afterWarmUp, 2048);
    EXPECT_EQ(loader.dynamicsWorld->getNumCollisionObjects(), 26);
}

} // namespace
