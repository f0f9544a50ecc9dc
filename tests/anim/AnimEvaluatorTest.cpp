#include "anim/AnimEvaluator.h"

#include "SyntheticAnimation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float pi = 3.14159265358979f;

// Independent reference: translation x rotation(q, not normalised) x scaling.
aiMatrix4x4 trs(const aiVector3D& p, const aiQuaternion& q, const aiVector3D& s) {
    const float w = q.w, x = q.x, y = q.y, z = q.z;
    aiMatrix4x4 m;
    m.a1 = (1 - 2 * (y * y + z * z)) * s.x;
    m.a2 = 2 * (x * y - z * w) * s.y;
    m.a3 = 2 * (x * z + y * w) * s.z;
    m.b1 = 2 * (x * y + z * w) * s.x;
    m.b2 = (1 - 2 * (x * x + z * z)) * s.y;
    m.b3 = 2 * (y * z - x * w) * s.z;
    m.c1 = 2 * (x * z - y * w) * s.x;
    m.c2 = 2 * (y * z + x * w) * s.y;
    m.c3 = (1 - 2 * (x * x + y * y)) * s.z;
    m.a4 = p.x;
    m.b4 = p.y;
    m.c4 = p.z;
    return m;
}

void expectMatrixNear(const aiMatrix4x4& expected, const aiMatrix4x4& actual, float tolerance) {
    for (unsigned row = 0; row < 4; ++row) {
        for (unsigned col = 0; col < 4; ++col) {
            EXPECT_NEAR(expected[row][col], actual[row][col], tolerance) << "row " << row << " col " << col;
        }
    }
}

float evaluateX(AnimEvaluator& evaluator, double seconds) {
    evaluator.Evaluate(seconds);
    return evaluator.GetTransformations().at(0).a4;
}

aiQuaternion axisZ(float angle) {
    return aiQuaternion(std::cos(angle / 2), 0.0f, 0.0f, std::sin(angle / 2));
}

} // namespace

struct TickRateCase {
    double ticksPerSecond;
    double seconds;
    float expectedTick;
};

void PrintTo(const TickRateCase& c, std::ostream* os) {
    *os << c.ticksPerSecond << " ticks/s at " << c.seconds << " s";
}

class AnimEvaluatorTickRate : public ::testing::TestWithParam<TickRateCase> {};

// The x track equals the tick, so the translation shows the time the channel was evaluated at.
TEST_P(AnimEvaluatorTickRate, ConvertsSecondsToWrappedTicks) {
    const TickRateCase& c = GetParam();
    auto animation =
        makeOwnedAnimation(50.0, c.ticksPerSecond, {xTrack("Bone", {{0.0, 0.0f}, {50.0, 50.0f}})});
    AnimEvaluator evaluator(animation.get());
    EXPECT_NEAR(c.expectedTick, evaluateX(evaluator, c.seconds), 1e-4f);
}

INSTANTIATE_TEST_SUITE_P(Cases, AnimEvaluatorTickRate,
                         ::testing::Values(TickRateCase{0.0, 1.0, 25.0f}, // 0 means 25 ticks per second
                                           TickRateCase{10.0, 1.0, 10.0f}, TickRateCase{25.0, 3.0, 25.0f},
                                           TickRateCase{0.0, 2.0, 0.0f}, TickRateCase{1.0, 123.5, 23.5f}));

TEST(AnimEvaluator, ZeroOrNegativeDurationAlwaysEvaluatesTickZero) {
    for (double duration : {0.0, -5.0}) {
        auto animation = makeOwnedAnimation(duration, 1.0, {xTrack("Bone", {{0.0, 3.0f}, {10.0, 7.0f}})});
        AnimEvaluator evaluator(animation.get());
        for (double seconds : {0.0, 4.0, 123.4, -2.0}) {
            EXPECT_FLOAT_EQ(3.0f, evaluateX(evaluator, seconds))
                << "duration " << duration << " at " << seconds;
        }
    }
}

TEST(AnimEvaluator, SingleKeyOfEachKindGivesThatPose) {
    ChannelKeys channel;
    channel.node = "Bone";
    const aiQuaternion rotation = axisZ(pi / 2);
    channel.positions = {aiVectorKey(4.0, aiVector3D(1, 2, 3))};
    channel.rotations = {aiQuatKey(4.0, rotation)};
    channel.scalings = {aiVectorKey(4.0, aiVector3D(2, 3, 4))};
    auto animation = makeOwnedAnimation(10.0, 1.0, {channel});
    AnimEvaluator evaluator(animation.get());
    for (double seconds : {0.0, 4.0, 7.3}) {
        evaluator.Evaluate(seconds);
        const aiMatrix4x4& m = evaluator.GetTransformations().at(0);
        // 90 degrees about z, then scaled per column.
        expectMatrixNear(trs(aiVector3D(1, 2, 3), rotation, aiVector3D(2, 3, 4)), m, 1e-6f);
        EXPECT_NEAR(-3.0f, m.a2, 1e-6f);
        EXPECT_NEAR(2.0f, m.b1, 1e-6f);
        EXPECT_NEAR(4.0f, m.c3, 1e-6f);
        EXPECT_FLOAT_EQ(1.0f, m.d4);
    }
}

