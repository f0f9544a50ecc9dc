#pragma once

#include <assimp/matrix4x4.h>

#include <map>
#include <string>
#include <vector>

struct aiAnimation;
struct aiScene;
class AnimEvaluator;
class GameModel;

// One node of the animator's mirror of a model tree. Owns its children.
struct SceneAnimNode {
    SceneAnimNode(std::string name, SceneAnimNode* parent);
    ~SceneAnimNode();
    SceneAnimNode(const SceneAnimNode&) = delete;
    SceneAnimNode& operator=(const SceneAnimNode&) = delete;

    std::string name;
    SceneAnimNode* parent = nullptr;
    std::vector<SceneAnimNode*> children;
    aiMatrix4x4 localTransform;
    int channelIndex = -1;
};

// Plays the keyframe animations of one imported scene on the model tree built
// from it. Everything needed from the aiScene is copied in the constructor, so
// the scene may be released right afterwards. Owns its animation copies, node
// tree and evaluator; the models are not owned.
class SceneAnimator {
public:
    SceneAnimator(const aiScene* scene, GameModel* root, unsigned index);
    ~SceneAnimator();
    SceneAnimator(const SceneAnimator&) = delete;
    SceneAnimator& operator=(const SceneAnimator&) = delete;

    void SetAnimIndex(unsigned index);
    // time: seconds. Does nothing while no animation is selected.
    void Calculate(double time);
    // Valid until the next SetAnimIndex; the identity for models not in the tree.
    const aiMatrix4x4& GetLocalTransform(const GameModel* model) const;

    int getCurrentAnimIndex() const { return currentAnimIndex; }
    const std::vector<aiAnimation*>& getAnimations() const { return animations; }

private:
    SceneAnimNode* CreateNodeTree(GameModel* model, SceneAnimNode* parent);
    void UpdateTransforms(SceneAnimNode* node);

    std::vector<aiAnimation*> animations;
    int currentAnimIndex = -1;
    AnimEvaluator* evaluator = nullptr;
    SceneAnimNode* rootNode = nullptr;
    GameModel* rootModel = nullptr;
    std::map<const GameModel*, SceneAnimNode*> nodesByModel;
    aiMatrix4x4 identityMatrix;
};
