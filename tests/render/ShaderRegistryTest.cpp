#include "CaptureOutput.h"
#include "RecordingModel.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char* const plainVertex = "#version 150 compatibility\n"
                                "in vec3 vertex;\n"
                                "uniform mat4 view;\n"
                                "void main() { gl_Position = view * vec4(vertex, 1.0); }\n";
const char* const plainFragment = "#version 150 compatibility\n"
                                  "out vec4 fragColor;\n"
                                  "void main() { fragColor = vec4(1.0); }\n";

// A shader built by a test leaves the registry with the test, which owns it.
struct RegistryEntry {
    ~RegistryEntry() { RenderEngine::compiledShader.erase(name); }
    std::string name;
};

GLint linkStatus(GLint program) {
    GLint linked = GL_FALSE;
    glGetProgramiv(static_cast<GLuint>(program), GL_LINK_STATUS, &linked);
    return linked;
}

} // namespace

// These two run first: nothing may have registered "Default" yet.
TEST(DefaultShader, IsUnknownBeforeTheFirstModelAsksForIt) {
    EXPECT_EQ(RenderEngine::getShader("Default"), nullptr);
}

TEST(DefaultShader, DrawWithoutItReportsAndDrawsNothing) {
    RenderEngine* engine = RenderEngine::activeRenderEngine;
    ASSERT_NE(engine, nullptr);
    std::vector<std::string> events;
    RecordingModel model("Lonely", &events);
    std::vector<GameModel*> models{&model};
    engine->models = models;

    CaptureOutput err(2);
    engine->draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f));
    EXPECT_EQ(err.finish(), "\" Default\" Shader not found\n");
    EXPECT_TRUE(events.empty());
    engine->models.clear();
}

TEST(ShaderRegistry, UnknownNameGivesNull) {
    EXPECT_EQ(RenderEngine::getShader("NoSuchShader"), nullptr);
}

TEST(ShaderRegistry, SecondHandleRequestReusesTheBuiltProgram) {
    const std::string vert = testFilePath("twice.vert");
    const std::string frag = testFilePath("twice.frag");
    writeTextFile(vert, plainVertex);
    writeTextFile(frag, plainFragment);
    RegistryEntry entry{"Twice"};
    Shader built(vert.c_str(), frag.c_str(), "Twice");
    Shader* shader = &built;

    CaptureOutput out(1);
    GLint first = shader->getShaderHandle();
    // Without its sources a rebuild could not link: the second request must not read them.
    std::remove(vert.c_str());
    std::remove(frag.c_str());
    GLint second = shader->getShaderHandle();
    std::string printed = out.finish();

    EXPECT_GT(first, 0);
    EXPECT_EQ(second, first);
    EXPECT_EQ(linkStatus(second), GL_TRUE);
    EXPECT_EQ(printed, "Twice is not in the Shader map, adding!\n");
    EXPECT_EQ(RenderEngine::getShader("Twice"), shader);
    EXPECT_NE(shader->viewLocation, -1);
}

TEST(ShaderRegistry, MissingSourcesStillGiveAProgramHandle) {
    RegistryEntry entry{"Missing"};
    Shader built("shader/NoSuchFile.vert", "shader/NoSuchFile.frag", "Missing");
    Shader* shader = &built;
    CaptureOutput err(2);
    CaptureOutput out(1);
    GLint handle = shader->getShaderHandle();
    std::string printed = out.finish();
    std::string errors = err.finish();

    EXPECT_GT(handle, 0);
    EXPECT_EQ(glIsProgram(static_cast<GLuint>(handle)), GL_TRUE);
    EXPECT_EQ(printed, "Missing is not in the Shader map, adding!\n");
    EXPECT_NE(errors.find("shader/NoSuchFile.vert"), std::string::npos) << errors;
    EXPECT_NE(errors.find("shader/NoSuchFile.frag"), std::string::npos) << errors;
    EXPECT_EQ(RenderEngine::getShader("Missing"), shader);
}

