#include "app/MainClass.h"
#include "camera/Camera.h"

#include <CaptureOutput.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

// getInput with a scripted keyboard and mouse instead of a person.
namespace {

std::set<int> keysDown;
int cursorX = 0;
int cursorY = 0;

bool scriptedKey(int key) { return keysDown.count(key) > 0; }
void scriptedCursor(int* x, int* y) {
    *x = cursorX;
    *y = cursorY;
}

const double frameTime = 0.0166; // keeps 12 frames below and 13 above the 0.2 s latch

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        readKey = scriptedKey;
        readCursor = scriptedCursor;
        keysDown.clear();
        cursorX = cursorY = 0;
        iMouseXprev = iMouseYprev = 0;
        pause_input = 1.0;
        activeScene = 0;
        running = true;
        introSceneActive = true;
        activeCamera = 0;
        physicsLoader.initPhysics("Ground.DAE");
        physicsLoader.sceneNum = 0;
        clearWalkFlags();
        MainCam->usePhysics = true;
        BridgeCam->usePhysics = false;
        BridgeCam->resetCamera();
        BridgeCam->SetFrom(1, 2, 3);
        BridgeCam->SetTo(1, 2, 2);
        BridgeCam->update(0.0);
        ActiveCam = BridgeCam;
        renderEngine.setWireframeMode(0);
        renderEngine.setBloomMode(0);
    }

    void frame(double dt = frameTime) {
        dTimeDiff = dt;
        getInput(dt);
    }

    static void clearWalkFlags() {
        physicsLoader.moveForward = physicsLoader.moveBackward = physicsLoader.moveLeft = 0;
        physicsLoader.moveRight = physicsLoader.moveUp = physicsLoader.moveFast = 0;
    }
};

TEST_F(InputTest, HeldLatchedKeyActsAboutFiveTimesASecond) {
    keysDown = {GLFW_KEY_F3};
    int toggles = 0;
    int last = renderEngine.wireframeMode;
    for (int i = 0; i < 60; ++i) {
        frame();
        if (renderEngine.wireframeMode != last)
            ++toggles;
        last = renderEngine.wireframeMode;
    }
    EXPECT_EQ(toggles, 5);
    renderEngine.setWireframeMode(0);
}

TEST_F(InputTest, ShortPressActsOnce) {
    keysDown = {GLFW_KEY_F3};
    frame();
    EXPECT_EQ(renderEngine.wireframeMode, 1);
    keysDown.clear();
    for (int i = 0; i < 30; ++i)
        frame();
    EXPECT_EQ(renderEngine.wireframeMode, 1);
    renderEngine.setWireframeMode(0);
}

TEST_F(InputTest, OnlyTheFirstLatchedKeyOfAFrameActs) {
    keysDown = {GLFW_KEY_F3, GLFW_KEY_F7};
    frame();
    EXPECT_EQ(renderEngine.wireframeMode, 1);
    EXPECT_EQ(renderEngine.bloomMode, 0);

    keysDown = {GLFW_KEY_F7};
    for (int i = 0; i < 12; ++i)
        frame();
    EXPECT_EQ(renderEngine.bloomMode, 0) << "bloom must wait for the latch";
    frame();
    EXPECT_EQ(renderEngine.bloomMode, 1);
    renderEngine.setWireframeMode(0);
    renderEngine.setBloomMode(0);
}

TEST_F(InputTest, SpaceInPhysicsModeBlocksLatchedKeys) {
    ActiveCam = MainCam;
    keysDown = {GLFW_KEY_SPACE, GLFW_KEY_F3};
    for (int i = 0; i < 30; ++i)
        frame();
    EXPECT_EQ(renderEngine.wireframeMode, 0);
    EXPECT_EQ(physicsLoader.moveUp, 1);
    EXPECT_EQ(pause_input, 0.0);
}

TEST_F(InputTest, LatchTimerIsCappedAndThenActsAgain) {
    pause_input = 100000;
    keysDown = {GLFW_KEY_F3};
    frame();
    EXPECT_DOUBLE_EQ(pause_input, input_wait);
    EXPECT_EQ(renderEngine.wireframeMode, 0) << "0.2 s is not more than the wait";
    frame();
    EXPECT_EQ(renderEngine.wireframeMode, 1);
    EXPECT_EQ(pause_input, 0.0);
    renderEngine.setWireframeMode(0);
}

