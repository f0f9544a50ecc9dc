#include "CaptureOutput.h"

#include "physics/PhysicsLoader.h"
#include "scene/GameModel.h"

#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string gameDir = LULLVANE_GAME_DIR;
const float frameTime = 1.0f / 60.0f;

void collectModels(const aiNode* node, std::vector<GameModel*>& models) {
    models.push_back(new GameModel(node->mName.C_Str(), glm::mat4(1.0f)));
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collectModels(node->mChildren[i], models);
}

// A player walking a scene as the game drives him: each frame one physics
// step, then the walking request the camera's heading makes for the next one.
class Player {
public:
    Player(int scene, const char* physicsFile, const char* modelsFile) {
        loader.sceneNum = scene;
        CaptureOutput quiet(1);
        loader.initPhysics((gameDir + "/" + physicsFile).c_str());
        const aiScene* models = aiImportFile((gameDir + "/" + modelsFile).c_str(), 0);
        if (models != nullptr)
            collectModels(models->mRootNode, sceneModels);
        aiReleaseImport(models);
        loader.setGameModelMap(sceneModels);
        quiet.finish();
        loader.addCharacter();
        last = position();
    }
    ~Player() {
        for (GameModel* m : sceneModels)
            delete m;
    }

    glm::vec3 position() {
        btVector3 p = loader.getGhostPosition();
        return {p.x(), p.y(), p.z()};
    }

    void frame(glm::vec3 heading, bool walking) {
        loader.makeSimulationStep(frameTime);
        glm::vec3 now = position();
        // The game sends a player back by warping him; a warp is a jump.
        if (glm::length(now - last) > 1.0f)
            ++warps;
        last = now;
        if (walking)
            loader.moveForward = 1;
        heading.y = 0.0f;
        if (glm::length(heading) < 1e-4f)
            heading = {0.0f, 0.0f, -1.0f};
        loader.viewRotation = glm::mat3(glm::lookAt(now, now + glm::normalize(heading), glm::vec3(0, 1, 0)));
        loader.moveCharacter();
    }

    void stand(float seconds) {
        for (int i = 0; i < static_cast<int>(seconds / frameTime); ++i)
            frame({0.0f, 0.0f, -1.0f}, false);
    }

    // Walks towards target (x, z) until within reach, until done() holds, or
    // until the time is up; true when it got there or done() held.
    bool walkTo(glm::vec2 target, float seconds, const std::function<bool()>& done = {}) {
        for (int i = 0; i < static_cast<int>(seconds / frameTime); ++i) {
            if (done && done())
                return true;
            glm::vec3 p = position();
            glm::vec3 to(target.x - p.x, 0.0f, target.y - p.z);
            if (!done && glm::length(to) < 0.25f)
                return true;
            frame(to, true);
        }
        return done ? done() : glm::length(glm::vec2(position().x, position().z) - target) < 0.25f;
    }

    glm::vec3 bodyOrigin(const char* name) {
        int id = loader.getPhysicsId(name);
        glm::mat4 m = loader.getRigidTransform(id);
        return glm::vec3(m[3]);
    }

    PhysicsLoader loader;
    std::vector<GameModel*> sceneModels;
    glm::vec3 last{0.0f};
    int warps = 0;
};