TEST(ShaderRegistry, TakenNameKeepsTheFirstShader) {
    RegistryEntry entry{"Taken"};
    Shader firstBuilt("shader/PassShader.vert", "shader/TextureShader.frag", "Taken");
    Shader secondBuilt("shader/PassShader.vert", "shader/BrightPassShader.frag", "Taken");
    Shader* first = &firstBuilt;
    Shader* second = &secondBuilt;
    first->getShaderHandle();

    CaptureOutput out(1);
    GLint handle = second->getShaderHandle();
    EXPECT_EQ(out.finish(), "Taken already in the Shader map!\n");
    EXPECT_GT(handle, 0);
    EXPECT_EQ(RenderEngine::getShader("Taken"), first);
}

TEST(ShaderRegistry, AddShaderDirectlyFollowsTheSameRules) {
    Shader first("a.vert", "a.frag", "Direct");
    Shader second("b.vert", "b.frag", "Direct");
    CaptureOutput out(1);
    RenderEngine::addShader("Direct", &first);
    RenderEngine::addShader("Direct", &second);
    EXPECT_EQ(out.finish(), "Direct is not in the Shader map, adding!\nDirect already in the Shader map!\n");
    EXPECT_EQ(RenderEngine::getShader("Direct"), &first);
    RenderEngine::compiledShader.erase("Direct");
}

TEST(ShaderRegistry, ConstructionTouchesNoGlState) {
    Shader shader("x.vert", "x.frag", "Unbuilt");
    EXPECT_EQ(shader.handle, -1);
    EXPECT_EQ(shader.vertexFile, "x.vert");
    EXPECT_EQ(shader.fragmentFile, "x.frag");
    EXPECT_EQ(shader.name, "Unbuilt");
    EXPECT_EQ(RenderEngine::getShader("Unbuilt"), nullptr);
}

struct BrokenSource {
    const char* label;
    const char* vertex;
    const char* fragment;
    // File names the report must name.
    bool namesVertex;
    bool namesFragment;
};

class BrokenShaderSource : public ::testing::TestWithParam<BrokenSource> {};

TEST_P(BrokenShaderSource, ReportsFileAndDriverLogAndStillGivesAHandle) {
    const BrokenSource& c = GetParam();
    const std::string vert = testFilePath(std::string(c.label) + ".vert");
    const std::string frag = testFilePath(std::string(c.label) + ".frag");
    writeTextFile(vert, c.vertex);
    writeTextFile(frag, c.fragment);

    CaptureOutput err(2);
    GLuint program = Shader::setupShader(vert, frag);
    std::string errors = err.finish();

    EXPECT_GT(program, 0u);
    EXPECT_EQ(glIsProgram(program), GL_TRUE);
    EXPECT_EQ(linkStatus(static_cast<GLint>(program)), GL_FALSE);
    if (c.namesVertex) {
        EXPECT_NE(errors.find(vert), std::string::npos) << errors;
    }
    if (c.namesFragment) {
        EXPECT_NE(errors.find(frag), std::string::npos) << errors;
    }
    // The driver's own words follow the file name.
    EXPECT_NE(errors.find("error"), std::string::npos) << errors;
    std::remove(vert.c_str());
    std::remove(frag.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, BrokenShaderSource,
    ::testing::Values(
        BrokenSource{"fragment_syntax", plainVertex,
                     "#version 150 compatibility\nout vec4 fragColor;\nvoid main() {", false, true},
        BrokenSource{"vertex_type", "#version 150 compatibility\nvoid main() { gl_Position = 1.0; }\n",
                     plainFragment, true, false},
        BrokenSource{
            "link_without_main", plainVertex,
            "#version 150 compatibility\nout vec4 fragColor;\nvoid paint() { fragColor = vec4(1.0); }\n",
            true, true}),
    [](const ::testing::TestParamInfo<BrokenSource>& info) { return std::string(info.param.label); });
