#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"
#include "scene/SkyBoxModel.h"
#include "scene/SwayingGameModel.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Models of variants.dae (a wheat stalk, a sky box and a stone), drawn with no
// physics world loaded.
class ModelDraw : public ::testing::Test {
protected:
    void SetUp() override {
        savedLoader = PhysicsLoader::activeLoader;
        PhysicsLoader::activeLoader = nullptr;
        CaptureOutput out(1);
        import(fixturePath("variants.dae").c_str(), models, noAssets);
        out.finish();
        ASSERT_EQ(models.size(), 4u);
        for (GameModel* model : models) {
            model->setShadowFBO(RenderEngine::activeRenderEngine->shadowFBO);
            model->setShadowMap(RenderEngine::activeRenderEngine->shadowMap);
        }
    }

    void TearDown() override {
        for (GameModel* model : models)
            delete model;
        releaseImportedAssets();
        PhysicsLoader::activeLoader = savedLoader;
    }

    GameModel* named(const std::string& name) {
        for (GameModel* model : models)
            if (model->name == name)
                return model;
        ADD_FAILURE() << "no model named " << name;
        return nullptr;
    }

    // Draws and returns what went to standard output; GL error reports (on the
    // error stream) are a test failure.
    std::string drawQuietly(GameModel* model, bool shadowPass = false) {
        CaptureOutput err(2);
        CaptureOutput out(1);
        if (shadowPass)
            model->drawShadow();
        else
            model->draw();
        std::string printed = out.finish();
        EXPECT_EQ(err.finish(), "") << model->name;
        return printed;
    }

    std::vector<GameModel*> models;
    std::vector<GameAsset*> noAssets;
    PhysicsLoader* savedLoader = nullptr;
};

TEST_F(ModelDraw, FirstDrawPrintsThePhysicsIdOnce) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    EXPECT_EQ(drawQuietly(stone), "Stone has Id: -1\n");
    EXPECT_TRUE(stone->activated);
    EXPECT_EQ(stone->physicsId, -1);
    EXPECT_EQ(drawQuietly(stone), "");
    EXPECT_EQ(drawQuietly(stone, true), "");
}

TEST_F(ModelDraw, ShadowPassActivatesTooButOnlyOnce) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    EXPECT_EQ(drawQuietly(stone, true), "Stone has Id: -1\n");
    EXPECT_EQ(drawQuietly(stone), "");
}

TEST_F(ModelDraw, ModelWithoutAssetsActivatesAndDrawsNothing) {
    GameModel* root = named("Root");
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(root->gameAssets.empty());
    EXPECT_EQ(drawQuietly(root), "Root has Id: -1\n");
    EXPECT_EQ(drawQuietly(root, true), "");
    EXPECT_TRUE(root->activated);
}

TEST_F(ModelDraw, EveryKindOfModelDrawsWithoutGLErrors) {
    glGetError();
    for (const char* name : {"Stone", "Wheat", "Skyb_1", "Root"}) {
        GameModel* model = named(name);
        ASSERT_NE(model, nullptr);
        for (int frame = 0; frame < 3; ++frame) {
            drawQuietly(model, true);
            drawQuietly(model);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name << " frame " << frame;
        }
    }
}

TEST_F(ModelDraw, MatricesAndEnvironmentReachTheProgramOnDraw) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    glm::mat4 placement =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(2, 0, -1)), 0.3f, glm::vec3(0, 1, 0));
    glm::mat4 view = glm::lookAt(glm::vec3(1, 2, 5), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 projection = glm::perspective(glm::radians(60.0f), 4.0f / 3.0f, 0.1f, 100.0f);
    glm::mat4 lightView = glm::lookAt(glm::vec3(5, 8, 0), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 lightProjection = glm::perspective(glm::radians(80.0f), 1.0f, 0.5f, 50.0f);
    stone->setModelMatrix(placement);
    stone->setViewMatrix(view);
    stone->setProjMatrix(projection);
    stone->setLightMatrix(lightProjection * lightView);
    stone->setLightViewMatrix(lightView);
    drawQuietly(stone);

    GLuint program = stone->shaderProgram;
    EXPECT_EQ(uniformMat4(program, "ProjViewModel"), projection * view * placement);
    EXPECT_EQ(uniformMat4(program, "ViewModel"), view * placement);
    // Without the model matrix: the shader applies "model" itself.
    EXPECT_EQ(uniformMat4(program, "TexModel"), stone->biasMatrix * stone->lightMatrix);
    EXPECT_EQ(uniformMat4(program, "model"), placement);
    EXPECT_EQ(uniformFloat(program, "ShadowMap"), 0.0f);

    // The scene scripts write the members; the next draw uploads them.
    stone->fogDensity = 0.125f;
    stone->mistLevel = 3.5f;
    stone->lightPosition = glm::vec3(-24.5551f, 2.77149f, 0.623911f);
    EXPECT_EQ(uniformFloat(program, "fogDensity"), 0.01f);
    drawQuietly(stone);
    EXPECT_EQ(uniformFloat(program, "fogDensity"), 0.125f);
    EXPECT_EQ(uniformFloat(program, "mistLevel"), 3.5f);
    EXPECT_EQ(uniformVec3(program, "lightPosition"), stone->lightPosition);
}

TEST_F(ModelDraw, ShadowPassGetsTheLightTransformOfTheModel) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    glm::mat4 lightView = glm::lookAt(glm::vec3(5, 8, 0), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 lightProjection = glm::perspective(glm::radians(80.0f), 1.0f, 0.5f, 50.0f);
    glm::mat4 placement = glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0));
    stone->setModelMatrix(placement);
    stone->setViewMatrix(lightView);
    stone->setProjMatrix(lightProjection);
    drawQuietly(stone, true);
    EXPECT_EQ(uniformMat4(stone->getShadowShader(), "ProjViewModel"),
              lightProjection * lightView * placement);
}

