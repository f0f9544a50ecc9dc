#include "anim/AnimEvaluator.h"
#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"
#include "scene/GameModel.h"

#include <assimp/anim.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// channels x keys of position, rotation and scaling, one key per tick.
aiAnimation* makeAnimation(unsigned channels, unsigned keys) {
    aiAnimation* animation = new aiAnimation();
    animation->mDuration = keys;
    animation->mTicksPerSecond = 25.0;
    animation->mNumChannels = channels;
    animation->mChannels = new aiNodeAnim*[channels];
    for (unsigned c = 0; c < channels; ++c) {
        aiNodeAnim* channel = new aiNodeAnim();
        channel->mNodeName = aiString("Bone" + std::to_string(c));
        channel->mNumPositionKeys = channel->mNumRotationKeys = channel->mNumScalingKeys = keys;
        channel->mPositionKeys = new aiVectorKey[keys];
        channel->mRotationKeys = new aiQuatKey[keys];
        channel->mScalingKeys = new aiVectorKey[keys];
        for (unsigned k = 0; k < keys; ++k) {
            channel->mPositionKeys[k] = aiVectorKey(k, aiVector3D(float(k), float(c), 0.0f));
            channel->mRotationKeys[k] = aiQuatKey(k, aiQuaternion(aiVector3D(0, 1, 0), 0.05f * float(k)));
            channel->mScalingKeys[k] = aiVectorKey(k, aiVector3D(1.0f + 0.001f * float(k)));
        }
        animation->mChannels[c] = channel;
    }
    return animation;
}

// Frame steps of a 60 Hz game, wrapping through the whole animation.
void BM_Evaluate_40Channels_200Keys(benchmark::State& state) {
    std::unique_ptr<aiAnimation> animation(makeAnimation(40, 200));
    AnimEvaluator evaluator(animation.get());
    double time = 0.0;
    for (auto _ : state) {
        evaluator.Evaluate(time);
        benchmark::DoNotOptimize(evaluator.GetTransformations().data());
        time += 1.0 / 60.0;
    }
}
BENCHMARK(BM_Evaluate_40Channels_200Keys);

void BM_UpdateAnimations_20Models(benchmark::State& state) {
    std::vector<std::unique_ptr<GameModel>> owned;
    std::vector<GameModel*> models;
    for (unsigned i = 0; i < 20; ++i) {
        owned.push_back(std::make_unique<GameModel>("Bone" + std::to_string(i), glm::mat4(1.0f)));
        models.push_back(owned.back().get());
        if (i > 0) {
            models[(i - 1) / 2]->children.push_back(models[i]);
        }
    }
    auto scene = std::make_unique<aiScene>();
    scene->mNumAnimations = 1;
    scene->mAnimations = new aiAnimation* [1] { makeAnimation(20, 200) };
    SceneAnimator animator(scene.get(), models[0], 0);
    scene.reset();
    AnimatedObject dog("animateddog", &animator, models);
    double time = 0.0;
    for (auto _ : state) {
        dog.updateAnimations(time);
        benchmark::DoNotOptimize(models.back()->modelMatrix);
        time += 1.0 / 60.0;
    }
}
BENCHMARK(BM_UpdateAnimations_20Models);

} // namespace

BENCHMARK_MAIN();
