#include "moves/PersueMove.h"

#include "anim/AnimatedObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A camera looking down -z from eye: its inverse gives the eye back exactly.
glm::mat4 viewFrom(glm::vec3 eye) {
    return glm::lookAt(eye, eye + glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
}

// A camera looking somewhere sideways, so the view has a real rotation.
glm::mat4 sidewaysViewFrom(glm::vec3 eye) {
    return glm::lookAt(eye, eye + glm::vec3(0.3f, -0.2f, -1.0f), glm::vec3(0, 1, 0));
}

glm::mat4 placedAt(glm::vec3 p) {
    glm::mat4 m = glm::rotate(glm::mat4(1.0f), 0.7f, glm::vec3(0, 1, 0));
    m[3] = glm::vec4(p, 1.0f);
    return m;
}

void expectVec3Near(glm::vec3 expected, glm::vec3 actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

} // namespace

struct PursuitCase {
    const char* name;
    glm::vec3 start;
    glm::vec3 eye;
    float speed;
    double elapsed;
    glm::vec3 expected;
    bool finished;
};

void PrintTo(const PursuitCase& c, std::ostream* os) {
    *os << c.name;
}

class PersueMoveStep : public ::testing::TestWithParam<PursuitCase> {};

TEST_P(PersueMoveStep, MovesTheTranslationTowardsTheEye) {
    const PursuitCase& c = GetParam();
    const glm::mat4 view = viewFrom(c.eye);
    PersueMove move(&view, c.speed);
    const glm::mat4 start = placedAt(c.start);
    const glm::mat4 result = move.getMove(c.elapsed, start);
    expectVec3Near(c.expected, glm::vec3(result[3]));
    EXPECT_EQ(c.finished, move.isFinished());
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(start[col], result[col]) << "rotation column " << col;
    }
    EXPECT_EQ(1.0f, result[3][3]);
    expectVec3Near(c.eye, move.getTargetPosition(), 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PersueMoveStep,
    ::testing::Values(
        // x passes the target in the first pass and takes the step again in the second.
        PursuitCase{"OvershootTakesTheStepTwice", {0, 0, 0}, {1, 0, 0}, 1.8f, 1.0, {3.6f, 0, 0}, false},
        PursuitCase{"NoTimeNoMovement", {0, 0, 0}, {1, 0, 0}, 1.8f, 0.0, {0, 0, 0}, false},
        // (1, 2, 2) has length 3, so one unit of travel is a third of it.
        PursuitCase{
            "ClimbsAndTurnsIn3d", {0, 0, 0}, {1, 2, 2}, 1.0f, 1.0, {1.0f / 3, 2.0f / 3, 2.0f / 3}, false},
        // x and z approach from opposite sides: the first pass moves only z, the second only x.
        PursuitCase{"ApproachesFromAbove", {0, 0, 0}, {-3, 0, 4}, 1.0f, 1.0, {-0.6f, 0, 0.8f}, false},
        PursuitCase{"AtTheEyeFinishesWithoutAStep", {2, 1, -4}, {2, 1, -4}, 1.8f, 1.0, {2, 1, -4}, true},
        PursuitCase{
            "LandingWithinACentimetreFinishes", {0.995f, 0, 0}, {1, 0, 0}, 1.0f, 0.001, {0.996f, 0, 0}, true},
        PursuitCase{"JustOutsideTheWindowKeepsPursuing",
                    {0.985f, 0, 0},
                    {1, 0, 0},
                    1.0f,
                    0.0,
                    {0.985f, 0, 0},
                    false}),
    [](const ::testing::TestParamInfo<PursuitCase>& info) { return std::string(info.param.name); });

TEST(PersueMove, OnceFinishedReturnsItsInputButStillTracksTheEye) {
    glm::mat4 view = sidewaysViewFrom({1, 0, 0});
    PersueMove move(&view, 1.0f);
    move.getMove(0.001, placedAt({0.995f, 0, 0}));
    ASSERT_TRUE(move.isFinished());

    view = sidewaysViewFrom({5, 5, 5});
    const glm::mat4 somewhere = placedAt({-2, 0, 0});
    EXPECT_EQ(somewhere, move.getMove(1.0, somewhere));
    EXPECT_TRUE(move.isFinished());
    expectVec3Near({5, 5, 5}, move.getTargetPosition());
    expectVec3Near(glm::normalize(glm::vec3(7, 5, 5)), move.getDirection());
}

TEST(PersueMove, FollowsATargetThatMovesBetweenCalls) {
    glm::mat4 view = sidewaysViewFrom({10, 0, 0});
    PersueMove move(&view, 2.0f);
    glm::mat4 m = placedAt({0, 0, 0});
    m = move.getMove(1.0, m);
    expectVec3Near({2, 0, 0}, glm::vec3(m[3]));

    view = sidewaysViewFrom({2, 0, -10});
    m = move.getMove(0.5, m);
    expectVec3Near({2, 0, -1}, glm::vec3(m[3]));
    expectVec3Near({0, 0, -1}, move.getDirection());
    EXPECT_FALSE(move.isFinished());
}

TEST(PersueMove, CaughtPursuitLeavesTheQueueAtTheNextUpdate) {
    const glm::mat4 view = viewFrom({1, 0, 0});
    std::vector<GameModel*> noModels;
    AnimatedObject dog("animateddog", nullptr, noModels);
    dog.matrix = placedAt({0.995f, 0, 0});
    dog.addMove(new PersueMove(&view, 1.8f));
    dog.updateAnimations(0.001);
    EXPECT_TRUE(dog.hasMoves());
    EXPECT_NEAR(0.9968f, dog.matrix[3][0], 1e-5f);
    dog.updateAnimations(0.002);
    EXPECT_FALSE(dog.hasMoves());
}

TEST(PersueMove, WithoutATargetChangesNothing) {
    PersueMove move(nullptr, 1.8f);
    const glm::mat4 m = placedAt({1, 2, 3});
    EXPECT_EQ(m, move.getMove(1.0, m));
    EXPECT_FALSE(move.isFinished());
}