TEST_F(ModelDraw, SwitchesBeforeActivationHaveNoLastingEffect) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    ASSERT_EQ(stone->alphaDefault, 0);
    stone->useAlpha(1);
    stone->useShadow(0);
    drawQuietly(stone);
    EXPECT_EQ(uniformFloat(stone->shaderProgram, "useAlpha"), 0.0f);
    EXPECT_EQ(uniformFloat(stone->getShadowShader(), "useAlpha"), 0.0f);
    EXPECT_EQ(uniformFloat(stone->shaderProgram, "activeShadow"), 1.0f);
    EXPECT_EQ(stone->shadowActive, 1);
}

TEST_F(ModelDraw, UseShadowOnAnActiveModelTakesEffectOnItsNextDraw) {
    GameModel* stone = named("Stone");
    GameModel* wheat = named("Wheat");
    ASSERT_TRUE(stone && wheat);
    drawQuietly(stone);
    drawQuietly(wheat);

    const struct {
        int on;
        float expected;
    } steps[] = {{0, 0.0f}, {1, 1.0f}, {0, 0.0f}};
    for (const auto& step : steps) {
        // Another model's program is current when the scene script switches.
        glUseProgram(wheat->shaderProgram);
        stone->useShadow(step.on);
        drawQuietly(stone);
        EXPECT_EQ(uniformFloat(stone->shaderProgram, "activeShadow"), step.expected)
            << "useShadow(" << step.on << ")";
    }
}

TEST_F(ModelDraw, UseShadowWritesOnlyIntoItsOwnProgram) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    drawQuietly(stone);
    glGetError();

    glUseProgram(0);
    stone->useShadow(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "no program was current";
}

TEST_F(ModelDraw, UseAlphaOnAnActiveModelSetsBothProgramsAtOnce) {
    GameModel* stone = named("Stone");
    ASSERT_NE(stone, nullptr);
    drawQuietly(stone);
    for (int on : {1, 0, 1}) {
        stone->useAlpha(on);
        EXPECT_EQ(uniformFloat(stone->shaderProgram, "useAlpha"), on ? 1.0f : 0.0f);
        EXPECT_EQ(uniformFloat(stone->getShadowShader(), "useAlpha"), on ? 1.0f : 0.0f);
    }
}

TEST_F(ModelDraw, UseAlphaReachesTheShadowProgramEvenWhenTheMainProgramHasNoSwitch) {
    // Registered by name for the rest of the run, so it must outlive the test.
    static Shader noAlpha(fixturePath("NormalMapProbe.vert").c_str(),
                          fixturePath("NormalMapProbe.frag").c_str(), "NoAlphaProbe");
    GameModel probe("Probe", glm::mat4(1.0f));
    CaptureOutput out(1);
    probe.setShaderProgram(&noAlpha);
    probe.setShadowShader(shadow);
    probe.draw();
    out.finish();
    ASSERT_EQ(probe.useAlphaLocation, -1);
    for (int on : {1, 0}) {
        probe.useAlpha(on);
        EXPECT_EQ(uniformFloat(probe.getShadowShader(), "useAlpha"), on ? 1.0f : 0.0f);
    }
}

