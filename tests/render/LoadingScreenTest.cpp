#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LoadingScreen : public ::testing::Test {
protected:
    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        ASSERT_NE(engine, nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDrawBuffer(GL_BACK);
        glViewport(0, 0, 1024, 768);
        clearGlErrors();
    }
    RenderEngine* engine = nullptr;
};

// Declared first: the loading screen exists once per process.
TEST_F(LoadingScreen, DrawingBeforeItExistsReportsAndDrawsNothing) {
    ASSERT_FALSE(engine->loadingTextureActivated);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    CaptureOutput err(2);
    engine->drawLoadingTexture();
    EXPECT_EQ(err.finish(), "LoadingTexture not activated\n");
    Rgb p = readBackBufferPixel(512, 384);
    EXPECT_EQ(p.b, 255) << "the picture must be left alone";
}

TEST_F(LoadingScreen, FirstPictureIsShownOverTheWholeWindowAndKept) {
    const std::string redPicture = testFilePath("loading-red.ppm");
    const std::string greenPicture = testFilePath("loading-green.ppm");
    writePpm(redPicture, 2, 2, std::vector<Rgb>(4, Rgb{255, 0, 0}));
    writePpm(greenPicture, 2, 2, std::vector<Rgb>(4, Rgb{0, 255, 0}));

    CaptureOutput out(1);
    engine->setLoadingTexture(redPicture.c_str());
    GLuint first = engine->loadingTexture;
    engine->setLoadingTexture(greenPicture.c_str());
    std::string printed = out.finish();
    EXPECT_EQ(countOccurrences(printed, "Activated loading texture\n"), 1) << printed;
    EXPECT_EQ(printed.find("loading-green"), std::string::npos) << "the second picture must not be loaded";
    EXPECT_TRUE(engine->loadingTextureActivated);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(engine->loadingTexture, first);
    EXPECT_NE(RenderEngine::getShader("TexShader"), nullptr);

    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CaptureOutput err(2);
    engine->drawLoadingTexture();
    EXPECT_EQ(err.finish(), "");
    for (auto corner : {std::pair<int, int>{1, 1}, {1022, 766}, {512, 384}, {1, 766}, {1022, 1}}) {
        Rgb p = readBackBufferPixel(corner.first, corner.second);
        EXPECT_EQ(p.r, 255) << corner.first << "," << corner.second;
        EXPECT_EQ(p.g, 0) << corner.first << "," << corner.second;
        EXPECT_EQ(p.b, 0) << corner.first << "," << corner.second;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

#ifndef LULLVANE_PHONG
TEST_F(LoadingScreen, KeepsTheClearColour) {
    ASSERT_TRUE(engine->loadingTextureActivated);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    engine->drawLoadingTexture();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
}
#endif

} // namespace
