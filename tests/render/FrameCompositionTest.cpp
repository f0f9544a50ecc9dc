#include "CaptureOutput.h"
#include "RecordingModel.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Distinct matrices so that each pass can be told which one it received.
const glm::mat4 cameraView = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f));
const glm::mat4 cameraProjection = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 800.0f);
const glm::mat4 lightView = glm::translate(glm::mat4(1.0f), glm::vec3(-4.0f, 5.0f, -6.0f));
const glm::mat4 lightProjection = glm::perspective(glm::radians(45.0f), 1.0f, 3.0f, 700.0f);

class FrameComposition : public ::testing::Test {
protected:
    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        ASSERT_NE(engine, nullptr);
        // The scene import's "Default", built as the first scene model builds it.
        ASSERT_GT(shader->getShaderHandle(), 0);
        engine->physicsLoader = nullptr;
        engine->setFrustumCullingMode(0);
        engine->setBloomMode(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, 1024, 768);
        clearGlErrors();
    }
    void TearDown() override {
        std::vector<GameModel*> none;
        engine->setModels(none);
        engine->setFrustumCullingMode(0);
    }

    void show(std::vector<RecordingModel*> recorders) {
        scene.assign(recorders.begin(), recorders.end());
        engine->setModels(scene);
    }
    void drawFrame() { engine->draw(cameraView, cameraProjection, lightView, lightProjection); }

    RenderEngine* engine = nullptr;
    std::vector<std::string> events;
    std::vector<GameModel*> scene;
};

