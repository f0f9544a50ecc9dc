#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const Rgb red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0}, white{255, 255, 255};

GLint textureParameter(GLuint texture, GLenum name) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

class Textures : public ::testing::Test {
protected:
    void SetUp() override { clearGlErrors(); }
};

TEST_F(Textures, LoadsTheImageBottomRowFirstWithAFullMipmapChain) {
    // Top row red, bottom row blue, as the file stores them.
    const std::string path = testFilePath("rows.ppm");
    writePpm(path, 4, 2, {red, red, red, green, blue, blue, blue, white});
    size_t listed = RenderEngine::loadedTextures.size();

    CaptureOutput out(1);
    GLuint texture = RenderEngine::loadTexture(path.c_str());
    EXPECT_EQ(out.finish(), "");

    ASSERT_NE(texture, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    ASSERT_EQ(RenderEngine::loadedTextures.size(), listed + 1);
    EXPECT_EQ(RenderEngine::loadedTextures.back(), texture);

    GLint width = 0, height = 0, levelOneWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(levelOneWidth, 2);

    std::vector<unsigned char> texels(4 * 2 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    auto texel = [&](int x, int y) {
        const unsigned char* p = &texels[static_cast<size_t>((y * 4 + x) * 4)];
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(texel(0, 0), (std::vector<int>{0, 0, 255, 255})) << "GL's first row is the image's bottom row";
    EXPECT_EQ(texel(3, 0), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(texel(0, 1), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(texel(3, 1), (std::vector<int>{0, 255, 0, 255}));

    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Textures, SidesThatAreNotPowersOfTwoStillLoad) {
    const std::string path = testFilePath("odd.ppm");
    writePpm(path, 3, 5, std::vector<Rgb>(15, green));
    GLuint texture = RenderEngine::loadTexture(path.c_str());
    ASSERT_NE(texture, 0u);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_GT(width, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Textures, SamePathTwiceGivesTwoTexturesAndTwoListEntries) {
    const std::string path = testFilePath("twice.ppm");
    writePpm(path, 2, 2, {red, red, red, red});
    size_t listed = RenderEngine::loadedTextures.size();
    GLuint first = RenderEngine::loadTexture(path.c_str());
    GLuint second = RenderEngine::loadTexture(path.c_str());
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    ASSERT_EQ(RenderEngine::loadedTextures.size(), listed + 2);
    EXPECT_EQ(RenderEngine::loadedTextures[listed], first);
    EXPECT_EQ(RenderEngine::loadedTextures[listed + 1], second);
}

struct BadImage {
    const char* label;
    const char* fileName;
    // Written before loading; nullptr leaves the file missing.
    const char* content;
};

class UnreadableImage : public ::testing::TestWithParam<BadImage> {};

TEST_P(UnreadableImage, ReportsThePathAndDevilErrorsAndGivesNoTexture) {
    const BadImage& c = GetParam();
    const std::string path = testFilePath(c.fileName);
    if (c.content)
        writeTextFile(path, c.content);
    clearGlErrors();
    size_t listed = RenderEngine::loadedTextures.size();

    CaptureOutput out(1);
    GLuint texture = RenderEngine::loadTexture(path.c_str());
    std::vector<std::string> lines = splitLines(out.finish());

    EXPECT_EQ(texture, 0u);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Devil could not load: " + path);
    const std::regex devilError("[0-9]+: DevIL error ");
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], devilError)) << lines[i];
    EXPECT_EQ(RenderEngine::loadedTextures.size(), listed + 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(BadFiles, UnreadableImage,
                         ::testing::Values(BadImage{"Missing", "missing.ppm", nullptr},
                                           BadImage{"Empty", "empty.tga", ""},
                                           BadImage{"Garbage", "garbage.ppm", "P6\n4 four\nnot an image"}),
                         [](const ::testing::TestParamInfo<BadImage>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(Textures, ChangeTextureModeTogglesTheFilteringOfEveryLoadedTexture) {
    const std::string path = testFilePath("filter.ppm");
    writePpm(path, 2, 2, {white, white, white, white});
    GLuint a = RenderEngine::loadTexture(path.c_str());
    GLuint b = RenderEngine::loadTexture(path.c_str());
    RenderEngine& engine = *RenderEngine::activeRenderEngine;
    engine.textureMode = 0;

    struct Step {
        int mode;
        GLint minFilter;
        GLint magFilter;
    };
    const Step steps[] = {{1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
                          {0, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
                          {1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}};
    for (const Step& step : steps) {
        CaptureOutput err(2);
        engine.changeTextureMode();
        EXPECT_EQ(err.finish(), "");
        EXPECT_EQ(engine.textureMode, step.mode);
        for (GLuint texture : {a, b}) {
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), step.minFilter)
                << "mode " << step.mode;
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), step.magFilter)
                << "mode " << step.mode;
        }
    }
}

} // namespace
