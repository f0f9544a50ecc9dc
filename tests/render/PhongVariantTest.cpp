#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string fileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(PhongVariant, DefaultShaderIsThePlainPhongProgram) {
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->name, "Default");
    EXPECT_EQ(shader->vertexFile, "shader/PhongShader.vert");
    EXPECT_EQ(shader->fragmentFile, "shader/PhongShader.frag");

    const std::string phong = fileContent("shader/PhongShader.frag");
    const std::string parallax = fileContent("shader/ParallaxPhongShader.frag");
    ASSERT_FALSE(phong.empty());
    ASSERT_FALSE(parallax.empty());
    EXPECT_NE(phong, parallax);
    EXPECT_NE(fileContent("shader/PhongShader.vert"), fileContent("shader/ParallaxPhongShader.vert"));

    // The plain program never reads a normal map; the other one does.
    GLuint plain = static_cast<GLuint>(shader->getShaderHandle());
    EXPECT_EQ(glGetUniformLocation(plain, "normalmap"), -1);
    GLuint mapped = Shader::setupShader("shader/ParallaxPhongShader.vert", "shader/ParallaxPhongShader.frag");
    EXPECT_NE(glGetUniformLocation(mapped, "normalmap"), -1);
}

TEST(PhongVariant, LoadingScreenClearsToOpaqueRed) {
    RenderEngine& engine = *RenderEngine::activeRenderEngine;
    const std::string picture = testFilePath("tree.ppm");
    writePpm(picture, 2, 2, std::vector<Rgb>(4, Rgb{0, 0, 0}));
    engine.setLoadingTexture(picture.c_str());
    ASSERT_TRUE(engine.loadingTextureActivated);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    engine.drawLoadingTexture();

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