struct SceneKeyCase {
    const char* what;
    int scene;
    bool shift;
    int key;
    int expectedScene;
    bool expectedRunning;
};

class SceneKeyTest : public InputTest, public ::testing::WithParamInterface<SceneKeyCase> {};

TEST_P(SceneKeyTest, ChangesSceneThroughThePhysicsLoader) {
    const SceneKeyCase& c = GetParam();
    activeScene = c.scene;
    physicsLoader.sceneNum = c.scene;
    keysDown = {c.key};
    if (c.shift)
        keysDown.insert(GLFW_KEY_LEFT_SHIFT);
    frame();
    EXPECT_EQ(activeScene, c.expectedScene);
    EXPECT_EQ(physicsLoader.getSceneNum(), c.expectedScene);
    EXPECT_EQ(running, c.expectedRunning);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SceneKeyTest,
    ::testing::Values(SceneKeyCase{"EnterFromIntro", 0, false, GLFW_KEY_ENTER, 1, true},
                      SceneKeyCase{"EnterFromTwo", 2, false, GLFW_KEY_ENTER, 3, true},
                      SceneKeyCase{"EnterFromFourWrapsToOne", 4, false, GLFW_KEY_ENTER, 1, true},
                      SceneKeyCase{"EscapeGoesToIntro", 3, false, GLFW_KEY_ESCAPE, 0, true},
                      SceneKeyCase{"ShiftEscapeGoesBackOne", 3, true, GLFW_KEY_ESCAPE, 2, true},
                      SceneKeyCase{"ShiftEscapeFromOneGoesToIntro", 1, true, GLFW_KEY_ESCAPE, 0, true},
                      SceneKeyCase{"EscapeInIntroQuits", 0, false, GLFW_KEY_ESCAPE, 0, false},
                      SceneKeyCase{"ShiftEscapeInIntroQuits", 0, true, GLFW_KEY_ESCAPE, 0, false}),
    [](const ::testing::TestParamInfo<SceneKeyCase>& info) { return std::string(info.param.what); });

TEST_F(InputTest, EnterClearsTheIntroGuard) {
    keysDown = {GLFW_KEY_ENTER};
    frame();
    EXPECT_FALSE(introSceneActive);
}

TEST_F(InputTest, WalkingKeysInPhysicsModeOnlySetFlags) {
    ActiveCam = MainCam;
    frame();
    glm::vec4 before = MainCam->GetFrom();
    keysDown = {GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_LEFT_SHIFT, GLFW_KEY_DOWN};
    frame(0.5);
    EXPECT_EQ(physicsLoader.moveForward, 1);
    EXPECT_EQ(physicsLoader.moveBackward, 1);
    EXPECT_EQ(physicsLoader.moveLeft, 1);
    EXPECT_EQ(physicsLoader.moveRight, 1);
    EXPECT_EQ(physicsLoader.moveFast, 1);
    EXPECT_EQ(physicsLoader.moveUp, 0);
    glm::vec4 after = MainCam->GetFrom();
    EXPECT_FLOAT_EQ(after.x, before.x);
    EXPECT_FLOAT_EQ(after.y, before.y);
    EXPECT_FLOAT_EQ(after.z, before.z);
}

TEST_F(InputTest, FreeCameraFliesSixteenUnitsASecond) {
    keysDown = {GLFW_KEY_LEFT_SHIFT};
    frame();
    EXPECT_EQ(physicsLoader.moveFast, 0) << "Left Shift does nothing outside physics mode";
    glm::vec4 before = BridgeCam->GetFrom();
    keysDown = {GLFW_KEY_W};
    frame(0.5);
    glm::vec4 after = BridgeCam->GetFrom();
    EXPECT_NEAR(glm::length(glm::vec3(after - before)), 8.0f, 1e-4f);

    before = after;
    keysDown = {GLFW_KEY_DOWN};
    frame(0.25);
    after = BridgeCam->GetFrom();
    EXPECT_NEAR(glm::length(glm::vec3(after - before)), 4.0f, 1e-4f);
}

TEST_F(InputTest, MouseTravelOfOneWindowWidthTurnsOnceAround) {
    frame();
    glm::vec3 look = glm::vec3(BridgeCam->GetTo() - BridgeCam->GetFrom());
    cursorX = (int)renderEngine.getWindowWidth() / 2;
    frame();
    glm::vec3 half = glm::vec3(BridgeCam->GetTo() - BridgeCam->GetFrom());
    EXPECT_NEAR(half.x, -look.x, 1e-4f);
    EXPECT_NEAR(half.z, -look.z, 1e-4f);
    EXPECT_NEAR(half.y, look.y, 1e-4f);
    cursorX = (int)renderEngine.getWindowWidth();
    frame();
    glm::vec3 full = glm::vec3(BridgeCam->GetTo() - BridgeCam->GetFrom());
    EXPECT_NEAR(glm::distance(full, look), 0.0f, 1e-4f);
}