TEST_F(FrameComposition, ShadowPassOfEveryModelComesBeforeTheMainPass) {
    RecordingModel a("A", &events), b("B", &events);
    show({&a, &b});
    drawFrame();
    EXPECT_EQ(events, (std::vector<std::string>{"shadow:A", "shadow:B", "draw:A", "draw:B"}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameComposition, ShadowPassDrawsFromTheLightIntoTheShadowMap) {
    RecordingModel a("A", &events);
    show({&a});
    drawFrame();
    ASSERT_EQ(a.shadowPasses.size(), 1u);
    const RecordingModel::PassState& pass = a.shadowPasses[0];
    EXPECT_EQ(pass.projection, lightProjection);
    EXPECT_EQ(pass.view, lightView);
    EXPECT_EQ(static_cast<GLuint>(pass.framebuffer), engine->shadowFBO);
    for (GLboolean channel : pass.colorMask)
        EXPECT_EQ(channel, GL_FALSE);
    EXPECT_EQ(pass.viewport[2], 2048);
    EXPECT_EQ(pass.viewport[3], 2048);
    EXPECT_EQ(pass.culledFace, GL_FRONT);
}

TEST_F(FrameComposition, MainPassDrawsFromTheCameraIntoTheWindow) {
    RecordingModel a("A", &events);
    show({&a});
    drawFrame();
    ASSERT_EQ(a.mainPasses.size(), 1u);
    const RecordingModel::PassState& pass = a.mainPasses[0];
    EXPECT_EQ(pass.projection, cameraProjection);
    EXPECT_EQ(pass.view, cameraView);
    EXPECT_EQ(pass.light, lightProjection * lightView);
    EXPECT_EQ(pass.lightView, lightView);
    EXPECT_EQ(pass.framebuffer, 0);
    for (GLboolean channel : pass.colorMask)
        EXPECT_EQ(channel, GL_TRUE);
    EXPECT_EQ(pass.viewport[2], 1024);
    EXPECT_EQ(pass.viewport[3], 768);
    EXPECT_EQ(pass.culledFace, GL_BACK);

    EXPECT_EQ(engine->view, cameraView);
    EXPECT_EQ(engine->projection, cameraProjection);
    EXPECT_EQ(engine->lightView, lightView);
    EXPECT_EQ(engine->lightProjection, lightProjection);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
}

TEST_F(FrameComposition, DefaultProgramReceivesTheCameraView) {
    drawFrame();
    GLuint program = static_cast<GLuint>(shader->getShaderHandle());
    ASSERT_NE(shader->viewLocation, -1);
    glm::mat4 uploaded(0.0f);
    glGetUniformfv(program, shader->viewLocation, glm::value_ptr(uploaded));
    EXPECT_EQ(uploaded, cameraView);
}

TEST_F(FrameComposition, EmptySceneWithoutPhysicsDrawsWithoutGlError) {
    show({});
    CaptureOutput err(2);
    drawFrame();
    EXPECT_EQ(err.finish(), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameComposition, ModelWithABodyIdButNoPhysicsKeepsItsMatrix) {
    RecordingModel a("A", &events);
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(7.0f, 0.0f, 0.0f));
    a.modelMatrix = placed;
    a.physicsId = 3;
    show({&a});
    drawFrame();
    EXPECT_EQ(a.modelMatrix, placed);
    EXPECT_EQ(a.mainPasses.size(), 1u);
}

TEST_F(FrameComposition, FrustumCullingWithoutPhysicsDrawsNoModel) {
    RecordingModel a("A", &events);
    show({&a});
    engine->setFrustumCullingMode(1);
    EXPECT_EQ(engine->getFrustumCullingMode(), 1);
    drawFrame();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameComposition, SetModelsPreparesEveryModelForTheScene) {
    RecordingModel a("A", &events), b("B", &events);
    engine->projection = cameraProjection;
    double before = glfwGetTime();
    show({&a, &b});
    double after = glfwGetTime();
    ASSERT_EQ(engine->models.size(), 2u);
    for (RecordingModel* model : {&a, &b}) {
        EXPECT_EQ(model->projMatrix, cameraProjection);
        EXPECT_EQ(model->shadowFBO, engine->shadowFBO);
        EXPECT_EQ(model->shadowMap, engine->shadowMap);
        ASSERT_EQ(model->updateTimes.size(), 1u);
        EXPECT_GE(model->updateTimes[0], before);
        EXPECT_LE(model->updateTimes[0], after);
    }
    EXPECT_EQ(engine->models[0], &a);
    EXPECT_EQ(engine->models[1], &b);
}

struct ModeCase {
    const char* label;
    std::function<void(RenderEngine&, int)> set;
    std::function<int(const RenderEngine&)> stored;
    std::vector<int> RecordingModel::*switches;
    int argument;
    // Expected switch for a model that casts shadows and uses alpha, and for
    // one that does neither; empty when nothing may change.
    std::vector<int> forDefaultModel;
    std::vector<int> forPlainModel;
};

class RenderMode : public FrameComposition, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(RenderMode, ReachesEveryModelOrChangesNothing) {
    const ModeCase& c = GetParam();
    RecordingModel usual("Usual", &events), plain("Plain", &events);
    plain.castsShadow = 0;
    plain.alphaDefault = 0;
    show({&usual, &plain});
    const int storedBefore = c.stored(*engine);

    c.set(*engine, c.argument);

    EXPECT_EQ(usual.*c.switches, c.forDefaultModel);
    EXPECT_EQ(plain.*c.switches, c.forPlainModel);
    EXPECT_EQ(c.stored(*engine), c.forDefaultModel.empty() ? storedBefore : c.argument);
}

std::vector<ModeCase> modeCases() {
    auto shadow = [](RenderEngine& e, int v) { e.setShadowMode(v); };
    auto shadowMode = [](const RenderEngine& e) { return e.shadowMode; };
    auto alpha = [](RenderEngine& e, int v) { e.setAlphaMode(v); };
    auto alphaMode = [](const RenderEngine& e) { return e.alphaMode; };
    std::vector<ModeCase> cases = {
        {"ShadowOn", shadow, shadowMode, &RecordingModel::shadowSwitches, 1, {1}, {1}},
        {"ShadowOff", shadow, shadowMode, &RecordingModel::shadowSwitches, 0, {0}, {0}},
        {"ShadowDefaults", shadow, shadowMode, &RecordingModel::shadowSwitches, 2, {1}, {0}},
        {"ShadowThree", shadow, shadowMode, &RecordingModel::shadowSwitches, 3, {}, {}},
        {"ShadowNegative", shadow, shadowMode, &RecordingModel::shadowSwitches, -1, {}, {}},
        {"AlphaOn", alpha, alphaMode, &RecordingModel::alphaSwitches, 1, {1}, {1}},
        {"AlphaOff", alpha, alphaMode, &RecordingModel::alphaSwitches, 0, {0}, {0}},
        {"AlphaDefaults", alpha, alphaMode, &RecordingModel::alphaSwitches, 2, {1}, {0}},
        {"AlphaNegative", alpha, alphaMode, &RecordingModel::alphaSwitches, -1, {}, {}},
        {"AlphaThree", alpha, alphaMode, &RecordingModel::alphaSwitches, 3, {}, {}},
    };
#ifndef LULLVANE_PHONG
    auto normal = [](RenderEngine& e, int v) { e.setNormalMappingMode(v); };
    auto normalMode = [](const RenderEngine& e) { return e.normalMappingMode; };
    cases.push_back(
        {"NormalMapOff", normal, normalMode, &RecordingModel::normalMappingSwitches, 0, {0}, {0}});
    cases.push_back({"NormalMapOn", normal, normalMode, &RecordingModel::normalMappingSwitches, 1, {1}, {1}});
    cases.push_back({"NormalMapTwo", normal, normalMode, &RecordingModel::normalMappingSwitches, 2, {}, {}});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Modes, RenderMode, ::testing::ValuesIn(modeCases()),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                             return std::string(info.param.label);
                         });

TEST(RenderModeSwitch, WireframeSetsThePolygonModeOfBothFaces) {
    RenderEngine& engine = *RenderEngine::activeRenderEngine;
    struct Step {
        int mode;
        GLint polygonMode;
    };
    for (const Step& step : {Step{1, GL_LINE}, Step{0, GL_FILL}, Step{7, GL_LINE}, Step{0, GL_FILL}}) {
        engine.setWireframeMode(step.mode);
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], step.polygonMode) << step.mode;
        EXPECT_EQ(modes[1], step.polygonMode) << step.mode;
        EXPECT_EQ(engine.wireframeMode, step.mode);
    }
}

