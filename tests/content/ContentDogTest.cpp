#include "CaptureOutput.h"

#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"
#include "physics/PhysicsLoader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

// Where and how the game places the dog at start-up.
const glm::vec3 dogOrigin(-0.192517f, -1.08216f, -16.7954f);

glm::mat4 restPlacement() {
    glm::mat4 m(1.0f);
    m = glm::translate(m, dogOrigin);
    m = glm::rotate(m, glm::radians(90.0f), glm::vec3(-1.0f, 0.0f, 0.0f));
    return glm::scale(m, glm::vec3(0.125f));
}

class Dog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CaptureOutput quiet(1);
        std::vector<GameAsset*> assets;
        animator = importAnimation("hundboese.dae", models, assets);
        quiet.finish();
        if (animator != nullptr) {
            dog = new AnimatedObject("animateddog", animator, models);
            dog->matrix = restPlacement();
        }
    }

    void SetUp() override { ASSERT_NE(dog, nullptr) << "hundboese.dae did not import"; }

    static float lowestPoint() {
        float lowest = std::numeric_limits<float>::max();
        for (GameModel* model : models) {
            for (GameAsset* asset : model->gameAssets) {
                for (std::size_t i = 0; i + 2 < asset->positions.size(); i += 3) {
                    glm::vec4 p(asset->positions[i], asset->positions[i + 1], asset->positions[i + 2], 1.0f);
                    lowest = std::min(lowest, (model->modelMatrix * p).y);
                }
            }
        }
        return lowest;
    }

    static GameModel* part(const char* name) {
        for (GameModel* m : models) {
            if (m->name == name)
                return m;
        }
        return nullptr;
    }

    static std::vector<GameModel*> models;
    static SceneAnimator* animator;
    static AnimatedObject* dog;
};

std::vector<GameModel*> Dog::models;
SceneAnimator* Dog::animator = nullptr;
AnimatedObject* Dog::dog = nullptr;

TEST_F(Dog, EveryPartIsDrawnAndAnimated) {
    const char* parts[] = {"HundRumpf",  "HundKopf",   "HundSchwanz", "HundBeinVL",
                           "HundBeinVR", "HundBeinHL", "HundBeinHR"};
    ASSERT_EQ(animator->getAnimations().size(), 1u);
    for (const char* name : parts) {
        GameModel* model = part(name);
        ASSERT_NE(model, nullptr) << name;
        EXPECT_FALSE(model->gameAssets.empty()) << name;
    }
}

TEST_F(Dog, ItsPosesChangeOverTime) {
    dog->animationActive = true;
    std::map<std::string, glm::mat4> first;
    dog->updateAnimations(0.0);
    for (GameModel* m : models)
        first[m->name] = m->modelMatrix;
    // turn of each part, as the change of its unit axes
    std::map<std::string, float> change;
    for (double t : {0.2, 0.4, 0.6}) {
        dog->updateAnimations(t);
        for (GameModel* m : models) {
            for (int c = 0; c < 3; ++c)
                change[m->name] =
                    std::max(change[m->name], glm::length(glm::normalize(glm::vec3(m->modelMatrix[c])) -
                                                          glm::normalize(glm::vec3(first[m->name][c]))));
        }
    }
    int moved = 0;
    for (const char* name :
         {"HundBeinVL", "HundBeinVR", "HundBeinHL", "HundBeinHR", "HundSchwanz", "HundKopf"}) {
        ASSERT_NE(part(name), nullptr);
        EXPECT_GT(change[name], 0.1f) << name;
        moved += change[name] > 0.1f;
    }
    EXPECT_EQ(moved, 6);
}

TEST_F(Dog, AtRestItStandsOnTheGardenLawn) {
    PhysicsLoader garden;
    CaptureOutput quiet(1);
    garden.initPhysics("FirstScene.DAE");
    quiet.finish();
    btVector3 from(dogOrigin.x, 5.0f, dogOrigin.z), to(dogOrigin.x, -10.0f, dogOrigin.z);
    btCollisionWorld::ClosestRayResultCallback ray(from, to);
    garden.dynamicsWorld->rayTest(from, to, ray);
    ASSERT_TRUE(ray.hasHit());
    // the resting dog's own hazard body stands there too; look past it
    float ground = ray.m_hitPointWorld.y();
    int hund = garden.getPhysicsId("hund");
    if (ray.m_collisionObject == garden.dynamicsWorld->getCollisionObjectArray()[hund]) {
        btCollisionWorld::AllHitsRayResultCallback all(from, to);
        garden.dynamicsWorld->rayTest(from, to, all);
        ground = -100.0f;
        for (int i = 0; i < all.m_collisionObjects.size(); ++i) {
            if (all.m_collisionObjects[i] != ray.m_collisionObject)
                ground = std::max(ground, all.m_hitPointWorld[i].y());
        }
    }
    EXPECT_NEAR(ground, -1.08f, 0.05f);

    dog->animationActive = true;
    float highest = -100.0f, lowest = 100.0f;
    for (double t = 0.0; t < 1.6; t += 0.05) {
        dog->updateAnimations(t);
        float feet = lowestPoint();
        highest = std::max(highest, feet);
        lowest = std::min(lowest, feet);
    }
    // the paws touch the lawn, neither sinking in nor floating above it
    EXPECT_NEAR(lowest, ground, 0.05f);
    EXPECT_LT(highest - ground, 0.1f);
    // upright, its head high at the front, turned towards the garden's start at +z
    glm::vec3 body(part("HundRumpf")->modelMatrix[3]), head(part("HundKopf")->modelMatrix[3]);
    EXPECT_GT(head.z, body.z + 0.2f);
    EXPECT_GT(head.y, body.y);
    EXPECT_NEAR(body.x, dogOrigin.x, 0.01f);
    EXPECT_NEAR(body.z, dogOrigin.z, 0.05f);
}

} // namespace
