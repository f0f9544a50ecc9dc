#include "physics/ColladaConverter.h"
#include "physics/PhysicsLoader.h"
#include "scene/GameModel.h"

#include "CaptureOutput.h"

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string fixture(const std::string& name) {
    return std::string(LULLVANE_TEST_DIR) + "/fixtures/" + name;
}

const glm::vec4 worldClearColor(0.1f, 0.1f, 0.15f, 1.0f);

// The rules fixture: a floor with named blocks standing on it, one block per
// rule, far apart. A character standing in a block touches it and the floor.
struct Rules {
    PhysicsLoader loader;
    std::vector<std::unique_ptr<GameModel>> models;
    std::vector<GameModel*> modelList;

    explicit Rules(int scene = 2, bool addCharacter = true) {
        loader.sceneNum = scene;
        CaptureOutput capture;
        loader.initPhysics(fixture("rules.dae").c_str());
        capture.finish();
        if (addCharacter)
            loader.addCharacter();
    }

    GameModel* bind(const char* name, float fogDensity = 0.06f) {
        models.emplace_back(new GameModel(name, glm::mat4(1.0f)));
        models.back()->fogDensity = fogDensity;
        modelList.push_back(models.back().get());
        loader.setGameModelMap(modelList);
        return models.back().get();
    }

    btVector3 origin(const char* name) {
        int id = loader.getPhysicsId(name);
        EXPECT_GE(id, 0) << name;
        return loader.dynamicsWorld->getCollisionObjectArray()[id]->getWorldTransform().getOrigin();
    }

    // Stands the character inside the named block at the given height and
    // steps once; returns what the step printed.
    std::string touch(const btVector3& at, int steps = 1) {
        loader.characterController->warp(at);
        CaptureOutput capture;
        for (int i = 0; i < steps; ++i)
            loader.makeSimulationStep(1.0f / 60.0f);
        return capture.finish();
    }
    std::string touch(const char* name, int steps = 1, float height = 0.1f) {
        btVector3 at = origin(name);
        at.setY(height);
        return touch(at, steps);
    }

    int overlapIndex(const char* name) {
        for (int i = 0; i < loader.ghostObject->getNumOverlappingObjects(); ++i) {
            const char* bodyName = loader.colladaConverter->getName(
                btRigidBody::upcast(loader.ghostObject->getOverlappingObject(i)));
            if (bodyName != nullptr && std::string(bodyName) == name)
                return i;
        }
        return -1;
    }
};

void expectOrigin(const glm::mat4& transform, const glm::vec3& origin) {
    EXPECT_NEAR(transform[3].x, origin.x, 1e-4f);
    EXPECT_NEAR(transform[3].y, origin.y, 1e-4f);
    EXPECT_NEAR(transform[3].z, origin.z, 1e-4f);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_FLOAT_EQ(transform[column][row], column == row ? 1.0f : 0.0f);
}

// --- Finding the four objects -------------------------------------------------

TEST(Finds, TouchingOnlyTheObjectItselfFindsNothing) {
    Rules rules;
    // Above the floor, inside the block: one overlapping object.
    EXPECT_EQ(rules.touch("Ball", 1, 1.2f), "");
    EXPECT_EQ(rules.loader.ghostObject->getNumOverlappingObjects(), 1);
    EXPECT_FALSE(rules.loader.ballFound);

    // The same happens in a world the character has not joined yet.
    Rules alone(2, false);
    EXPECT_EQ(alone.touch("Ball"), "");
    EXPECT_FALSE(alone.loader.ballFound);
}

struct FindCase {
    const char* name;
    bool PhysicsLoader::*flag;
    glm::vec4 mistColor;
    float mistLevel;
};