TEST_F(InputTest, F12SelectsTheMainCameraFirstThenTheFreeOne) {
    ActiveCam = MainCam;
    keysDown = {GLFW_KEY_F12};
    frame();
    EXPECT_EQ(ActiveCam, MainCam);
    EXPECT_EQ(activeCamera, 1);
    pause_input = 1.0;
    frame();
    EXPECT_EQ(ActiveCam, BridgeCam);
    EXPECT_EQ(activeCamera, 0);
}

TEST_F(InputTest, LightTakesTheCameraView) {
    BridgeCam->update(0.0);
    keysDown = {GLFW_KEY_L};
    frame();
    glm::mat4 expected = BridgeCam->getCameraMatrix();
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_FLOAT_EQ(light[c][r], expected[c][r]);
}

TEST_F(InputTest, F2PrintsTheFrameRate) {
    renderEngine.fps = 42.5;
    keysDown = {GLFW_KEY_F2};
    CaptureOutput out;
    frame();
    EXPECT_EQ(out.finish(), "FPS: 42.5\n");
}

#ifndef LULLVANE_PHONG
TEST_F(InputTest, F11SwitchesNormalMappingAndSaysSo) {
    renderEngine.setNormalMappingMode(1);
    keysDown = {GLFW_KEY_F11};
    CaptureOutput out;
    frame();
    EXPECT_EQ(out.finish(), " Normal mapping mode: 0\n");
    EXPECT_EQ(renderEngine.normalMappingMode, 0);
    renderEngine.setNormalMappingMode(1);
}
#else
TEST_F(InputTest, F11SwitchesFrustumCullingAndSaysSo) {
    renderEngine.setFrustumCullingMode(0);
    keysDown = {GLFW_KEY_F11};
    CaptureOutput out;
    frame();
    EXPECT_EQ(out.finish(), " cull: 1\n");
    EXPECT_EQ(renderEngine.getFrustumCullingMode(), 1);
    renderEngine.setFrustumCullingMode(0);
}
#endif

TEST_F(InputTest, PPrintsTheCameraReport) {
    BridgeCam->update(0.0);
    keysDown = {GLFW_KEY_P};
    CaptureOutput out;
    frame();
    std::string report = out.finish();

    std::istringstream lines(report);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "X:1 Y:2 Z:3") << "the eye in world space";
    std::getline(lines, line);
    EXPECT_EQ(line, "inverse (position) Matrix:");
    for (int r = 0; r < 4; ++r) {
        std::getline(lines, line);
        EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 3) << line;
    }
    glm::mat4 m = BridgeCam->getCameraMatrix();
    std::ostringstream translation;
    translation << "X:" << m[3][0] << " Y:" << m[3][1] << " Z:" << m[3][2];
    std::getline(lines, line);
    EXPECT_EQ(line, translation.str());
    std::getline(lines, line);
    EXPECT_EQ(line, "Matrix:");
    std::getline(lines, line);
    std::ostringstream firstRow;
    firstRow << m[0][0] << "|" << m[1][0] << "|" << m[2][0] << "|" << m[3][0];
    EXPECT_EQ(line, firstRow.str());
    for (int r = 1; r < 4; ++r)
        std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line, "Camera From: (1,2,3)");
    glm::vec4 to = BridgeCam->GetTo();
    std::ostringstream toLine;
    toLine << "Camera To: (" << to.x << "," << to.y << "," << to.z << ")";
    std::getline(lines, line);
    EXPECT_EQ(line, toLine.str());
    EXPECT_FALSE(std::getline(lines, line)) << "nothing after the report";
}

TEST_F(InputTest, EyeIsKeptInsideThePlayArea) {
    BridgeCam->SetFrom(500, 150, -500);
    frame();
    glm::vec4 eye = BridgeCam->GetFrom();
    EXPECT_FLOAT_EQ(eye.x, 400);
    EXPECT_FLOAT_EQ(eye.y, 130);
    EXPECT_FLOAT_EQ(eye.z, -400);
}

} // namespace