TEST_F(ModelDraw, SkyBoxNeverEntersTheShadowMapAndReceivesNoShadow) {
    GameModel* sky = named("Skyb_1");
    ASSERT_NE(sky, nullptr);
    ASSERT_NE(dynamic_cast<SkyBoxModel*>(sky), nullptr);
    EXPECT_EQ(drawQuietly(sky, true), "");
    EXPECT_FALSE(sky->activated) << "the shadow pass skips a model that casts no shadow";

    EXPECT_EQ(drawQuietly(sky), "Skyb_1 has Id: -1\n");
    EXPECT_EQ(uniformFloat(sky->shaderProgram, "activeShadow"), 0.0f);
    EXPECT_EQ(uniformFloat(sky->shaderProgram, "useAlpha"), 0.0f);

    // Shadow mode 1 switches reception back on; casting stays off.
    sky->useShadow(1);
    drawQuietly(sky);
    EXPECT_EQ(uniformFloat(sky->shaderProgram, "activeShadow"), 1.0f);
    sky->castsShadow = 0;
    EXPECT_EQ(drawQuietly(sky, true), "");
}

TEST_F(ModelDraw, ShadowPassNeedsTheEngineShadowTargets) {
    const struct {
        GLuint fbo;
        GLuint map;
        bool draws;
    } cases[] = {
        {0, 0, false},
        {RenderEngine::activeRenderEngine->shadowFBO, 0, false},
        {0, RenderEngine::activeRenderEngine->shadowMap, false},
        {RenderEngine::activeRenderEngine->shadowFBO, RenderEngine::activeRenderEngine->shadowMap, true}};
    for (const auto& c : cases) {
        GameModel stone("Pebble", glm::mat4(1.0f));
        stone.setShadowFBO(c.fbo);
        stone.setShadowMap(c.map);
        drawQuietly(&stone, true);
        EXPECT_EQ(stone.activated, c.draws) << c.fbo << "/" << c.map;
    }
}

TEST_F(ModelDraw, SwayClockAdvancesPerPassAndWrapsAtItsEnd) {
    auto* wheat = dynamic_cast<SwayingGameModel*>(named("Wheat"));
    ASSERT_NE(wheat, nullptr);

    // First frame: the shadow pass runs before activation and writes nothing.
    drawQuietly(wheat, true);
    EXPECT_TRUE(wheat->activated);
    EXPECT_GE(wheat->swayTime, 10000.0f);
    EXPECT_LE(wheat->swayTime, 180000.0f);
    ASSERT_NE(wheat->elapsedTimeLocation, -1);
    ASSERT_NE(wheat->swayStrengthLocation, -1);

    wheat->swayTime = 900000.0f - 5.0f;
    drawQuietly(wheat, true);
    EXPECT_EQ(wheat->swayTime, 900005.0f);
    drawQuietly(wheat);
    EXPECT_EQ(wheat->swayTime, 900005.0f) << "a main pass after the shadow pass shares its time";
    drawQuietly(wheat, true);
    EXPECT_EQ(wheat->swayTime, 5010.0f);

    float attribute[4] = {};
    glGetVertexAttribfv(static_cast<GLuint>(wheat->elapsedTimeLocation), GL_CURRENT_VERTEX_ATTRIB, attribute);
    EXPECT_FLOAT_EQ(attribute[0], 5010.0f / 5000.0f);

    drawQuietly(wheat);
    EXPECT_EQ(wheat->swayTime, 5010.0f);
    drawQuietly(wheat);
    EXPECT_EQ(wheat->swayTime, 5011.0f) << "a second main pass without shadow pass advances by 1";
    glGetVertexAttribfv(static_cast<GLuint>(wheat->elapsedTimeLocation), GL_CURRENT_VERTEX_ATTRIB, attribute);
    EXPECT_FLOAT_EQ(attribute[0], 5011.0f / 5000.0f);
    glGetVertexAttribfv(static_cast<GLuint>(wheat->swayStrengthLocation), GL_CURRENT_VERTEX_ATTRIB,
                        attribute);
    EXPECT_FLOAT_EQ(attribute[0], 0.1f);

    // The clock restarts once it has reached its end, from the main pass too.
    wheat->swayTime = 900000.0f;
    drawQuietly(wheat);
    EXPECT_EQ(wheat->swayTime, 5001.0f);
}

TEST_F(ModelDraw, SwayingModelDrawsWithBackFacesAndRestoresCulling) {
    GameModel* wheat = named("Wheat");
    ASSERT_NE(wheat, nullptr);
    glEnable(GL_CULL_FACE);
    drawQuietly(wheat, true);
    drawQuietly(wheat);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(wheat->getShaderObj(), swayShader);
}

} // namespace