const FindCase findCases[] = {
    {"Ball", &PhysicsLoader::ballFound, glm::vec4(1.2f, 1.65f, 2.15f, 1.0f), -7.0f},
    {"Car", &PhysicsLoader::carFound, glm::vec4(2.35f, 1.45f, 1.2f, 1.0f), -3.0f},
    {"Dog", &PhysicsLoader::dogFound, glm::vec4(1.2f, 2.35f, 1.45f, 1.0f), -7.0f},
    {"Teddy", &PhysicsLoader::teddyFound, glm::vec4(1.7f, 1.65f, 1.85f, 1.0f), -7.0f},
};

TEST(Finds, AFindIsAnnouncedOnceAndRecoloursEveryBoundModel) {
    for (const FindCase& c : findCases) {
        SCOPED_TRACE(c.name);
        Rules rules;
        GameModel* found = rules.bind(c.name);
        GameModel* other = rules.bind("A");
        GameModel unbound("Elsewhere", glm::mat4(1.0f));
        const glm::vec4 untouchedMist = unbound.mistColor;

        EXPECT_EQ(rules.touch(c.name, 2), std::string(c.name) + " found!\n");
        EXPECT_TRUE(rules.loader.*c.flag);
        EXPECT_EQ(rules.loader.foundModel, found);
        for (GameModel* model : {found, other}) {
            EXPECT_EQ(model->mistColor, c.mistColor);
            EXPECT_EQ(model->mistLevel, c.mistLevel);
            EXPECT_FLOAT_EQ(model->fogDensity, 0.06f);
        }
        EXPECT_EQ(unbound.mistColor, untouchedMist);
        EXPECT_EQ(rules.loader.clearColor, worldClearColor);

        // Found is found: touching it again changes nothing.
        other->mistLevel = 99.0f;
        EXPECT_EQ(rules.touch(c.name), "");
        EXPECT_EQ(other->mistLevel, 99.0f);
    }
}

TEST(Finds, AFindWithoutAModelOnlySetsItsFlag) {
    Rules rules;
    GameModel* other = rules.bind("A");
    const glm::vec4 mist = other->mistColor;
    EXPECT_EQ(rules.touch("Car"), "Car found!\n");
    EXPECT_TRUE(rules.loader.carFound);
    EXPECT_EQ(rules.loader.foundModel, nullptr);
    EXPECT_EQ(other->mistColor, mist);
}

TEST(Finds, FoundObjectsStayFoundInTheNextWorld) {
    Rules rules;
    EXPECT_EQ(rules.touch("Ball"), "Ball found!\n");
    CaptureOutput capture;
    rules.loader.initPhysics(fixture("rules.dae").c_str());
    rules.loader.addCharacter();
    capture.finish();
    EXPECT_TRUE(rules.loader.ballFound);
    EXPECT_EQ(rules.touch("Ball"), "");
}

// --- Finishing the game ---------------------------------------------------------

struct OrderCase {
    const char* order[4];
    // Fog density of the models A, Ball, Car, Dog, Teddy, Z after the finish.
    float fog[6];
};

