#include "anim/AnimatedObject.h"

#include "RecordingMove.h"
#include "SyntheticAnimation.h"
#include "anim/SceneAnimator.h"
#include "scene/GameModel.h"

#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <memory>

namespace {

void expectMat4Near(const glm::mat4& expected, const glm::mat4& actual, float tolerance = 1e-5f) {
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(expected[col][row], actual[col][row], tolerance) << "[" << col << "][" << row << "]";
        }
    }
}

std::unique_ptr<aiScene> sceneWith(aiAnimation* animation) {
    auto scene = std::make_unique<aiScene>();
    if (animation) {
        scene->mNumAnimations = 1;
        scene->mAnimations = new aiAnimation* [1] { animation };
    }
    return scene;
}

// A dog of two models: Body (root, animated along x at one unit per tick) and
// Leg (its child, never animated).
class AnimatedObjectTest : public ::testing::Test {
protected:
    AnimatedObjectTest() {
        body.children = {&leg};
        body.nodeTransform = aiTranslation(0, 1, 0);
        // Rotation part is not symmetric, so a transposed copy would show.
        leg.nodeTransform = aiMatrix4x4(0, -1, 0, 2, 1, 0, 0, 3, 0, 0, 1, 4, 0, 0, 0, 1);
        models = {&body, &leg};
    }

    void build(aiAnimation* animation) {
        auto scene = sceneWith(animation);
        animator = std::make_unique<SceneAnimator>(scene.get(), &body, 0);
        dog = std::make_unique<AnimatedObject>("animateddog", animator.get(), models);
    }

    float bodyX() const { return body.modelMatrix[3][0]; }

    GameModel body{"Body", glm::mat4(1.0f)};
    GameModel leg{"Leg", glm::mat4(1.0f)};
    std::vector<GameModel*> models;
    std::unique_ptr<SceneAnimator> animator;
    std::unique_ptr<AnimatedObject> dog;
};

} // namespace

TEST_F(AnimatedObjectTest, StartsIdentityActiveAndEmpty) {
    build(nullptr);
    EXPECT_EQ(glm::mat4(1.0f), dog->matrix);
    EXPECT_TRUE(dog->animationActive);
    EXPECT_FALSE(dog->hasMoves());
    EXPECT_EQ("animateddog", dog->name);
    EXPECT_EQ(models, dog->models);
}

TEST_F(AnimatedObjectTest, WithoutAnimationsModelsGetMatrixTimesFileTransform) {
    build(nullptr);
    dog->matrix = glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, 0));
    dog->updateAnimations(3.0);
    // Leg's row-major file transform, element by element in glm's [column][row].
    const glm::mat4 legLocal(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1);
    expectMat4Near(dog->matrix * legLocal, leg.modelMatrix);
    expectMat4Near(glm::translate(glm::mat4(1.0f), glm::vec3(10, 1, 0)), body.modelMatrix);
}

struct WrapCase {
    double seconds;
    float expectedTick;
};

void PrintTo(const WrapCase& c, std::ostream* os) {
    *os << c.seconds << " s";
}

class AnimatedObjectWrap : public AnimatedObjectTest, public ::testing::WithParamInterface<WrapCase> {};

// 50 ticks at the default 25 per second: one cycle every 2 s.
TEST_P(AnimatedObjectWrap, TicksPerSecondZeroWrapsEveryTwoSeconds) {
    build(makeAnimation(50.0, 0.0, {xTrack("Body", {{0.0, 0.0f}, {50.0, 50.0f}})}));
    dog->updateAnimations(GetParam().seconds);
    EXPECT_NEAR(GetParam().expectedTick, bodyX(), 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Cases, AnimatedObjectWrap,
                         ::testing::Values(WrapCase{0.5, 12.5f}, WrapCase{2.5, 12.5f}, WrapCase{4.5, 12.5f},
                                           WrapCase{1.5, 37.5f}, WrapCase{3.9, 47.5f},
                                           WrapCase{1000.2, 5.0f}));

TEST_F(AnimatedObjectTest, ModelsTakeOnlyTheirOwnLocalTransform) {
    build(makeAnimation(50.0, 25.0, {xTrack("Body", {{0.0, 0.0f}, {50.0, 50.0f}})}));
    dog->updateAnimations(1.0);
    EXPECT_NEAR(25.0f, bodyX(), 1e-4f);
    const glm::mat4 legLocal(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1);
    expectMat4Near(legLocal, leg.modelMatrix);
}

TEST_F(AnimatedObjectTest, StoppedAnimationKeepsThePoseWhileTheMatrixMovesEveryModel) {
    build(makeAnimation(50.0, 25.0, {xTrack("Body", {{0.0, 0.0f}, {50.0, 50.0f}})}));
    dog->updateAnimations(0.4);
    const glm::mat4 bodyPose = body.modelMatrix;
    const glm::mat4 legPose = leg.modelMatrix;
    ASSERT_NEAR(10.0f, bodyX(), 1e-4f);

    dog->animationActive = false;
    const glm::mat4 placement =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(3, -2, 7)), 0.8f, glm::vec3(0, 1, 0));
    dog->matrix = placement;
    dog->updateAnimations(1.6);
    expectMat4Near(placement * bodyPose, body.modelMatrix);
    expectMat4Near(placement * legPose, leg.modelMatrix);

    dog->animationActive = true;
    dog->matrix = glm::mat4(1.0f);
    dog->updateAnimations(1.6);
    EXPECT_NEAR(40.0f, bodyX(), 1e-4f) << "the pose resumes at the clock time";
}

TEST_F(AnimatedObjectTest, MovesChangeThePlacementBeforeTheModelsArePosed) {
    build(nullptr);
    MoveLog log;
    dog->addMove(new RecordingMove(log, glm::vec3(0, 0, 5)));
    dog->updateAnimations(1.0);
    EXPECT_EQ(glm::vec4(0, 0, 5, 1), dog->matrix[3]);
    EXPECT_EQ(glm::vec4(0, 1, 5, 1), body.modelMatrix[3]);
}

TEST_F(AnimatedObjectTest, EmptyModelListStillRunsTheMoves) {
    std::vector<GameModel*> none;
    auto scene = sceneWith(makeAnimation(50.0, 25.0, {xTrack("Body", {{0.0, 0.0f}, {50.0, 50.0f}})}));
    SceneAnimator bodyAnimator(scene.get(), &body, 0);
    AnimatedObject empty("animateddog", &bodyAnimator, none);
    const glm::mat4 before = body.modelMatrix;
    MoveLog log;
    empty.addMove(new RecordingMove(log, glm::vec3(1, 0, 0)));
    empty.updateAnimations(1.0);
    EXPECT_EQ(1, log.getMoveCalls);
    EXPECT_EQ(glm::vec4(1, 0, 0, 1), empty.matrix[3]);
    EXPECT_EQ(before, body.modelMatrix);
}

TEST_F(AnimatedObjectTest, WithoutAnAnimatorModelsFollowTheMatrix) {
    std::vector<GameModel*> list = {&body, nullptr, &leg};
    AnimatedObject loose("animateddog", nullptr, list);
    loose.matrix = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -3));
    loose.updateAnimations(2.0);
    expectMat4Near(loose.matrix, body.modelMatrix);
    expectMat4Near(loose.matrix, leg.modelMatrix);
}
