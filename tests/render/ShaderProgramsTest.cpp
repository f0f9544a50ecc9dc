#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/Shader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <string>
#include <vector>

namespace {

struct Input {
    const char* name;
    GLenum type;
    // -1: any location.
    GLint location;
};

struct ProgramCase {
    const char* registryName;
    const char* vertexFile;
    const char* fragmentFile;
    std::vector<Input> attributes;
    std::vector<Input> uniforms;
};

std::string infoLog(GLuint object, bool program) {
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1)
        return std::string();
    std::vector<char> log(static_cast<size_t>(length));
    if (program)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return std::string(log.data());
}

bool findActive(GLuint program, bool attribute, const std::string& wanted, GLenum& type) {
    GLint count = 0;
    glGetProgramiv(program, attribute ? GL_ACTIVE_ATTRIBUTES : GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[128];
        GLint size = 0;
        if (attribute)
            glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof(name), nullptr, &size, &type, name);
        else
            glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name), nullptr, &size, &type, name);
        if (wanted == name)
            return true;
    }
    return false;
}

const std::vector<Input> sceneAttributes = {
    {"vertex", GL_FLOAT_VEC3, 0}, {"normal", GL_FLOAT_VEC3, 2}, {"texCoord", GL_FLOAT_VEC2, 3}};
const std::vector<Input> sceneUniforms = {{"view", GL_FLOAT_MAT4, -1},
                                          {"model", GL_FLOAT_MAT4, -1},
                                          {"ProjViewModel", GL_FLOAT_MAT4, -1},
                                          {"ViewModel", GL_FLOAT_MAT4, -1},
                                          {"TexModel", GL_FLOAT_MAT4, -1},
                                          {"lightPosition", GL_FLOAT_VEC3, -1},
                                          {"lightColor", GL_FLOAT_VEC4, -1},
                                          {"ambientColor", GL_FLOAT_VEC4, -1},
                                          {"specularColor", GL_FLOAT_VEC4, -1},
                                          {"fogColor", GL_FLOAT_VEC4, -1},
                                          {"mistColor", GL_FLOAT_VEC4, -1},
                                          {"fogDensity", GL_FLOAT, -1},
                                          {"mistDensity", GL_FLOAT, -1},
                                          {"mistLevel", GL_FLOAT, -1},
                                          {"ambientMat", GL_FLOAT, -1},
                                          {"diffuseMat", GL_FLOAT, -1},
                                          {"specularMat", GL_FLOAT, -1},
                                          {"specularExp", GL_FLOAT, -1},
                                          {"useAlpha", GL_FLOAT, -1},
                                          {"activeShadow", GL_FLOAT, -1},
                                          {"ShadowMap", GL_SAMPLER_2D_SHADOW, -1},
                                          {"texture", GL_SAMPLER_2D, -1}};