TEST(RenderModeSwitch, BloomModeIsStoredAsZeroOrOne) {
    RenderEngine& engine = *RenderEngine::activeRenderEngine;
    for (int value : {5, -2, 1}) {
        engine.setBloomMode(value);
        EXPECT_EQ(engine.bloomMode, 1) << value;
    }
    engine.setBloomMode(0);
    EXPECT_EQ(engine.bloomMode, 0);
}

TEST(FrameRate, FirstValueOnThe101stFrameThenEvery101FrameWindowOver100) {
    RenderEngine& engine = *RenderEngine::activeRenderEngine;
    engine.frameCount = 0;
    engine.frameTimeSum = 0;
    engine.fps = 0;
    for (int frame = 1; frame <= 100; ++frame) {
        engine.updateTime(0.01);
        ASSERT_EQ(engine.fps, 0.0) << "frame " << frame;
    }
    EXPECT_EQ(engine.frameCount, 100);
    engine.updateTime(0.02);
    EXPECT_NEAR(engine.fps, 100.0 / 1.0, 1e-9);
    EXPECT_EQ(engine.frameCount, 0);
    EXPECT_DOUBLE_EQ(engine.frameTimeSum, 0.02);
    EXPECT_DOUBLE_EQ(engine.frameTime, 0.02);

    for (int frame = 0; frame < 100; ++frame)
        engine.updateTime(0.01);
    EXPECT_NEAR(engine.fps, 100.0, 1e-9);
    engine.updateTime(0.04);
    // The second window holds 101 durations: 0.02 + 100 * 0.01.
    EXPECT_NEAR(engine.fps, 100.0 / 1.02, 1e-9);
}

} // namespace
