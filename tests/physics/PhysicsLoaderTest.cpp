#include "physics/PhysicsLoader.h"
#include "physics/ColladaConverter.h"
#include "scene/GameModel.h"

#include "CaptureOutput.h"

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string fixture(const std::string& name) {
    return std::string(LULLVANE_TEST_DIR) + "/fixtures/" + name;
}

void expectVector(const btVector3& actual, const btVector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}

struct Loaded {
    PhysicsLoader loader;
    std::string output;

    explicit Loaded(const char* file, int scene = 0) {
        loader.sceneNum = scene;
        CaptureOutput capture;
        loader.initPhysics(fixture(file).c_str());
        output = capture.finish();
    }

    int count() { return loader.dynamicsWorld->getNumCollisionObjects(); }

    int indexOf(const char* name, int after = -1) {
        for (int i = after + 1; i < count(); ++i) {
            const char* bodyName = loader.colladaConverter->getName(
                btRigidBody::upcast(loader.dynamicsWorld->getCollisionObjectArray()[i]));
            if (bodyName != nullptr && std::string(bodyName) == name)
                return i;
        }
        return -1;
    }

    void placeCharacter(const btVector3& at) { loader.characterController->warp(at); }
};

// --- Building a world -------------------------------------------------------

TEST(World, AWorldHoldsTheFileBodiesAndACharacterNotYetAdded) {
    Loaded scene("rules.dae");
    PhysicsLoader& loader = scene.loader;
    EXPECT_EQ(PhysicsLoader::activeLoader, &loader);
    ASSERT_NE(loader.dynamicsWorld, nullptr);
    EXPECT_EQ(scene.count(), 25);
    EXPECT_NE(scene.output.find("\n25 physics models\n"), std::string::npos);
    // The file asks for Y up with gravity 10; the game's own gravity wins.
    expectVector(loader.dynamicsWorld->getGravity(), btVector3(0, -0.981f, 0));
    EXPECT_EQ(loader.clearColor, glm::vec4(0.1f, 0.1f, 0.15f, 1.0f));

    ASSERT_NE(loader.ghostObject, nullptr);
    EXPECT_EQ(loader.ghostObject->getBroadphaseHandle(), nullptr);
    expectVector(loader.getGhostPosition(), btVector3(0, 30, 0));
    EXPECT_EQ(loader.ghostObject->getCollisionFlags(), int(btCollisionObject::CF_CHARACTER_OBJECT));
    auto* sphere = static_cast<btSphereShape*>(loader.ghostObject->getCollisionShape());
    EXPECT_EQ(sphere->getShapeType(), SPHERE_SHAPE_PROXYTYPE);
    EXPECT_FLOAT_EQ(sphere->getRadius(), 0.175f);
    EXPECT_FLOAT_EQ(sphere->getMargin(), 0.175f);
    EXPECT_NE(loader.characterController, nullptr);
}

TEST(World, AFileThatCannotBeReadLeavesAnEmptyWorkingWorld) {
    Loaded scene("absent.dae", 2);
    EXPECT_NE(scene.output.find("Loading file to collada converter failed.0 physics models\n"),
              std::string::npos);
    ASSERT_NE(scene.loader.dynamicsWorld, nullptr);
    EXPECT_EQ(scene.count(), 0);
    scene.loader.makeSimulationStep(1.0f / 60.0f);
    scene.loader.addCharacter();
    scene.loader.makeSimulationStep(1.0f / 60.0f);
    EXPECT_EQ(scene.count(), 1);
    EXPECT_EQ(scene.loader.getPhysicsId("Ball"), -1);
}

TEST(World, ANewWorldReplacesTheOldOneCompletely) {
    Loaded scene("rules.dae", 2);
    scene.loader.addCharacter();
    scene.loader.makeSimulationStep(1.0f / 60.0f);
    btDiscreteDynamicsWorld* first = scene.loader.dynamicsWorld;
    ASSERT_GE(scene.loader.getPhysicsId("Ball"), 0);

    CaptureOutput capture;
    scene.loader.initPhysics(fixture("twoscenes.dae").c_str());
    capture.finish();
    EXPECT_NE(scene.loader.dynamicsWorld, first);
    EXPECT_EQ(scene.count(), 2);
    EXPECT_EQ(scene.loader.getPhysicsId("Ball"), -1);
    EXPECT_EQ(scene.loader.getPhysicsId("Inner"), scene.indexOf("Inner"));
    expectVector(scene.loader.getGhostPosition(), btVector3(0, 30, 0));
    scene.loader.addCharacter();
    EXPECT_EQ(scene.count(), 3);
}

