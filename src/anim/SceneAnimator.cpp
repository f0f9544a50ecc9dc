#include "anim/SceneAnimator.h"

#include "anim/AnimEvaluator.h"
#include "scene/GameModel.h"

#include <assimp/anim.h>
#include <assimp/scene.h>

#include <algorithm>
#include <utility>

namespace {

template <typename Key> Key* copyKeys(const Key* keys, unsigned& count) {
    if (count == 0 || !keys) {
        count = 0;
        return nullptr;
    }
    Key* copy = new Key[count];
    std::copy(keys, keys + count, copy);
    return copy;
}

// Only the node channels are played; mesh and morph channels are not copied.
aiAnimation* copyAnimation(const aiAnimation& source) {
    aiAnimation* copy = new aiAnimation();
    copy->mName = source.mName;
    copy->mDuration = source.mDuration;
    copy->mTicksPerSecond = source.mTicksPerSecond;
    if (source.mNumChannels == 0 || !source.mChannels) {
        return copy;
    }
    copy->mNumChannels = source.mNumChannels;
    copy->mChannels = new aiNodeAnim*[source.mNumChannels];
    for (unsigned c = 0; c < source.mNumChannels; ++c) {
        aiNodeAnim* channel = new aiNodeAnim();
        copy->mChannels[c] = channel;
        const aiNodeAnim* from = source.mChannels[c];
        if (!from) {
            continue;
        }
        channel->mNodeName = from->mNodeName;
        channel->mPreState = from->mPreState;
        channel->mPostState = from->mPostState;
        channel->mNumPositionKeys = from->mNumPositionKeys;
        channel->mPositionKeys = copyKeys(from->mPositionKeys, channel->mNumPositionKeys);
        channel->mNumRotationKeys = from->mNumRotationKeys;
        channel->mRotationKeys = copyKeys(from->mRotationKeys, channel->mNumRotationKeys);
        channel->mNumScalingKeys = from->mNumScalingKeys;
        channel->mScalingKeys = copyKeys(from->mScalingKeys, channel->mNumScalingKeys);
    }
    return copy;
}

} // namespace

SceneAnimNode::SceneAnimNode(std::string name, SceneAnimNode* parent)
    : name(std::move(name)), parent(parent) {}

SceneAnimNode::~SceneAnimNode() {
    for (SceneAnimNode* child : children) {
        delete child;
    }
}

SceneAnimator::SceneAnimator(const aiScene* scene, GameModel* root, unsigned index) : rootModel(root) {
    if (scene && scene->mAnimations) {
        animations.reserve(scene->mNumAnimations);
        for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
            // A missing entry becomes an empty animation so that indices keep their meaning.
            const aiAnimation* source = scene->mAnimations[a];
            animations.push_back(source ? copyAnimation(*source) : new aiAnimation());
        }
    }
    SetAnimIndex(index);
}

SceneAnimator::~SceneAnimator() {
    delete rootNode;
    delete evaluator;
    for (aiAnimation* animation : animations) {
        delete animation;
    }
}

void SceneAnimator::SetAnimIndex(unsigned index) {
    // An index that reads as -1 must still build the tree on the first call,
    // or every model would lose its file transformation.
    if (static_cast<int>(index) == currentAnimIndex && (rootNode || !rootModel)) {
        return;
    }
    delete rootNode;
    rootNode = nullptr;
    delete evaluator;
    evaluator = nullptr;
    nodesByModel.clear();

    currentAnimIndex = static_cast<int>(index);
    if (rootModel) {
        rootNode = CreateNodeTree(rootModel, nullptr);
    }
    if (index < animations.size()) {
        evaluator = new AnimEvaluator(animations[index]);
    }
}

void SceneAnimator::Calculate(double time) {
    if (!evaluator) {
        return;
    }
    evaluator->Evaluate(time);
    if (rootNode) {
        UpdateTransforms(rootNode);
    }
}

const aiMatrix4x4& SceneAnimator::GetLocalTransform(const GameModel* model) const {
    const auto found = nodesByModel.find(model);
    if (found == nodesByModel.end()) {
        return identityMatrix;
    }
    return found->second->localTransform;
}

SceneAnimNode* SceneAnimator::CreateNodeTree(GameModel* model, SceneAnimNode* parent) {
    SceneAnimNode* node = new SceneAnimNode(model->getId(), parent);
    nodesByModel[model] = node;
    node->localTransform = model->nodeTransform;

    const unsigned index = static_cast<unsigned>(currentAnimIndex);
    if (index < animations.size()) {
        const aiAnimation* animation = animations[index];
        for (unsigned c = 0; c < animation->mNumChannels; ++c) {
            if (node->name == animation->mChannels[c]->mNodeName.C_Str()) {
                node->channelIndex = static_cast<int>(c);
                break;
            }
        }
    }

    node->children.reserve(model->children.size());
    for (GameModel* child : model->children) {
        if (child) {
            node->children.push_back(CreateNodeTree(child, node));
        }
    }
    return node;
}

void SceneAnimator::UpdateTransforms(SceneAnimNode* node) {
    const std::vector<aiMatrix4x4>& transforms = evaluator->GetTransformations();
    if (node->channelIndex >= 0 && static_cast<size_t>(node->channelIndex) < transforms.size()) {
        node->localTransform = transforms[node->channelIndex];
    }
    for (SceneAnimNode* child : node->children) {
        UpdateTransforms(child);
    }
}