std::vector<Input> plus(std::vector<Input> base, const std::vector<Input>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

const std::vector<Input> swayAttributes = {{"elapsedTime", GL_FLOAT, 1}, {"swayStrength", GL_FLOAT, 6}};
const std::vector<Input> shadowAttributes = {{"vertex", GL_FLOAT_VEC3, 0}, {"texCoord", GL_FLOAT_VEC2, 3}};
const std::vector<Input> shadowUniforms = {
    {"ProjViewModel", GL_FLOAT_MAT4, -1}, {"useAlpha", GL_FLOAT, -1}, {"texture", GL_SAMPLER_2D, -1}};
const std::vector<Input> passAttributes = {{"bloomVertex", GL_FLOAT_VEC4, 0},
                                           {"bloomTexCoord", GL_FLOAT_VEC2, 2}};

std::vector<ProgramCase> programCases() {
    return {
        {"Default", "shader/ParallaxPhongShader.vert", "shader/ParallaxPhongShader.frag",
         plus(sceneAttributes, {{"tangent", GL_FLOAT_VEC3, 4}, {"bitangent", GL_FLOAT_VEC3, 5}}),
         plus(sceneUniforms, {{"useNormalMap", GL_FLOAT, -1}, {"normalmap", GL_SAMPLER_2D, -1}})},
        {"PhongDefault", "shader/PhongShader.vert", "shader/PhongShader.frag", sceneAttributes,
         sceneUniforms},
        {"Shadow", "shader/ShadowShader.vert", "shader/ShadowShader.frag", shadowAttributes, shadowUniforms},
        {"SwayDefault", "shader/SwayPhongShader.vert", "shader/SwayPhongShader.frag",
         plus(sceneAttributes, swayAttributes), sceneUniforms},
        {"SwayShadow", "shader/SwayShadowShader.vert", "shader/SwayShadowShader.frag",
         plus(shadowAttributes, swayAttributes), shadowUniforms},
        {"Brightpass",
         "shader/PassShader.vert",
         "shader/BrightPassShader.frag",
         passAttributes,
         {{"bloomTexture", GL_SAMPLER_2D, -1}}},
        {"Gauss",
         "shader/PassShader.vert",
         "shader/GaussShader.frag",
         passAttributes,
         {{"bloomTexture", GL_SAMPLER_2D, -1}, {"shift", GL_FLOAT_VEC2, -1}}},
        {"TexShader",
         "shader/PassShader.vert",
         "shader/TextureShader.frag",
         passAttributes,
         {{"texture", GL_SAMPLER_2D, -1}}},
    };
}

class GameProgram : public ::testing::TestWithParam<ProgramCase> {
protected:
    void SetUp() override { clearGlErrors(); }
};

TEST_P(GameProgram, CompilesAndLinksWithoutAnyDriverMessage) {
    const ProgramCase& c = GetParam();
    CaptureOutput err(2);
    GLuint program = Shader::setupShader(c.vertexFile, c.fragmentFile);
    EXPECT_EQ(err.finish(), "");

    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    EXPECT_EQ(infoLog(program, true), "");

    GLuint shaders[2] = {0, 0};
    GLsizei attached = 0;
    glGetAttachedShaders(program, 2, &attached, shaders);
    ASSERT_EQ(attached, 2);
    for (GLuint shader : shaders) {
        GLint compiled = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        EXPECT_EQ(compiled, GL_TRUE);
        EXPECT_EQ(infoLog(shader, false), "");
    }
    EXPECT_EQ(glGetFragDataLocation(program, "fragColor"), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(GameProgram, DeclaresTheInterfaceTheEngineFeeds) {
    const ProgramCase& c = GetParam();
    GLuint program = Shader::setupShader(c.vertexFile, c.fragmentFile);
    for (const Input& input : c.attributes) {
        GLenum type = 0;
        ASSERT_TRUE(findActive(program, true, input.name, type)) << input.name;
        EXPECT_EQ(type, input.type) << input.name;
        if (input.location != -1) {
            EXPECT_EQ(glGetAttribLocation(program, input.name), input.location) << input.name;
        }
    }
    for (const Input& input : c.uniforms) {
        GLenum type = 0;
        ASSERT_TRUE(findActive(program, false, input.name, type)) << input.name;
        EXPECT_EQ(type, input.type) << input.name;
    }
}

struct SceneProgram {
    const char* vertexFile;
    const char* fragmentFile;
};

class SceneMainProgram : public ::testing::TestWithParam<SceneProgram> {};

TEST_P(SceneMainProgram, SamplersStartOnUnitsThatDoNotClash) {
    const SceneProgram& c = GetParam();
    GLuint program = Shader::setupShader(c.vertexFile, c.fragmentFile);
    GLint shadowLocation = glGetUniformLocation(program, "ShadowMap");
    ASSERT_NE(shadowLocation, -1);
    GLint unit = -1;
    glGetUniformiv(program, shadowLocation, &unit);
    EXPECT_EQ(unit, 0);
    for (const char* name : {"texture", "normalmap"}) {
        GLint location = glGetUniformLocation(program, name);
        if (location == -1)
            continue;
        glGetUniformiv(program, location, &unit);
        EXPECT_NE(unit, 0) << name;
    }
    // A program whose samplers clash fails validation and every draw with it.
    glValidateProgram(program);
    GLint valid = GL_FALSE;
    glGetProgramiv(program, GL_VALIDATE_STATUS, &valid);
    EXPECT_EQ(valid, GL_TRUE) << infoLog(program, true);
}

INSTANTIATE_TEST_SUITE_P(
    MainPrograms, SceneMainProgram,
    ::testing::Values(SceneProgram{"shader/ParallaxPhongShader.vert", "shader/ParallaxPhongShader.frag"},
                      SceneProgram{"shader/PhongShader.vert", "shader/PhongShader.frag"},
                      SceneProgram{"shader/SwayPhongShader.vert", "shader/SwayPhongShader.frag"}));

INSTANTIATE_TEST_SUITE_P(AllShaderFiles, GameProgram, ::testing::ValuesIn(programCases()),
                         [](const ::testing::TestParamInfo<ProgramCase>& info) {
                             return std::string(info.param.registryName);
                         });

} // namespace

namespace {

std::string swayFunction(const char* path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    const size_t start = text.find("vec3 sway(vec3 v) {");
    const size_t end = text.find("\n}\n", start);
    if (start == std::string::npos || end == std::string::npos)
        return std::string();
    return text.substr(start, end - start);
}

// The shadow of a blade must bend exactly as the blade does.
TEST(WheatPrograms, MainAndShadowPassBendTheVerticesAlike) {
    const std::string main = swayFunction("shader/SwayPhongShader.vert");
    ASSERT_FALSE(main.empty());
    EXPECT_EQ(swayFunction("shader/SwayShadowShader.vert"), main);
}

} // namespace
