#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"

#include "CaptureOutput.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include <assimp/anim.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

// The dog as the game builds it from its scene file in the game directory.
TEST(DogAnimation, ChannelsOfTheSceneFileBindToItsModelsAndMoveThem) {
    ASSERT_TRUE(std::ifstream("hundboese.dae").good()) << "the content build writes hundboese.dae";
    std::vector<GameModel*> models;
    std::vector<GameAsset*> assets;
    SceneAnimator* animator = nullptr;
    {
        CaptureOutput quiet(1);
        animator = importAnimation("hundboese.dae", models, assets);
    }
    ASSERT_NE(nullptr, animator);
    ASSERT_FALSE(animator->getAnimations().empty());
    ASSERT_FALSE(models.empty());

    std::set<std::string> ids;
    for (GameModel* model : models) {
        ids.insert(model->getId());
    }
    const aiAnimation* walk = animator->getAnimations()[0];
    ASSERT_GT(walk->mNumChannels, 0u);
    for (unsigned c = 0; c < walk->mNumChannels; ++c) {
        EXPECT_EQ(1u, ids.count(walk->mChannels[c]->mNodeName.C_Str()))
            << "channel " << walk->mChannels[c]->mNodeName.C_Str() << " drives no model";
    }

    AnimatedObject dog("animateddog", animator, models);
    const double tps = walk->mTicksPerSecond != 0.0 ? walk->mTicksPerSecond : 25.0;
    const double cycle = walk->mDuration / tps;
    dog.updateAnimations(0.1 * cycle);
    std::vector<glm::mat4> early;
    for (GameModel* model : models) {
        early.push_back(model->modelMatrix);
    }
    dog.updateAnimations(0.6 * cycle);
    int moved = 0;
    for (size_t i = 0; i < models.size(); ++i) {
        moved += models[i]->modelMatrix != early[i] ? 1 : 0;
    }
    EXPECT_GT(moved, 0);

    // One cycle later the dog is in the same pose again.
    dog.updateAnimations(1.1 * cycle);
    for (size_t i = 0; i < models.size(); ++i) {
        for (int col = 0; col < 4; ++col) {
            for (int row = 0; row < 4; ++row) {
                EXPECT_NEAR(early[i][col][row], models[i]->modelMatrix[col][row], 1e-4f)
                    << models[i]->getId();
            }
        }
    }
    // The game keeps its assets to the end; the test hands back what it imported.
    std::set<GameAsset*> imported;
    for (GameModel* model : models) {
        imported.insert(model->gameAssets.begin(), model->gameAssets.end());
        delete model;
    }
    for (GameAsset* asset : imported) {
        delete asset;
    }
    GameModel::aGlobalAssets.clear();
    delete animator;
}