TEST(Finish, TheFourthFindInAnyOrderWhitensTheWorldOnce) {
    const OrderCase cases[] = {
        {{"Ball", "Car", "Dog", "Teddy"}, {0.051f, 0.051f, 0.051f, 0.051f, 0.051f, 0.042f}},
        {{"Teddy", "Dog", "Car", "Ball"}, {0.051f, 0.051f, 0.042f, 0.042f, 0.042f, 0.042f}},
        {{"Car", "Teddy", "Ball", "Dog"}, {0.051f, 0.051f, 0.051f, 0.051f, 0.042f, 0.042f}},
    };
    const char* names[6] = {"A", "Ball", "Car", "Dog", "Teddy", "Z"};
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.order[3]);
        Rules rules;
        std::vector<GameModel*> bound;
        for (const char* name : names)
            bound.push_back(rules.bind(name));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(rules.touch(c.order[i]), std::string(c.order[i]) + " found!\n");
            EXPECT_EQ(rules.loader.clearColor, worldClearColor);
            EXPECT_FLOAT_EQ(bound[0]->fogDensity, 0.06f);
        }
        EXPECT_EQ(rules.touch(c.order[3]), std::string(c.order[3]) + " found!\n");
        EXPECT_EQ(rules.loader.clearColor, glm::vec4(1, 1, 1, 1));
        for (int m = 0; m < 6; ++m) {
            SCOPED_TRACE(names[m]);
            EXPECT_EQ(bound[m]->fogColor, glm::vec4(1, 1, 1, 1));
            EXPECT_EQ(bound[m]->mistColor, glm::vec4(1.5f, 2.0f, 3.0f, 1.0f));
            EXPECT_EQ(bound[m]->mistLevel, -11.0f);
            EXPECT_NEAR(bound[m]->fogDensity, c.fog[m], 1e-6f);
        }
        expectOrigin(rules.loader.getRigidTransform(rules.loader.getPhysicsId("Doorframe2")),
                     {78, -8.8f, 70});
        expectOrigin(rules.loader.getRigidTransform(rules.loader.getPhysicsId("Door2")), {78, -8.8f, 70});
        expectOrigin(rules.loader.getRigidTransform(rules.loader.getPhysicsId("Door")), {0, 0.5f, 60});

        // Nothing is left to find, so the finish cannot run again.
        bound[0]->mistLevel = 5.0f;
        for (const char* name : c.order)
            EXPECT_EQ(rules.touch(name), "");
        EXPECT_EQ(bound[0]->mistLevel, 5.0f);
    }
}

TEST(Finish, FogThinsByTheLastFoundModelsDensityInNameOrder) {
    Rules rules;
    GameModel* a = rules.bind("A");
    GameModel* teddy = rules.bind("Teddy");
    GameModel* z = rules.bind("Z");
    for (const char* name : {"Ball", "Car", "Dog", "Teddy"})
        rules.touch(name);
    EXPECT_NEAR(a->fogDensity, 0.051f, 1e-6f);
    EXPECT_NEAR(teddy->fogDensity, 0.051f, 1e-6f);
    EXPECT_NEAR(z->fogDensity, 0.042f, 1e-6f);
}

