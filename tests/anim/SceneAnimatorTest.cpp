#include "anim/SceneAnimator.h"

#include "SyntheticAnimation.h"
#include "scene/GameModel.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

// Root
// |- Body
// |  `- Head
// `- Tail
class SceneAnimatorTest : public ::testing::Test {
protected:
    SceneAnimatorTest() {
        root.children = {&body, &tail};
        body.children = {&head};
        root.nodeTransform = aiTranslation(0, 0, 1);
        body.nodeTransform = aiTranslation(0, 0, 2);
        head.nodeTransform = aiTranslation(0, 0, 3);
        tail.nodeTransform = aiTranslation(0, 0, 4);
    }

    // The scene owns the animations it is given, as an imported scene does.
    static std::unique_ptr<aiScene> sceneWith(std::vector<aiAnimation*> animations) {
        auto scene = std::make_unique<aiScene>();
        scene->mNumAnimations = static_cast<unsigned>(animations.size());
        scene->mAnimations = animations.empty() ? nullptr : new aiAnimation*[animations.size()];
        for (size_t i = 0; i < animations.size(); ++i) {
            scene->mAnimations[i] = animations[i];
        }
        return scene;
    }

    // Channels: Head twice (the first must win), Body, one unknown node and a
    // name that differs from Tail only by case.
    static aiAnimation* walk() {
        return makeAnimation(10.0, 1.0,
                             {xTrack("Head", {{0, 1.0f}}), xTrack("Head", {{0, 2.0f}}),
                              xTrack("Body", {{0, 5.0f}}), xTrack("Nobody", {{0, 7.0f}}),
                              xTrack("tail", {{0, 9.0f}})});
    }

    static aiAnimation* sit() {
        return makeAnimation(10.0, 1.0, {xTrack("Tail", {{0, 0.0f}, {10.0, 10.0f}})});
    }

    GameModel root{"Root", glm::mat4(1.0f)};
    GameModel body{"Body", glm::mat4(1.0f)};
    GameModel head{"Head", glm::mat4(1.0f)};
    GameModel tail{"Tail", glm::mat4(1.0f)};
};

} // namespace

TEST_F(SceneAnimatorTest, BeforeTheFirstCalculateEveryModelHasItsFileTransform) {
    auto scene = sceneWith({walk()});
    SceneAnimator animator(scene.get(), &root, 0);
    EXPECT_TRUE(animator.GetLocalTransform(&root) == root.nodeTransform);
    EXPECT_TRUE(animator.GetLocalTransform(&body) == body.nodeTransform);
    EXPECT_TRUE(animator.GetLocalTransform(&head) == head.nodeTransform);
    EXPECT_TRUE(animator.GetLocalTransform(&tail) == tail.nodeTransform);
    EXPECT_EQ(0, animator.getCurrentAnimIndex());
}

TEST_F(SceneAnimatorTest, CalculateDrivesMatchedNodesByTheirFirstChannel) {
    auto scene = sceneWith({walk()});
    SceneAnimator animator(scene.get(), &root, 0);
    animator.Calculate(3.0);
    EXPECT_TRUE(animator.GetLocalTransform(&head) == aiTranslation(1, 0, 0)) << "first Head channel wins";
    EXPECT_TRUE(animator.GetLocalTransform(&body) == aiTranslation(5, 0, 0));
    // Names are matched exactly: "tail" is not Tail, and Root has no channel.
    EXPECT_TRUE(animator.GetLocalTransform(&tail) == tail.nodeTransform);
    EXPECT_TRUE(animator.GetLocalTransform(&root) == root.nodeTransform);
}

TEST_F(SceneAnimatorTest, UnknownModelGetsTheIdentity) {
    auto scene = sceneWith({walk()});
    SceneAnimator animator(scene.get(), &root, 0);
    GameModel stranger("Head", glm::mat4(1.0f));
    stranger.nodeTransform = aiTranslation(8, 8, 8);
    animator.Calculate(1.0);
    EXPECT_TRUE(animator.GetLocalTransform(&stranger) == aiMatrix4x4());
    EXPECT_TRUE(animator.GetLocalTransform(nullptr) == aiMatrix4x4());
}

