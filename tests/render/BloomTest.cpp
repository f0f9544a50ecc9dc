#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The window's picture before the bloom passes: black, with an optional white
// square of side 24 whose lower-left corner is (500, 372).
const int squareLeft = 500, squareBottom = 372, squareSide = 24;

void paintPicture(bool withSquare) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, 1024, 768);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!withSquare)
        return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(squareLeft, squareBottom, squareSide, squareSide);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

void runBloom(RenderEngine& engine) {
    engine.bloomBrightPass();
    engine.bloomGaussPass();
}

int brightness(Rgb p) {
    return p.r + p.g + p.b;
}

class Bloom : public ::testing::Test {
protected:
    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        ASSERT_NE(engine, nullptr);
        clearGlErrors();
    }
    void TearDown() override {
        glClearDepth(1.0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    RenderEngine* engine = nullptr;
};

// Runs first: the resources are made on the first bloom frame of the process.
TEST_F(Bloom, FirstBloomFrameActivatesOnceAndBuildsCompleteTargets) {
    ASSERT_FALSE(engine->bloomActivated);
    paintPicture(false);
    CaptureOutput out(1);
    runBloom(*engine);
    runBloom(*engine);
    std::string printed = out.finish();
    EXPECT_EQ(countOccurrences(printed, "Bloom activated\n"), 1) << printed;
    EXPECT_TRUE(engine->bloomActivated);
    EXPECT_NE(RenderEngine::getShader("Brightpass"), nullptr);
    EXPECT_NE(RenderEngine::getShader("Gauss"), nullptr);
    EXPECT_EQ(engine->brightVertexLocation, glGetAttribLocation(engine->gaussProgram, "bloomVertex"));
    EXPECT_EQ(engine->brightTexCoordLocation, glGetAttribLocation(engine->gaussProgram, "bloomTexCoord"));
    for (GLuint framebuffer : {engine->sceneCopyFBO, engine->brightFBO, engine->blurFBO}) {
        ASSERT_NE(framebuffer, 0u);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(Bloom, SwitchingBloomOffAndOnPrintsNothingMore) {
    paintPicture(false);
    CaptureOutput out(1);
    engine->setBloomMode(0);
    engine->setBloomMode(1);
    runBloom(*engine);
    engine->setBloomMode(0);
    EXPECT_EQ(out.finish(), "");
}

TEST_F(Bloom, LeavesAnOpaqueBlackClearColour) {
    paintPicture(false);
    glClearColor(0.3f, 0.6f, 0.9f, 0.5f);
    runBloom(*engine);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));
}

TEST_F(Bloom, BlackPictureStaysBlack) {
    paintPicture(false);
    runBloom(*engine);
    std::vector<unsigned char> pixels(1024 * 768 * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    unsigned char brightest = 0;
    for (unsigned char value : pixels)
        brightest = std::max(brightest, value);
    EXPECT_EQ(brightest, 0);
}

struct Neighbour {
    const char* side;
    int x, y;
};

const Neighbour neighbours[] = {
    {"right", squareLeft + squareSide + 2, squareBottom + squareSide / 2},
    {"left", squareLeft - 3, squareBottom + squareSide / 2},
    {"above", squareLeft + squareSide / 2, squareBottom + squareSide + 2},
    {"below", squareLeft + squareSide / 2, squareBottom - 3},
};

void expectGlowAroundSquare(RenderEngine& engine) {
    std::vector<int> before;
    for (const Neighbour& n : neighbours)
        before.push_back(brightness(readBackBufferPixel(n.x, n.y)));
    runBloom(engine);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i], 0) << neighbours[i].side;
        EXPECT_GT(brightness(readBackBufferPixel(neighbours[i].x, neighbours[i].y)), before[i])
            << "no glow " << neighbours[i].side << " of the square";
    }
    Rgb centre = readBackBufferPixel(squareLeft + squareSide / 2, squareBottom + squareSide / 2);
    EXPECT_EQ(brightness(centre), 3 * 255);
    EXPECT_EQ(brightness(readBackBufferPixel(squareLeft + 200, squareBottom + squareSide / 2)), 0)
        << "the glow reaches far beyond the square";
}

TEST_F(Bloom, BrightSquareGlowsHorizontallyAndVertically) {
    paintPicture(true);
    expectGlowAroundSquare(*engine);
}

TEST_F(Bloom, GlowIsAddedWhateverTheDepthBufferHolds) {
    paintPicture(true);
    // Nearest possible depth everywhere, as after a scene close to the camera.
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    expectGlowAroundSquare(*engine);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
}

TEST_F(Bloom, DrawRunsBloomAfterTheMainPassWhenSwitchedOn) {
    // Without models the frame is just the bloom of the window's picture.
    ASSERT_GT(shader->getShaderHandle(), 0);
    paintPicture(true);
    std::vector<GameModel*> none;
    engine->setModels(none);
    engine->setBloomMode(1);
    Neighbour right = neighbours[0];
    engine->draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f));
    engine->setBloomMode(0);
    EXPECT_GT(brightness(readBackBufferPixel(right.x, right.y)), 0);
}

} // namespace