TEST(AnimEvaluator, ChannelWithoutKeysIsIdentityAndEveryChannelGetsAMatrix) {
    auto animation = makeOwnedAnimation(
        10.0, 1.0, {ChannelKeys{"Empty", {}, {}, {}}, xTrack("Moving", {{0, 0}, {10, 10}})});
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(5.0);
    ASSERT_EQ(2u, evaluator.GetTransformations().size());
    EXPECT_TRUE(evaluator.GetTransformations()[0] == aiMatrix4x4());
    EXPECT_FLOAT_EQ(5.0f, evaluator.GetTransformations()[1].a4);
}

TEST(AnimEvaluator, PastTheLastKeyInterpolatesTowardsTheFirst) {
    // Gap from the last key (60) round to the first (10): 100 - 60 + 10 = 50 ticks.
    auto animation = makeOwnedAnimation(100.0, 1.0, {xTrack("Bone", {{10.0, 0.0f}, {60.0, 10.0f}})});
    AnimEvaluator evaluator(animation.get());
    EXPECT_NEAR(10.0f, evaluateX(evaluator, 60.0), 1e-5f);
    EXPECT_NEAR(5.0f, evaluateX(evaluator, 85.0), 1e-5f);
    EXPECT_NEAR(2.2f, evaluateX(evaluator, 99.0), 1e-5f);
    EXPECT_NEAR(5.0f, evaluateX(evaluator, 185.0), 1e-5f);
}

struct RotationCase {
    const char* name;
    aiQuaternion first;
    aiQuaternion second;
    float f;
    aiQuaternion expected;
};

void PrintTo(const RotationCase& c, std::ostream* os) {
    *os << c.name;
}

class AnimEvaluatorRotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(AnimEvaluatorRotation, InterpolatesBetweenKeys) {
    const RotationCase& c = GetParam();
    ChannelKeys channel;
    channel.node = "Bone";
    channel.rotations = {aiQuatKey(0.0, c.first), aiQuatKey(10.0, c.second)};
    auto animation = makeOwnedAnimation(20.0, 1.0, {channel});
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(10.0 * c.f);
    expectMatrixNear(trs(aiVector3D(), c.expected, aiVector3D(1, 1, 1)), evaluator.GetTransformations().at(0),
                     2e-6f);
}

namespace {

const float theta = 0.01f; // 1 - cos(theta) = 5e-5, below the slerp threshold
const aiQuaternion flipY(0.0f, 0.0f, 1.0f, 0.0f);
const aiQuaternion nearFlipY(0.0f, 0.0f, std::cos(theta), std::sin(theta));
const aiQuaternion nearFlipYNegated(-0.0f, -0.0f, -std::cos(theta), -std::sin(theta));
// Linear blend of the two, not normalised: its matrix differs from the unit
// slerp result by about 5e-5 in a1.
const aiQuaternion nearFlipYHalfway(0.0f, 0.0f, 0.5f * (1.0f + std::cos(theta)), 0.5f * std::sin(theta));

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, AnimEvaluatorRotation,
    ::testing::Values(RotationCase{"SlerpQuarterWay", aiQuaternion(), axisZ(pi / 2), 0.25f, axisZ(pi / 8)},
                      RotationCase{"OppositeSignTakesShorterArc", aiQuaternion(),
                                   aiQuaternion(-std::cos(pi / 4), 0.0f, 0.0f, -std::sin(pi / 4)), 0.5f,
                                   axisZ(pi / 4)},
                      RotationCase{"AtTheFirstKey", axisZ(0.3f), axisZ(1.3f), 0.0f, axisZ(0.3f)},
                      RotationCase{"NearlyEqualBlendLinearly", flipY, nearFlipY, 0.5f, nearFlipYHalfway},
                      RotationCase{"NearlyEqualOppositeSignBlendLinearly", flipY, nearFlipYNegated, 0.5f,
                                   nearFlipYHalfway}),
    [](const ::testing::TestParamInfo<RotationCase>& info) { return std::string(info.param.name); });

TEST(AnimEvaluator, NearlyEqualRotationsAreNotRenormalised) {
    ChannelKeys channel;
    channel.node = "Bone";
    channel.rotations = {aiQuatKey(0.0, flipY), aiQuatKey(10.0, nearFlipY)};
    auto animation = makeOwnedAnimation(20.0, 1.0, {channel});
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(5.0);
    // A unit quaternion would give exactly -1 here.
    EXPECT_NEAR(-0.99995f, evaluator.GetTransformations().at(0).a1, 2e-6f);
}

