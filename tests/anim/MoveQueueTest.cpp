#include "anim/AnimatedObject.h"

#include "RecordingMove.h"

#include <gtest/gtest.h>

namespace {

class MoveQueueTest : public ::testing::Test {
protected:
    std::vector<GameModel*> noModels;
    AnimatedObject dog{"animateddog", nullptr, noModels};
    MoveLog first;
    MoveLog second;
};

} // namespace

TEST_F(MoveQueueTest, EmptyQueueLeavesTheMatrixAlone) {
    dog.matrix[3] = glm::vec4(1, 2, 3, 1);
    dog.updateAnimations(1.0);
    EXPECT_FALSE(dog.hasMoves());
    EXPECT_EQ(glm::vec4(1, 2, 3, 1), dog.matrix[3]);
}

TEST_F(MoveQueueTest, MoveFinishedBeforeItIsAddedIsDeletedUnused) {
    dog.addMove(new RecordingMove(first, glm::vec3(1, 0, 0), 0));
    EXPECT_TRUE(dog.hasMoves());
    dog.updateAnimations(0.5);
    EXPECT_EQ(0, first.getMoveCalls);
    EXPECT_EQ(1, first.deleted);
    EXPECT_FALSE(dog.hasMoves());
    EXPECT_EQ(glm::vec4(0, 0, 0, 1), dog.matrix[3]);
}

TEST_F(MoveQueueTest, MovesActInOrderEachOnTheResultOfTheOneBefore) {
    dog.addMove(new RecordingMove(first, glm::vec3(1, 0, 0)));
    dog.addMove(new RecordingMove(second, glm::vec3(0, 2, 0)));
    dog.updateAnimations(0.25);
    dog.updateAnimations(1.0);
    ASSERT_EQ(2, second.getMoveCalls);
    EXPECT_EQ(glm::vec3(1, 0, 0), second.inputPositions[0]);
    EXPECT_EQ(glm::vec3(2, 2, 0), second.inputPositions[1]);
    EXPECT_EQ(glm::vec4(2, 4, 0, 1), dog.matrix[3]);
    EXPECT_EQ(first.elapsed, second.elapsed) << "every move of a frame gets the same elapsed time";
}

TEST_F(MoveQueueTest, ElapsedIsTheTimeSinceThePreviousUpdateStartingFromZero) {
    dog.addMove(new RecordingMove(first, glm::vec3(0)));
    for (double time : {7.5, 8.0, 8.0, 10.25}) {
        dog.updateAnimations(time);
    }
    EXPECT_EQ((std::vector<double>{7.5, 0.5, 0.0, 2.25}), first.elapsed);
    EXPECT_DOUBLE_EQ(2.25, dog.elapsed);
    EXPECT_DOUBLE_EQ(10.25, dog.lastTime);
}

TEST_F(MoveQueueTest, MoveFinishingInItsCallCountsThenLeavesAtTheNextUpdate) {
    dog.addMove(new RecordingMove(first, glm::vec3(1, 0, 0), 1));
    dog.addMove(new RecordingMove(second, glm::vec3(0, 0, 1)));
    dog.updateAnimations(1.0);
    EXPECT_EQ(glm::vec4(1, 0, 1, 1), dog.matrix[3]);
    EXPECT_EQ(0, first.deleted);
    dog.updateAnimations(2.0);
    EXPECT_EQ(1, first.getMoveCalls);
    EXPECT_EQ(1, first.deleted);
    EXPECT_EQ(2, second.getMoveCalls) << "the move behind a removed one still runs in that frame";
    EXPECT_EQ(glm::vec4(1, 0, 2, 1), dog.matrix[3]);
    EXPECT_TRUE(dog.hasMoves());
}

TEST_F(MoveQueueTest, ClearMovesDeletesFinishedAndUnfinishedMoves) {
    dog.addMove(new RecordingMove(first, glm::vec3(1, 0, 0)));
    dog.addMove(new RecordingMove(first, glm::vec3(1, 0, 0), 0));
    dog.addMove(new RecordingMove(second, glm::vec3(1, 0, 0), 1));
    dog.clearMoves();
    EXPECT_FALSE(dog.hasMoves());
    EXPECT_EQ(2, first.deleted);
    EXPECT_EQ(1, second.deleted);
    dog.updateAnimations(1.0);
    EXPECT_EQ(0, first.getMoveCalls + second.getMoveCalls);
}

TEST_F(MoveQueueTest, DestroyingTheOwnerDeletesItsMoves) {
    {
        std::vector<GameModel*> models;
        AnimatedObject owner("animateddog", nullptr, models);
        owner.addMove(new RecordingMove(first, glm::vec3(1, 0, 0)));
    }
    EXPECT_EQ(1, first.deleted);
}