// --- The character ----------------------------------------------------------

struct StartCase {
    int scene;
    btVector3 start;
};

const StartCase startCases[] = {
    {0, btVector3(0, 30, 0)},
    {1, btVector3(0, 30, 0)},
    {2, btVector3(0, 0, 10)},
    {3, btVector3(0, 0, 0)},
    {4, btVector3(6.79402f, 5, -17.5614f)},
    {7, btVector3(0, 30, 0)},
};

TEST(Character, AddingPutsTheCharacterLastAtItsSceneStart) {
    for (const StartCase& c : startCases) {
        SCOPED_TRACE(c.scene);
        Loaded scene("rules.dae", c.scene);
        const int bodies = scene.count();
        scene.loader.addCharacter();
        ASSERT_EQ(scene.count(), bodies + 1);
        EXPECT_EQ(scene.loader.dynamicsWorld->getCollisionObjectArray()[bodies], scene.loader.ghostObject);
        btBroadphaseProxy* proxy = scene.loader.ghostObject->getBroadphaseHandle();
        EXPECT_EQ(proxy->m_collisionFilterGroup, int(btBroadphaseProxy::CharacterFilter));
        EXPECT_EQ(proxy->m_collisionFilterMask,
                  int(btBroadphaseProxy::StaticFilter | btBroadphaseProxy::DefaultFilter));
        expectVector(scene.loader.getGhostPosition(), c.start);

        // A second call only moves it back to the start.
        scene.placeCharacter(btVector3(50, 1, 50));
        scene.loader.addCharacter();
        EXPECT_EQ(scene.count(), bodies + 1);
        expectVector(scene.loader.getGhostPosition(),
                     c.scene >= 2 && c.scene <= 4 ? c.start : btVector3(50, 1, 50));
    }
}

TEST(Character, ResetSceneWarpsOnlyInScenesWithAStart) {
    for (const StartCase& c : startCases) {
        SCOPED_TRACE(c.scene);
        Loaded scene("rules.dae", c.scene);
        scene.loader.addCharacter();
        scene.placeCharacter(btVector3(-50, 2, -50));
        scene.loader.resetScene();
        expectVector(scene.loader.getGhostPosition(),
                     c.scene >= 2 && c.scene <= 4 ? c.start : btVector3(-50, 2, -50));
    }
}

struct FallCase {
    int scene;
    float height;
    bool reset;
};

TEST(Character, FallingBelowTheSceneLimitSendsTheCharacterBack) {
    const FallCase cases[] = {
        {2, -3.0f, false},   {2, -3.0001f, true},  {4, -2.5f, false},
        {4, -3.001f, true},  {3, -3.5f, false},    {3, -25.0f, false},
        {3, -25.001f, true}, {1, -1000.0f, false}, {0, -1000.0f, false},
    };
    for (const FallCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "scene " << c.scene << " height " << c.height);
        Loaded scene("rules.dae", c.scene);
        scene.loader.addCharacter();
        const btVector3 fallen(200, c.height, 200);
        scene.placeCharacter(fallen);
        // No time passes, so the test reads exactly the height placed.
        scene.loader.makeSimulationStep(0.0f);
        btVector3 expected = fallen;
        for (const StartCase& start : startCases)
            if (c.reset && start.scene == c.scene)
                expected = start.start;
        expectVector(scene.loader.getGhostPosition(), expected);
    }
}

TEST(Character, TheFallTestOfAWorldWithoutObjectsDoesNothing) {
    Loaded scene("nobodies.dae", 2);
    ASSERT_EQ(scene.count(), 0);
    scene.loader.makeSimulationStep(1.0f / 60.0f);
    expectVector(scene.loader.getGhostPosition(), btVector3(0, 30, 0));
    EXPECT_FALSE(scene.loader.dogPersuing());
}