TEST_F(SceneAnimatorTest, KeepsWorkingAfterTheSceneIsReleased) {
    auto scene = sceneWith({sit()});
    SceneAnimator animator(scene.get(), &root, 0);
    scene.reset();
    animator.Calculate(2.5);
    EXPECT_NEAR(2.5f, animator.GetLocalTransform(&tail).a4, 1e-5f);
    animator.Calculate(7.0);
    EXPECT_NEAR(7.0f, animator.GetLocalTransform(&tail).a4, 1e-5f);
    ASSERT_EQ(1u, animator.getAnimations().size());
    EXPECT_STREQ("Tail", animator.getAnimations()[0]->mChannels[0]->mNodeName.C_Str());
    EXPECT_EQ(2u, animator.getAnimations()[0]->mChannels[0]->mNumPositionKeys);
}

TEST_F(SceneAnimatorTest, WithoutAPlayableAnimationModelsKeepTheirFileTransforms) {
    struct Case {
        const char* name;
        bool withScene;
        unsigned animations;
        unsigned index;
    };
    const Case cases[] = {
        {"no scene", false, 0, 0},
        {"no animations", true, 0, 0},
        {"index past the end", true, 1, 1},
        {"index that reads as -1", true, 1, UINT_MAX},
    };
    for (const Case& c : cases) {
        std::vector<aiAnimation*> animations;
        for (unsigned i = 0; i < c.animations; ++i) {
            animations.push_back(sit());
        }
        auto scene = sceneWith(animations);
        SceneAnimator animator(c.withScene ? scene.get() : nullptr, &root, c.index);
        animator.Calculate(4.0);
        EXPECT_TRUE(animator.GetLocalTransform(&tail) == tail.nodeTransform) << c.name;
        EXPECT_TRUE(animator.GetLocalTransform(&head) == head.nodeTransform) << c.name;
        EXPECT_EQ(c.animations, animator.getAnimations().size()) << c.name;
    }
}

TEST_F(SceneAnimatorTest, SelectingTheCurrentIndexKeepsTheTreeAndPose) {
    auto scene = sceneWith({walk(), sit()});
    SceneAnimator animator(scene.get(), &root, 0);
    animator.Calculate(1.0);
    const aiMatrix4x4* headPose = &animator.GetLocalTransform(&head);
    animator.SetAnimIndex(0);
    EXPECT_EQ(headPose, &animator.GetLocalTransform(&head));
    EXPECT_TRUE(animator.GetLocalTransform(&head) == aiTranslation(1, 0, 0));
}

TEST_F(SceneAnimatorTest, SelectingAnotherAnimationRebindsTheNodes) {
    auto scene = sceneWith({walk(), sit()});
    SceneAnimator animator(scene.get(), &root, 0);
    animator.Calculate(1.0);
    animator.SetAnimIndex(1);
    EXPECT_EQ(1, animator.getCurrentAnimIndex());
    EXPECT_TRUE(animator.GetLocalTransform(&head) == head.nodeTransform) << "tree rebuilt from the models";
    animator.Calculate(6.0);
    EXPECT_NEAR(6.0f, animator.GetLocalTransform(&tail).a4, 1e-5f);
    EXPECT_TRUE(animator.GetLocalTransform(&head) == head.nodeTransform) << "Head has no channel in sit";
}

TEST_F(SceneAnimatorTest, NullRootGivesAnEmptyTree) {
    auto scene = sceneWith({sit()});
    SceneAnimator animator(scene.get(), nullptr, 0);
    animator.Calculate(1.0);
    EXPECT_TRUE(animator.GetLocalTransform(&tail) == aiMatrix4x4());
}