void expectNear(glm::vec3 actual, glm::vec3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(BedroomWalk, FallsOntoTheRugFindsBallAndCarAndLeavesByDoor2) {
    Player p(1, "Ground.DAE", "Zimmer.dae");
    p.stand(3.0f);
    EXPECT_NEAR(p.position().y, 0.175f, 0.1f);
    EXPECT_NEAR(p.position().x, 0.0f, 0.05f);
    EXPECT_NEAR(p.position().z, 0.0f, 0.05f);

    CaptureOutput out(1);
    EXPECT_TRUE(p.walkTo({-4.5f, 2.5f}, 8.0f, [&] { return p.loader.ballFound; }));
    EXPECT_TRUE(p.walkTo({3.0f, -5.0f}, 12.0f, [&] { return p.loader.carFound; }));
    EXPECT_EQ(p.loader.sceneNum, 1);
    EXPECT_TRUE(p.walkTo({-4.0f, 9.5f}, 15.0f, [&] { return p.loader.sceneNum != 1; }));
    std::string printed = out.finish();
    EXPECT_EQ(p.loader.sceneNum, 4);
    EXPECT_NE(printed.find("Ball found!"), std::string::npos);
    EXPECT_NE(printed.find("Car found!"), std::string::npos);
    EXPECT_FALSE(p.loader.teddyFound);
    EXPECT_EQ(p.warps, 0);
}

TEST(BedroomWalk, WallsHoldThePlayerInTheRoom) {
    Player p(1, "Ground.DAE", "Zimmer.dae");
    p.stand(3.0f);
    for (glm::vec2 away : {glm::vec2(0.0f, -30.0f), glm::vec2(30.0f, 0.0f), glm::vec2(-30.0f, 0.0f)}) {
        p.walkTo(away, 12.0f);
        glm::vec3 at = p.position();
        EXPECT_GT(at.x, -8.0f);
        EXPECT_LT(at.x, 8.0f);
        EXPECT_GT(at.z, -8.0f);
        EXPECT_LT(at.z, 9.0f);
        EXPECT_GT(at.y, 0.0f);
    }
}

TEST(WheatfieldWalk, FindsTheTeddyAndGoesHomeThroughDoor3) {
    Player p(4, "Ground.DAE", "Wheatfield.DAE");
    p.stand(2.0f);
    expectNear(p.position(), {6.79402f, 0.175f, -17.5614f}, 0.1f);
    CaptureOutput out(1);
    EXPECT_TRUE(p.walkTo({6.8f, -35.0f}, 15.0f));
    EXPECT_TRUE(p.walkTo({14.0f, -35.0f}, 10.0f, [&] { return p.loader.teddyFound; }));
    EXPECT_TRUE(p.walkTo({6.8f, -35.0f}, 10.0f));
    EXPECT_TRUE(p.walkTo({6.8f, -25.0f}, 10.0f));
    EXPECT_TRUE(p.walkTo({-5.75f, -25.0f}, 15.0f, [&] { return p.loader.sceneNum != 4; }));
    std::string printed = out.finish();
    EXPECT_NE(printed.find("Teddy found!"), std::string::npos);
    EXPECT_EQ(p.loader.sceneNum, 1);
    EXPECT_EQ(p.warps, 0);
}

TEST(WheatfieldWalk, TheFenceKeepsThePlayerAwayFromTheBedroom) {
    Player p(4, "Ground.DAE", "Wheatfield.DAE");
    p.stand(2.0f);
    // straight south, towards where the bedroom's bodies are
    p.walkTo({6.8f, 10.0f}, 15.0f);
    EXPECT_LT(p.position().z, -12.0f);
    EXPECT_EQ(p.loader.sceneNum, 4);
    EXPECT_FALSE(p.loader.ballFound || p.loader.carFound);
}

class GardenWalk : public ::testing::Test {
protected:
    void SetUp() override { p.stand(2.0f); }

    // From the start past the dog's trigger to the first teddy, which puts
    // the bridge in place, then over the valley.
    void crossTheValley() {
        ASSERT_TRUE(p.walkTo({-2.0f, 2.0f}, 10.0f, [&] { return p.loader.dogPersuing(); }));
        expectNear(p.bodyOrigin("Bridge"), {-9.205f, -40.0f, -8.068f}, 1e-3f);
        ASSERT_TRUE(p.walkTo({-6.0f, -1.3f}, 10.0f));
        ASSERT_TRUE(p.walkTo({-6.0f, -3.0f}, 5.0f, [&] { return p.bodyOrigin("Bridge").y > -1.0f; }));
        expectNear(p.bodyOrigin("Bridge"), {-9.205f, -0.887f, -8.068f}, 1e-3f);
        ASSERT_TRUE(p.walkTo({-6.0f, -1.3f}, 5.0f));
        ASSERT_TRUE(p.walkTo({-9.2f, -1.3f}, 5.0f));
        ASSERT_TRUE(p.walkTo({-9.2f, -13.5f}, 10.0f));
        ASSERT_EQ(p.warps, 0);
        EXPECT_GT(p.position().y, -1.1f);
    }

    Player p{2, "FirstScene.DAE", "FirstScene.DAE"};
};

TEST_F(GardenWalk, StartsOnTheLawnAboveTheMist) {
    expectNear(p.position(), {0.0f, -1.08f + 0.175f, 10.0f}, 0.1f);
    EXPECT_FALSE(p.loader.dogPersuing());
}

TEST_F(GardenWalk, WithoutTheBridgeTheValleySendsThePlayerBack) {
    ASSERT_TRUE(p.walkTo({-9.2f, -1.3f}, 12.0f));
    p.walkTo({-9.2f, -13.5f}, 8.0f);
    EXPECT_GE(p.warps, 1);
    EXPECT_GT(p.position().z, -5.0f);
    expectNear(p.bodyOrigin("Bridge"), {-9.205f, -40.0f, -8.068f}, 1e-3f);
}

TEST_F(GardenWalk, ThornBallsSendThePlayerBackToTheStart) {
    ASSERT_TRUE(p.walkTo({4.5f, 1.5f}, 10.0f, [&] { return p.warps > 0; }));
    EXPECT_NEAR(p.position().x, 0.0f, 0.3f);
    EXPECT_NEAR(p.position().z, 10.0f, 0.3f);
}

TEST_F(GardenWalk, OverTheBridgeToTheDogToyAndThroughDoor2ToTheWheatField) {
    crossTheValley();
    CaptureOutput out(1);
    EXPECT_TRUE(p.walkTo({-11.0f, -20.0f}, 10.0f, [&] { return p.loader.dogFound; }));
    EXPECT_NE(out.finish().find("Dog found!"), std::string::npos);
    EXPECT_TRUE(p.walkTo({-6.0f, -21.5f}, 10.0f));
    EXPECT_TRUE(p.walkTo({4.0f, -21.5f}, 10.0f));
    EXPECT_TRUE(p.walkTo({4.0f, -26.0f}, 5.0f, [&] { return p.loader.sceneNum != 2; }));
    EXPECT_EQ(p.loader.sceneNum, 4);
    EXPECT_EQ(p.warps, 0);
}

TEST_F(GardenWalk, TheRestingDogBitesWhoComesTooClose) {
    crossTheValley();
    EXPECT_TRUE(p.walkTo({-0.19f, -16.8f}, 15.0f, [&] { return p.warps > 0; }));
    EXPECT_NEAR(p.position().z, 10.0f, 0.3f);
}

TEST_F(GardenWalk, FindingTheLastToyOpensTheWayToTheEnd) {
    // Ball and car come from the bedroom, the teddy from the wheat field.
    p.loader.ballFound = p.loader.carFound = p.loader.teddyFound = true;
    crossTheValley();
    CaptureOutput out(1);
    EXPECT_TRUE(p.walkTo({-11.0f, -20.0f}, 10.0f, [&] { return p.loader.dogFound; }));
    out.finish();
    EXPECT_EQ(p.loader.clearColor, glm::vec4(1.0f));
    expectNear(p.bodyOrigin("Doorframe2"), {78.0f, -8.8f, 70.0f}, 1e-3f);
    expectNear(p.bodyOrigin("Door2"), {78.0f, -8.8f, 70.0f}, 1e-3f);
    GameModel* garden = p.loader.getGameModel("Garden");
    ASSERT_NE(garden, nullptr);
    EXPECT_EQ(garden->fogColor, glm::vec4(1.0f));
    EXPECT_TRUE(p.walkTo({-6.0f, -21.5f}, 10.0f));
    EXPECT_TRUE(p.walkTo({4.0f, -21.5f}, 10.0f));
    EXPECT_TRUE(p.walkTo({4.0f, -27.0f}, 8.0f, [&] { return p.loader.sceneNum != 2; }));
    EXPECT_EQ(p.loader.sceneNum, 3);
}

TEST(EndWalk, StandsOnThePlatformAndComesBackAfterFallingOff) {
    Player p(3, "End.DAE", "End.DAE");
    p.stand(2.0f);
    EXPECT_NEAR(p.position().y, -0.3f + 0.175f, 0.1f);
    // between two pillars and over the edge
    EXPECT_TRUE(p.walkTo({20.0f, 0.0f}, 30.0f, [&] { return p.warps > 0; }));
    p.stand(0.5f);
    EXPECT_NEAR(p.position().x, 0.0f, 0.3f);
    EXPECT_NEAR(p.position().z, 0.0f, 0.3f);
}

} // namespace