TEST(Character, BeforeAddingTheFallTestReadsTheLastBody) {
    // twoscenes.dae ends with a body at the origin: above every limit.
    Loaded scene("twoscenes.dae", 3);
    scene.placeCharacter(btVector3(1, -100, 1));
    scene.loader.makeSimulationStep(0.0f);
    expectVector(scene.loader.getGhostPosition(), btVector3(1, -100, 1));
}

// --- Walking ----------------------------------------------------------------

struct WalkCase {
    const char* what;
    int forward, backward, left, right, up, fast;
    glm::mat3 view;
    btVector3 direction;
};

const float walk = 4.4f / 150.0f;
const float run = 4.4f / 15.0f;
const glm::mat3 ahead(1.0f);
const glm::mat3 turned(glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0)));
const glm::mat3 stretched(2.0f);

TEST(Walking, FlagsAndViewGiveTheWalkDirectionPerSubstep) {
    const WalkCase cases[] = {
        {"forward", 1, 0, 0, 0, 0, 0, ahead, btVector3(0, 0, -walk)},
        {"running", 1, 0, 0, 0, 0, 1, ahead, btVector3(0, 0, -run)},
        {"backward", 0, 1, 0, 0, 0, 0, ahead, btVector3(0, 0, walk)},
        {"backward never runs", 0, 1, 0, 0, 0, 1, ahead, btVector3(0, 0, walk)},
        {"forward and backward", 1, 1, 0, 0, 0, 0, ahead, btVector3(0, 0, 0)},
        {"left", 0, 0, 1, 0, 0, 0, ahead, btVector3(-walk, 0, 0)},
        {"right", 0, 0, 0, 1, 0, 0, ahead, btVector3(walk, 0, 0)},
        {"left never runs", 0, 0, 1, 0, 0, 1, ahead, btVector3(-walk, 0, 0)},
        {"up", 0, 0, 0, 0, 1, 0, ahead, btVector3(0, 0.2f * 4.4f, 0)},
        {"fast alone", 0, 0, 0, 0, 0, 1, ahead, btVector3(0, 0, 0)},
        {"nothing", 0, 0, 0, 0, 0, 0, ahead, btVector3(0, 0, 0)},
        {"forward turned", 1, 0, 0, 0, 0, 0, turned, btVector3(walk, 0, 0)},
        {"right turned", 0, 0, 0, 1, 0, 0, turned, btVector3(0, 0, walk)},
        {"directions are unit length", 1, 0, 0, 1, 0, 0, stretched, btVector3(walk, 0, -walk)},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded scene("rules.dae", 2);
        PhysicsLoader& loader = scene.loader;
        loader.viewRotation = c.view;
        loader.moveForward = c.forward;
        loader.moveBackward = c.backward;
        loader.moveLeft = c.left;
        loader.moveRight = c.right;
        loader.moveUp = c.up;
        loader.moveFast = c.fast;
        loader.moveCharacter();
        // Nothing has fallen yet, so the velocity is the walk direction alone.
        expectVector(loader.characterController->getLinearVelocity(), c.direction);
        EXPECT_EQ(loader.moveForward | loader.moveBackward | loader.moveLeft | loader.moveRight |
                      loader.moveUp | loader.moveFast,
                  0);
    }
}

TEST(Walking, TheCharacterCoversTheWalkDirectionInEverySubstep) {
    Loaded scene("rules.dae", 2);
    scene.loader.addCharacter();
    scene.placeCharacter(btVector3(300, 50, 300));
    scene.loader.moveForward = 1;
    scene.loader.moveFast = 1;
    scene.loader.moveCharacter();
    scene.loader.makeSimulationStep(3.0f / 60.0f + 0.001f);
    EXPECT_NEAR(scene.loader.getGhostPosition().z(), 300.0f - 3 * run, 1e-3f);
    EXPECT_NEAR(scene.loader.getGhostPosition().x(), 300.0f, 1e-4f);
    // The direction stays in force until the next call.
    scene.loader.makeSimulationStep(1.0f / 60.0f);
    EXPECT_NEAR(scene.loader.getGhostPosition().z(), 300.0f - 4 * run, 1e-3f);
}

