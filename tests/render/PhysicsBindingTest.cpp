#include "RecordingModel.h"
#include "TestFiles.h"
#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string crateAndRock = std::string(LULLVANE_TEST_DIR) + "/fixtures/crate_and_rock.dae";
const std::string rockOnly = std::string(LULLVANE_TEST_DIR) + "/fixtures/rock_only.dae";

class PhysicsBinding : public ::testing::Test {
protected:
    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        ASSERT_NE(engine, nullptr);
        ASSERT_GT(shader->getShaderHandle(), 0);
        engine->physicsLoader = &loader;
        loader.initPhysics(crateAndRock.c_str());
        ASSERT_GE(loader.getPhysicsId("Crate"), 0) << "fixture world did not load";
        glViewport(0, 0, 1024, 768);
        clearGlErrors();
    }
    void TearDown() override {
        std::vector<GameModel*> none;
        engine->physicsLoader = nullptr;
        engine->setModels(none);
    }

    void show(std::vector<GameModel*> models) {
        scene = models;
        engine->setModels(scene);
    }
    void drawFrame() { engine->draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)); }

    RenderEngine* engine = nullptr;
    PhysicsLoader loader;
    std::vector<GameModel*> scene;
};

TEST_F(PhysicsBinding, BoundModelTakesItsBodyTransformAfterBeingDrawn) {
    RecordingModel crate("Crate", nullptr);
    crate.physicsId = loader.getPhysicsId("Crate");
    show({&crate});

    drawFrame();
    ASSERT_EQ(crate.mainPasses.size(), 1u);
    EXPECT_EQ(crate.mainPasses[0].model, glm::mat4(1.0f)) << "drawn with the matrix it had";
    EXPECT_EQ(crate.modelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 3.0f, 4.0f)));

    drawFrame();
    EXPECT_EQ(crate.mainPasses[1].model, glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 3.0f, 4.0f)));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PhysicsBinding, IdsThatNameNoBodyLeaveTheMatrixAlone) {
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(-1.0f, 0.0f, 9.0f));
    std::vector<RecordingModel*> models;
    for (int id : {-1, 99, 1000000}) {
        models.push_back(new RecordingModel("Unbound" + std::to_string(id), nullptr));
        models.back()->modelMatrix = placed;
        models.back()->physicsId = id;
    }
    show(std::vector<GameModel*>(models.begin(), models.end()));
    drawFrame();
    for (RecordingModel* model : models) {
        EXPECT_EQ(model->modelMatrix, placed) << model->name;
        delete model;
    }
}

TEST_F(PhysicsBinding, NewSceneRebindsModelsThatWereAlreadyDrawn) {
    RecordingModel rock("Rock", nullptr), crate("Crate", nullptr), fresh("Crate", nullptr);
    rock.activated = true;
    crate.activated = true;
    rock.physicsId = 7;
    crate.physicsId = loader.getPhysicsId("Crate");
    fresh.physicsId = 5;

    loader.initPhysics(rockOnly.c_str());
    show({&rock, &crate, &fresh});

    EXPECT_EQ(rock.physicsId, loader.getPhysicsId("Rock"));
    EXPECT_GE(rock.physicsId, 0);
    EXPECT_EQ(crate.physicsId, -1) << "no body of that name in the new world";
    EXPECT_EQ(fresh.physicsId, 5) << "a model not yet drawn reads its id when it is activated";

    drawFrame();
    EXPECT_EQ(rock.modelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(5.0f, 0.0f, 0.0f)));
    EXPECT_EQ(crate.modelMatrix, glm::mat4(1.0f));
}

} // namespace