struct ScalingCase {
    double tick;
    float expected;
};

void PrintTo(const ScalingCase& c, std::ostream* os) {
    *os << "tick " << c.tick;
}

class AnimEvaluatorScaling : public ::testing::TestWithParam<ScalingCase> {};

TEST_P(AnimEvaluatorScaling, TakesTheEarlierKeyWithoutInterpolating) {
    ChannelKeys channel;
    channel.node = "Bone";
    channel.scalings = {aiVectorKey(0.0, aiVector3D(1, 1, 1)), aiVectorKey(10.0, aiVector3D(3, 3, 3))};
    auto animation = makeOwnedAnimation(20.0, 1.0, {channel});
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(GetParam().tick);
    const aiMatrix4x4& m = evaluator.GetTransformations().at(0);
    EXPECT_FLOAT_EQ(GetParam().expected, m.a1);
    EXPECT_FLOAT_EQ(GetParam().expected, m.b2);
    EXPECT_FLOAT_EQ(GetParam().expected, m.c3);
}

INSTANTIATE_TEST_SUITE_P(Cases, AnimEvaluatorScaling,
                         ::testing::Values(ScalingCase{0.0, 1.0f}, ScalingCase{5.0, 1.0f},
                                           ScalingCase{9.99, 1.0f}, ScalingCase{10.0, 3.0f},
                                           ScalingCase{19.0, 3.0f}));

namespace {

// Uneven key values, so a search that keeps a stale key index extrapolates to
// a visibly wrong pose instead of landing on the right one by accident.
ChannelKeys unevenChannel() {
    ChannelKeys channel = xTrack("Bone", {{0.0, 0.0f}, {10.0, 10.0f}, {20.0, 30.0f}, {30.0, 100.0f}});
    channel.rotations = {aiQuatKey(0.0, axisZ(0.0f)), aiQuatKey(10.0, axisZ(0.2f)),
                         aiQuatKey(20.0, axisZ(1.0f)), aiQuatKey(30.0, axisZ(2.0f))};
    channel.scalings = {aiVectorKey(0.0, aiVector3D(1, 1, 1)), aiVectorKey(10.0, aiVector3D(2, 2, 2)),
                        aiVectorKey(20.0, aiVector3D(3, 3, 3)), aiVectorKey(30.0, aiVector3D(4, 4, 4))};
    return channel;
}

} // namespace

TEST(AnimEvaluator, TimeGoingBackwardsRestartsTheKeySearch) {
    auto animation = makeOwnedAnimation(40.0, 1.0, {unevenChannel()});
    AnimEvaluator evaluator(animation.get());
    EXPECT_NEAR(65.0f, evaluateX(evaluator, 25.0), 1e-4f);
    EXPECT_NEAR(5.0f, evaluateX(evaluator, 5.0), 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, evaluator.GetTransformations()[0].c3); // scaling of key 0, not key 2
    EXPECT_NEAR(65.0f, evaluateX(evaluator, 25.0), 1e-4f);
    EXPECT_NEAR(5.0f, evaluateX(evaluator, 45.0), 1e-4f); // wrapped
}

// Whatever the order of the times, the incremental search must give the pose a
// fresh evaluator computes from key 0.
TEST(AnimEvaluator, IncrementalSearchMatchesAFreshSearch) {
    const std::vector<std::vector<double>> sequences = {
        {0.0, 5.0, 15.0, 25.0, 35.0, 39.9},   // forward, one key per step
        {1.0, 38.0},                          // jump over several keys
        {25.0, 5.0, 45.0, 65.0, 85.0, 105.0}, // wrapping every cycle
        {35.0, 0.0, 30.0, 30.0, 10.0, 20.0},  // on key times and backwards
    };
    auto animation = makeOwnedAnimation(40.0, 1.0, {unevenChannel()});
    for (const auto& times : sequences) {
        AnimEvaluator incremental(animation.get());
        for (double seconds : times) {
            incremental.Evaluate(seconds);
            AnimEvaluator fresh(animation.get());
            fresh.Evaluate(seconds);
            expectMatrixNear(fresh.GetTransformations().at(0), incremental.GetTransformations().at(0), 1e-5f);
        }
    }
}

TEST(AnimEvaluator, AnimationWithoutChannelsGivesNoMatrices) {
    auto animation = makeOwnedAnimation(10.0, 1.0, {});
    AnimEvaluator evaluator(animation.get());
    evaluator.Evaluate(3.0);
    EXPECT_TRUE(evaluator.GetTransformations().empty());
}