TEST(Walking, NothingHappensBeforeTheFirstWorld) {
    PhysicsLoader loader;
    loader.moveForward = 1;
    loader.moveFast = 1;
    loader.moveUp = 1;
    loader.moveCharacter();
    EXPECT_EQ(loader.moveForward, 1);
    EXPECT_EQ(loader.moveFast, 1);
    EXPECT_EQ(loader.moveUp, 1);
    loader.makeSimulationStep(1.0f / 60.0f);
    loader.addCharacter();
    loader.resetScene();
    EXPECT_EQ(loader.getPhysicsId("Ball"), -1);
    EXPECT_FALSE(loader.isRigidBody(0));
    EXPECT_EQ(loader.getRigidTransform(0), glm::mat4(1.0f));
    expectVector(loader.getGhostPosition(), btVector3(0, 0, 0));
}

// --- Models and bodies --------------------------------------------------------

TEST(Binding, BodiesAreFoundByTheirExactName) {
    Loaded scene("rules.dae");
    const int first = scene.indexOf("Twin");
    const int second = scene.indexOf("Twin", first);
    ASSERT_GE(first, 0);
    ASSERT_GT(second, first);
    EXPECT_EQ(scene.loader.getPhysicsId("Twin"), first);
    EXPECT_EQ(scene.loader.getPhysicsId("Ball"), scene.indexOf("Ball"));
    for (const char* unknown : {"ball", "Bal", "Ball ", "", "Nobody"})
        EXPECT_EQ(scene.loader.getPhysicsId(unknown), -1) << unknown;
    EXPECT_EQ(scene.loader.getPhysicsId(nullptr), -1);
}

TEST(Binding, TheModelMapBindsBodyNamesAndTheLastModelWins) {
    Loaded scene("rules.dae");
    GameModel twinOne("Twin", glm::mat4(1.0f));
    GameModel twinTwo("Twin", glm::mat4(1.0f));
    GameModel ball("Ball", glm::mat4(1.0f));
    GameModel nobody("Nobody", glm::mat4(1.0f));
    std::vector<GameModel*> models{&twinOne, nullptr, &ball, &nobody, &twinTwo};
    scene.loader.setGameModelMap(models);
    EXPECT_EQ(scene.loader.getGameModel("Twin"), &twinTwo);
    EXPECT_EQ(scene.loader.getGameModel("Ball"), &ball);
    EXPECT_EQ(scene.loader.getGameModel("Nobody"), nullptr);
    EXPECT_EQ(scene.loader.gameModelMap.size(), 2u);

    std::vector<GameModel*> others{&nobody};
    scene.loader.setGameModelMap(others);
    EXPECT_TRUE(scene.loader.gameModelMap.empty());
    EXPECT_EQ(scene.loader.getGameModel("Ball"), nullptr);
    EXPECT_TRUE(scene.loader.getCulledFrustumObjects().empty());
}

TEST(Binding, BodyTransformsComeInTheOpenGLLayout) {
    Loaded scene("rules.dae", 2);
    scene.loader.addCharacter();
    const int rotor = scene.loader.getPhysicsId("Rotor");
    ASSERT_GE(rotor, 0);
    ASSERT_TRUE(scene.loader.isRigidBody(rotor));
    btScalar expected[16];
    scene.loader.dynamicsWorld->getCollisionObjectArray()[rotor]->getWorldTransform().getOpenGLMatrix(
        expected);
    const glm::mat4 transform = scene.loader.getRigidTransform(rotor);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(glm::value_ptr(transform)[i], expected[i]) << i;
    // Column-major: 30 degrees about Z, then the translation in column 3.
    EXPECT_NEAR(transform[0][0], std::cos(glm::radians(30.0f)), 1e-5f);
    EXPECT_NEAR(transform[0][1], std::sin(glm::radians(30.0f)), 1e-5f);
    EXPECT_NEAR(transform[1][0], -std::sin(glm::radians(30.0f)), 1e-5f);
    EXPECT_EQ(transform[3], glm::vec4(5, 6, -80, 1));

    const int ghost = scene.count() - 1;
    for (int bad : {-1, ghost, scene.count(), 1 << 30}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(scene.loader.isRigidBody(bad));
        EXPECT_EQ(scene.loader.getRigidTransform(bad), glm::mat4(1.0f));
    }
    EXPECT_EQ(scene.loader.getRigidTransform(scene.loader.getPhysicsId("Floor")),
              glm::translate(glm::mat4(1.0f), glm::vec3(0, -1, 0)));
}

} // namespace
