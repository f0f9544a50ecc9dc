#include "anim/AnimEvaluator.h"
#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"

#include "AllocationCounter.h"
#include "SyntheticAnimation.h"
#include "scene/GameModel.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::vector<ChannelKeys> manyChannels(unsigned channels, unsigned keys) {
    std::vector<ChannelKeys> result;
    for (unsigned c = 0; c < channels; ++c) {
        ChannelKeys channel;
        channel.node = "Bone" + std::to_string(c);
        for (unsigned k = 0; k < keys; ++k) {
            const double time = k;
            channel.positions.push_back(aiVectorKey(time, aiVector3D(float(k), float(c), 0.0f)));
            channel.rotations.push_back(aiQuatKey(time, aiQuaternion(aiVector3D(0, 1, 0), 0.01f * k)));
            channel.scalings.push_back(aiVectorKey(time, aiVector3D(1.0f + 0.001f * k)));
        }
        result.push_back(channel);
    }
    return result;
}

// Forward steps, a wrap, a jump backwards and repeated times.
const double frameTimes[] = {0.0, 0.016, 0.033, 0.05, 1.3, 3.9, 4.1, 0.2, 0.2, 7.77, 2.0};

} // namespace

TEST(AnimAllocation, EvaluateAllocatesNothingAfterItsFirstCall) {
    auto animation = makeOwnedAnimation(40.0, 10.0, manyChannels(8, 41));
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(0.0);
    AllocationCounter counter;
    counter.start();
    for (int round = 0; round < 20; ++round) {
        for (double time : frameTimes) {
            evaluator.Evaluate(time + round);
        }
    }
    EXPECT_EQ(0u, counter.stop());
    EXPECT_EQ(8u, evaluator.GetTransformations().size());
}

TEST(AnimAllocation, CountingSeesAllocations) {
    AllocationCounter counter;
    counter.start();
    auto animation = makeOwnedAnimation(40.0, 10.0, manyChannels(1, 2));
    EXPECT_LT(0u, counter.stop());
}

TEST(AnimAllocation, AnimatedObjectUpdateAllocatesNothing) {
    std::vector<std::unique_ptr<GameModel>> owned;
    std::vector<GameModel*> models;
    for (unsigned i = 0; i < 8; ++i) {
        owned.push_back(std::make_unique<GameModel>("Bone" + std::to_string(i), glm::mat4(1.0f)));
        models.push_back(owned.back().get());
        if (i > 0) {
            models[i - 1]->children.push_back(models[i]);
        }
    }
    auto scene = std::make_unique<aiScene>();
    scene->mNumAnimations = 1;
    scene->mAnimations = new aiAnimation* [1] { makeAnimation(40.0, 10.0, manyChannels(8, 41)) };
    SceneAnimator animator(scene.get(), models[0], 0);
    AnimatedObject dog("animateddog", &animator, models);
    dog.updateAnimations(0.0);

    AllocationCounter counter;
    counter.start();
    for (double time : frameTimes) {
        dog.updateAnimations(time);
    }
    EXPECT_EQ(0u, counter.stop());
    EXPECT_NEAR(7.0f, models[7]->modelMatrix[3][1], 1e-5f) << "the models were really posed";
}
