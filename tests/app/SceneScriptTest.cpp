#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"
#include "app/MainClass.h"
#include "camera/Camera.h"
#include "scene/GameModel.h"

#include <CaptureOutput.h>
#include <assimp/scene.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <btBulletDynamicsCommon.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <string>

// The scene scripts with real cameras, models and physics worlds. The physics
// files are the small fixtures beside this test, under the game's file names.
namespace {

bool noKey(int) { return false; }
void stillMouse(int* x, int* y) { *x = *y = 0; }

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class SceneScriptTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        readKey = noKey;
        readCursor = stillMouse;
        BridgeCam->usePhysics = false;
        IntroCam->usePhysics = false;
        renderEngine.physicsLoader = PhysicsLoader::activeLoader;
        for (std::vector<GameModel*>* list :
             {&intro_models, &scene_one_models, &scene_two_models, &scene_three_models, &scene_four_models}) {
            list->push_back(new GameModel("Floor", glm::mat4(1.0f)));
            list->push_back(new GameModel("Lamp", glm::mat4(1.0f)));
        }
        dogModel = new GameModel("dogbody", glm::mat4(1.0f));
        scene_two_models.push_back(dogModel);
        std::vector<GameModel*> dogModels{dogModel};
        aiScene emptyScene;
        dogAnimator = new SceneAnimator(&emptyScene, dogModel, 0);
        pDog = new AnimatedObject("animateddog", dogAnimator, dogModels);
        dogmatrix = glm::translate(glm::mat4(1.0f), dogOrigin);
        pDog->matrix = dogmatrix;
        animations.push_back(pDog);
        renderEngine.setAnimations(animations);
    }

    static void TearDownTestSuite() {
        animations.clear();
        renderEngine.setAnimations(animations);
        delete pDog;
        pDog = nullptr;
        delete dogAnimator;
        dogAnimator = nullptr;
        for (std::vector<GameModel*>* list :
             {&intro_models, &scene_one_models, &scene_two_models, &scene_three_models, &scene_four_models}) {
            for (GameModel* model : *list)
                delete model;
            list->clear();
        }
        dogModel = nullptr;
    }

    void SetUp() override {
        activeScene = 0;
        SceneActive = 0;
        introSceneActive = false;
        dogActive = false;
        pDog->clearMoves();
        pDog->matrix = dogmatrix;
        ActiveCam = MainCam;
        dTimeDiff = 1.0 / 60;
        time = 10.0;
    }

    // One frame of a scene as the game loop runs it after that scene was
    // chosen, without drawing.
    void frame(int scene) {
        static void (*const scripts[])(double) = {introScene, gameSceneOne, gameSceneTwo, gameSceneThree,
                                                  gameSceneFour};
        activeScene = scene;
        physicsLoader.sceneNum = scene;
        time += dTimeDiff;
        scripts[scene](time);
        activeScene = physicsLoader.getSceneNum();
        if (addPhysicsCharacter) {
            physicsLoader.addCharacter();
            addPhysicsCharacter = 0;
        }
    }

    static glm::vec3 eyeOf(Camera* camera) { return glm::vec3(glm::inverse(camera->getCameraMatrix())[3]); }

    static GameModel* dogModel;
    static SceneAnimator* dogAnimator;
    double time = 0;
};

GameModel* SceneScriptTest::dogModel = nullptr;
SceneAnimator* SceneScriptTest::dogAnimator = nullptr;

TEST_F(SceneScriptTest, SetUpRunsOncePerEntryAndAgainAfterComingBack) {
    CaptureOutput out;
    frame(1);
    frame(1);
    frame(1);
    frame(3);
    frame(1);
    frame(1);
    std::string text = out.finish();
    EXPECT_EQ(count(text, " physics models"), 3) << text;
    EXPECT_EQ(SceneActive, 1);
}

TEST_F(SceneScriptTest, IntroPlacesItsCameraAndClearColour) {
    frame(0);
    EXPECT_TRUE(introSceneActive);
    EXPECT_EQ(ActiveCam, IntroCam);
    EXPECT_EQ(SceneActive, 0);
    glm::vec4 from = IntroCam->GetFrom();
    EXPECT_FLOAT_EQ(from.x, 1.14227f);
    EXPECT_FLOAT_EQ(from.y, 4.25833f);
    EXPECT_FLOAT_EQ(from.z, -1.05787f);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.1f);
    EXPECT_FLOAT_EQ(clear[1], 0.0f);
    EXPECT_FLOAT_EQ(clear[2], 0.0f);
    // The intro's light is the inverse of the placement whose origin is (5.7963, 4.34566, -0.178087).
    glm::vec3 lightOrigin = glm::vec3(glm::inverse(light)[3]);
    EXPECT_NEAR(lightOrigin.x, 5.7963f, 1e-4f);
    EXPECT_NEAR(lightOrigin.y, 4.34566f, 1e-4f);
    EXPECT_NEAR(lightOrigin.z, -0.178087f, 1e-4f);

    introSceneActive = true;
    CaptureOutput out;
    frame(0);
    EXPECT_EQ(count(out.finish(), " physics models"), 0) << "the intro sets itself up once";
}

struct EnvironmentCase {
    int scene;
    std::vector<GameModel*>* models;
    float fogDensity;
    float mistDensity;
    float mistLevel;
    float lightColor;
    float ambient;
    int shadowAfterSetUp;
};