TEST(Finish, WithoutAModelForTheLastFindTheFogDensityStays) {
    Rules rules;
    GameModel* a = rules.bind("A", 0.06f);
    GameModel* z = rules.bind("Z", 0.03f);
    for (const char* name : {"Ball", "Car", "Dog", "Teddy"})
        rules.touch(name);
    EXPECT_EQ(rules.loader.clearColor, glm::vec4(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(a->fogDensity, 0.06f);
    EXPECT_FLOAT_EQ(z->fogDensity, 0.03f);
    EXPECT_EQ(z->fogColor, glm::vec4(1, 1, 1, 1));
    EXPECT_EQ(z->mistLevel, -11.0f);
}

// --- Back to the start ------------------------------------------------------------

struct SendBackCase {
    const char* name;
    bool sendsBack;
};

TEST(SendBack, HundAndSixLettersOfSphereSendTheCharacterBackInScenesWithAStart) {
    const SendBackCase cases[] = {
        {"Sphere", true}, {"Sphere.001", true}, {"Sphere_2", true}, {"Spheres", true},
        {"hund", true},   {"Spher", false},     {"Sphereh", false}, {"sphere", false},
    };
    const btVector3 starts[] = {btVector3(0, 30, 0), btVector3(0, 30, 0), btVector3(0, 0, 10),
                                btVector3(0, 0, 0), btVector3(6.79402f, 5, -17.5614f)};
    for (int scene = 1; scene <= 4; ++scene) {
        for (const SendBackCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " in scene " << scene);
            Rules rules(scene);
            const btVector3 body = rules.origin(c.name);
            rules.touch(c.name);
            const btVector3 position = rules.loader.getGhostPosition();
            if (c.sendsBack && scene != 1) {
                EXPECT_FLOAT_EQ(position.x(), starts[scene].x());
                EXPECT_FLOAT_EQ(position.y(), starts[scene].y());
                EXPECT_FLOAT_EQ(position.z(), starts[scene].z());
            } else {
                EXPECT_LT((position - btVector3(body.x(), position.y(), body.z())).length(), 1.0f);
                EXPECT_LT(position.y(), 1.5f);
            }
        }
    }
}

// --- Triggers ---------------------------------------------------------------------

TEST(Triggers, TheDogPursuesOnlyWhileTheCharacterIsInsideTheTrigger) {
    Rules rules;
    rules.touch(btVector3(5, 0.1f, 70));
    EXPECT_TRUE(rules.loader.dogPersuing());
    rules.touch(btVector3(5, 0.1f, 70));
    EXPECT_TRUE(rules.loader.dogPersuing());
    rules.touch(btVector3(5, 1.2f, 70));
    EXPECT_FALSE(rules.loader.dogPersuing());
    rules.touch(btVector3(100, 0.1f, 0));
    EXPECT_FALSE(rules.loader.dogPersuing());
}

struct TriggerOrderCase {
    float firstX;
    bool teddyFirst;
};

TEST(Triggers, FirstTeddyPlacesTheBridgeAndEndsTheCheck) {
    // Entering from the FirstTeddy side lists it first; from the DogTrigger
    // side the trigger comes first.
    const TriggerOrderCase cases[] = {{1.0f, true}, {5.0f, false}};
    for (const TriggerOrderCase& c : cases) {
        SCOPED_TRACE(c.teddyFirst);
        Rules rules;
        rules.touch(btVector3(c.firstX, 0.1f, 70));
        rules.touch(btVector3(3.0f, 0.1f, 70));
        const int teddy = rules.overlapIndex("FirstTeddy");
        const int trigger = rules.overlapIndex("DogTrigger");
        ASSERT_GE(teddy, 0);
        ASSERT_GE(trigger, 0);
        ASSERT_EQ(teddy < trigger, c.teddyFirst);
        EXPECT_EQ(rules.loader.dogPersuing(), !c.teddyFirst);
        expectOrigin(rules.loader.getRigidTransform(rules.loader.getPhysicsId("Bridge")),
                     {-9.205f, -0.887f, -8.068f});
    }
}

TEST(Triggers, TheBridgeIsPlacedAgainInEveryStepOnTheTrigger) {
    Rules rules;
    const int id = rules.loader.getPhysicsId("Bridge");
    btRigidBody* bridge = btRigidBody::upcast(rules.loader.dynamicsWorld->getCollisionObjectArray()[id]);
    expectOrigin(rules.loader.getRigidTransform(id), {20, 0.5f, 60});
    rules.touch("FirstTeddy");
    expectOrigin(rules.loader.getRigidTransform(id), {-9.205f, -0.887f, -8.068f});
    // The body itself moves too, not only what the renderer reads.
    EXPECT_NEAR(bridge->getWorldTransform().getOrigin().x(), -9.205f, 1e-4f);

    btTransform away;
    away.setIdentity();
    away.setOrigin(btVector3(1, 2, 3));
    bridge->getMotionState()->setWorldTransform(away);
    bridge->setMotionState(bridge->getMotionState());
    rules.touch("FirstTeddy");
    expectOrigin(rules.loader.getRigidTransform(id), {-9.205f, -0.887f, -8.068f});
    EXPECT_NEAR(bridge->getWorldTransform().getOrigin().z(), -8.068f, 1e-4f);
}

struct DoorCase {
    const char* name;
    int scene;
};

TEST(Triggers, DoorsChooseTheNextScene) {
    const DoorCase cases[] = {{"Door", 3}, {"Door2", 4}, {"Door3", 1}, {"Doorframe2", 2}, {"Bridge", 2}};
    for (const DoorCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rules rules(2);
        rules.touch(c.name);
        EXPECT_EQ(rules.loader.getSceneNum(), c.scene);
    }
}

} // namespace