TEST_F(SceneScriptTest, EachSceneGivesEveryModelItsLightFogAndMist) {
#ifdef LULLVANE_PHONG
    const int endSceneShadow = 1;
#else
    const int endSceneShadow = 0;
#endif
    const EnvironmentCase cases[] = {
        {1, &scene_one_models, 0.03f, 0.0f, -0.8f, 0.1f, 0.2f, 1},
        {2, &scene_two_models, 0.06f, 0.2f, -1.32f, 0.25f, 0.1f, 1},
        {3, &scene_three_models, 0.01f, 0.027f, -4.0f, 0.2f, 0.2f, endSceneShadow},
        {4, &scene_four_models, 0.0f, 0.0f, 0.0f, 0.0f, 0.7f, 0},
    };
    for (const EnvironmentCase& c : cases) {
        SCOPED_TRACE("scene " + std::to_string(c.scene));
        for (GameModel* model : *c.models)
            model->useShadow(1);
        frame(c.scene);
        EXPECT_EQ(SceneActive, c.scene);
        for (GameModel* model : *c.models) {
            EXPECT_FLOAT_EQ(model->fogDensity, c.fogDensity);
            EXPECT_FLOAT_EQ(model->mistDensity, c.mistDensity);
            EXPECT_FLOAT_EQ(model->mistLevel, c.mistLevel);
            EXPECT_FLOAT_EQ(model->lightColor.r, c.lightColor);
            EXPECT_FLOAT_EQ(model->ambientColor.g, c.ambient);
            EXPECT_EQ(model->shadowActive, c.shadowAfterSetUp);
        }
    }
}

TEST_F(SceneScriptTest, OnlyTheEndAndTheWheatFieldResetThePlayersCamera) {
    frame(0);
    MainCam->SetFrom(5, 6, 7);
    frame(1);
    EXPECT_EQ(ActiveCam, MainCam);
    EXPECT_FLOAT_EQ(MainCam->GetFrom().x, 5.0f) << "scene 1 resets the camera it leaves, not the player's";
    EXPECT_FLOAT_EQ(IntroCam->GetFrom().z, 10.0f) << "the intro camera was reset on leaving";
    frame(2);
    EXPECT_FLOAT_EQ(MainCam->GetFrom().x, 0.0f) << "scene 2 resets the active camera, the player's";
    MainCam->SetFrom(5, 6, 7);
    frame(3);
    glm::vec4 from = MainCam->GetFrom();
    EXPECT_FLOAT_EQ(from.x, 0.0f);
    EXPECT_FLOAT_EQ(from.z, 10.0f);
    MainCam->SetFrom(5, 6, 7);
    frame(4);
    EXPECT_FLOAT_EQ(MainCam->GetFrom().z, 10.0f);
}

TEST_F(SceneScriptTest, TheDogCatchesThePlayerAndBothGoBackToTheStart) {
    frame(2);
    physicsLoader.persuing = true;
    frame(2);
    EXPECT_TRUE(dogActive);
    EXPECT_TRUE(pDog->animationActive);
    EXPECT_TRUE(pDog->hasMoves());

    physicsLoader.characterController->warp(btVector3(3, 0, 3));
    // Put the dog right at the player's eye: the next step reaches him.
    glm::vec3 eye = eyeOf(MainCam);
    pDog->matrix = glm::translate(glm::mat4(1.0f), eye);
    for (int i = 0; i < 2; ++i) {
        physicsLoader.persuing = true;
        frame(2);
    }
    EXPECT_FALSE(dogActive);
    EXPECT_FALSE(pDog->animationActive);
    EXPECT_FALSE(pDog->hasMoves());
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_FLOAT_EQ(pDog->matrix[c][r], dogmatrix[c][r]);
    btVector3 player = physicsLoader.getGhostPosition();
    EXPECT_NEAR(player.x(), 0.0f, 1e-3f);
    EXPECT_NEAR(player.z(), 10.0f, 1e-3f);
}

TEST_F(SceneScriptTest, TheDogStopsWhereItIsWhenThePlayerEscapes) {
    frame(2);
    for (int i = 0; i < 10; ++i) {
        physicsLoader.persuing = true;
        frame(2);
    }
    ASSERT_TRUE(dogActive);
    glm::vec3 moved = glm::vec3(pDog->matrix[3]);
    EXPECT_GT(glm::distance(moved, glm::vec3(dogmatrix[3])), 0.1f) << "the dog ran towards the player";

    frame(2);
    EXPECT_FALSE(dogActive);
    EXPECT_FALSE(pDog->animationActive);
    EXPECT_FALSE(pDog->hasMoves());
    glm::vec3 stopped = glm::vec3(pDog->matrix[3]);
    EXPECT_GT(glm::distance(stopped, glm::vec3(dogmatrix[3])), 0.1f) << "not sent back to its rest place";
    EXPECT_LT(glm::distance(stopped, glm::vec3(dogmatrix[3])), glm::distance(glm::vec3(dogmatrix[3]), eyeOf(MainCam)));
    frame(2);
    EXPECT_FLOAT_EQ(glm::vec3(pDog->matrix[3]).z, stopped.z) << "it stays where it stopped";
}

} // namespace
