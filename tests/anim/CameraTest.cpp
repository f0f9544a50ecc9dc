#include "camera/Camera.h"

#include "CaptureOutput.h"
#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double pi = 3.14159265358979323846;

void expectVec4Near(glm::vec4 expected, glm::vec4 actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
    EXPECT_NEAR(expected.w, actual.w, tolerance);
}

void expectMat4Near(const glm::mat4& expected, const glm::mat4& actual, float tolerance = 1e-5f) {
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(expected[col][row], actual[col][row], tolerance) << "[" << col << "][" << row << "]";
        }
    }
}

// The free-flying cameras: no physics character involved.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, RenderEngine::activeRenderEngine);
        ASSERT_EQ(1024u, RenderEngine::activeRenderEngine->getWindowWidth());
        ASSERT_EQ(768u, RenderEngine::activeRenderEngine->getWindowHeight());
        savedLoader = PhysicsLoader::activeLoader;
        PhysicsLoader::activeLoader = nullptr;
        camera.usePhysics = false;
    }
    void TearDown() override { PhysicsLoader::activeLoader = savedLoader; }

    Camera camera{RenderEngine::activeRenderEngine};
    PhysicsLoader* savedLoader = nullptr;
};

} // namespace

TEST_F(CameraTest, NewCameraStartsAtOriginLookingUp) {
    Camera fresh(RenderEngine::activeRenderEngine);
    EXPECT_TRUE(fresh.usePhysics);
    EXPECT_EQ(glm::vec4(0, 0, 0, 1), fresh.GetFrom());
    EXPECT_EQ(glm::vec4(0, 1, 0, 1), fresh.GetTo());
    EXPECT_EQ(glm::mat4(1.0f), fresh.getCameraMatrix());
}

// Looking straight up with no w difference picks up = x: the look-at of eye
// 0, centre (0, 1, 0), up (1, 0, 0) has rows s = (0, 0, -1), u = (1, 0, 0), -f = (0, -1, 0).
TEST_F(CameraTest, FirstUpdateOfANewCameraLooksStraightUpWithUpAlongX) {
    Camera fresh(RenderEngine::activeRenderEngine);
    fresh.update(0.0);
    glm::mat4 expected(0.0f);
    expected[2][0] = -1.0f;
    expected[0][1] = 1.0f;
    expected[1][2] = -1.0f;
    expected[3][3] = 1.0f;
    expectMat4Near(expected, fresh.getCameraMatrix(), 1e-6f);
    EXPECT_EQ(glm::vec4(1, 0, 0, 1), fresh.up);
}

TEST_F(CameraTest, ResetThenMouseLookUsesTheCrossedWindowHalves) {
    camera.resetCamera();
    EXPECT_EQ(384, camera.mouseTotalX);
    EXPECT_EQ(512, camera.mouseTotalY);
    camera.CamSphere(0, 0);
    const float yaw = float((1.0 - 384.0 / 1024.0) * 2.0 * pi);
    const float pitch = float((1.0 - 512.0 / 768.0) * pi - pi / 2.0);
    EXPECT_NEAR(1.25 * pi, yaw, 1e-6);
    EXPECT_NEAR(-pi / 6.0, pitch, 1e-6);
    const glm::vec4 direction(std::cos(pitch) * std::cos(yaw), std::sin(pitch),
                              -std::cos(pitch) * std::sin(yaw), 0);
    expectVec4Near(direction, camera.viewDirection);
    expectVec4Near(glm::vec4(0, 0, 10, 1), camera.GetFrom());
    expectVec4Near(glm::vec4(glm::vec3(0, 0, 10) + glm::vec3(direction), 1), camera.GetTo());
    EXPECT_NEAR(1.0f, glm::length(camera.viewDirection), 1e-6f);
}

TEST_F(CameraTest, MouseTravelOfAWindowWidthIsOneTurnAndOfAWindowHeightHalfATurn) {
    struct Step {
        int dx;
        int dy;
        glm::vec3 direction;
    };
    const float h = std::sqrt(0.5f);
    // Applied one after the other: the totals add up.
    const Step steps[] = {
        {0, 384, {1, 0, 0}},      // level, facing +x
        {256, 0, {0, 0, 1}},      // a quarter width to the right: facing +z
        {512, 0, {0, 0, -1}},     // half a turn more
        {256, 0, {1, 0, 0}},      // a full width in all: back to +x
        {0, 192, {h, -h, 0}},     // a quarter height down: 45 degrees down
        {0, 192, {0, -1, 0}},     // straight down
        {-1024, -768, {0, 1, 0}}, // totals 0, 0: straight up
    };
    for (const Step& step : steps) {
        camera.CamSphere(step.dx, step.dy);
        SCOPED_TRACE(::testing::Message() << "totals " << camera.mouseTotalX << ", " << camera.mouseTotalY);
        EXPECT_NEAR(step.direction.x, camera.viewDirection.x, 1e-5f);
        EXPECT_NEAR(step.direction.y, camera.viewDirection.y, 1e-5f);
        EXPECT_NEAR(step.direction.z, camera.viewDirection.z, 1e-5f);
        expectVec4Near(glm::vec4(glm::vec3(camera.GetFrom()) + step.direction, 1), camera.GetTo());
    }
}

TEST_F(CameraTest, PhysicsCameraWithoutAPhysicsLoaderUsesItsFromPoint) {
    camera.usePhysics = true;
    camera.SetFrom(5, 6, 7);
    camera.CamSphere(0, 384);
    expectVec4Near(glm::vec4(6, 6, 7, 1), camera.GetTo());
    camera.checkCam();
    EXPECT_EQ(glm::vec4(5, 6, 7, 1), camera.GetFrom());
    camera.resetCamera();
    EXPECT_EQ(glm::vec4(0, 0, 10, 1), camera.GetFrom());
}

TEST_F(CameraTest, CheckCamClampsTheEyeIntoThePlayArea) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        glm::vec3 eye;
        glm::vec3 expected;
    };
    const Case cases[] = {
        {{500, 150, -500}, {400, 130, -400}},
        {{400, -100, 0}, {400, -100, 0}}, // on the bounds: unchanged
        {{-400.5f, -100.5f, 400.5f}, {-400, -100, 400}},
        {{-3, 129.9f, 12}, {-3, 129.9f, 12}},
    };
    for (const Case& c : cases) {
        camera.SetFrom(c.eye.x, c.eye.y, c.eye.z);
        camera.checkCam();
        EXPECT_EQ(glm::vec4(c.expected, 1), camera.GetFrom())
            << c.eye.x << ", " << c.eye.y << ", " << c.eye.z;
        EXPECT_EQ(camera.GetFrom(), camera.eyePosition);
    }
    camera.SetFrom(nan, 1000, -1000);
    camera.checkCam();
    EXPECT_TRUE(std::isnan(camera.GetFrom().x));
    EXPECT_EQ(130.0f, camera.GetFrom().y);
    EXPECT_EQ(-400.0f, camera.GetFrom().z);
}

TEST_F(CameraTest, StrafingStepsSidewaysWithWTakingPartInTheLength) {
    camera.SetFrom(0, 0, 0);
    camera.SetTo(0, 0, -1);
    camera.update(0.0);
    expectVec4Near(glm::vec4(0, 1, 0, 1), camera.up);

    const float side = 16.0f / std::sqrt(2.0f);
    camera.CamStrave(16, 1);
    expectVec4Near(glm::vec4(side, 0, 0, 1 + side), camera.GetFrom());
    expectVec4Near(glm::vec4(side, 0, -1, 1 + side), camera.GetTo());

    camera.CamStrave(-8, 0.5); // back to the left by a quarter of that
    expectVec4Near(glm::vec4(side * 0.75f, 0, 0, 1 + side * 0.75f), camera.GetFrom());
}

TEST_F(CameraTest, WalkingForwardFollowsThePitch) {
    camera.CamSphere(0, 0); // totals 0, 0: straight up
    camera.CamMove(16, 0.5);
    const glm::vec4 from = camera.GetFrom();
    EXPECT_NEAR(8.0f, from.y, 1e-5f);
    EXPECT_NEAR(0.0f, from.x, 1e-5f);
    EXPECT_NEAR(0.0f, from.z, 1e-5f);
    EXPECT_EQ(1.0f, from.w);
    expectVec4Near(glm::vec4(0, 9, 0, 1), camera.GetTo());
    EXPECT_EQ(from, camera.eyePosition);

    camera.CamSphere(0, 384); // level, facing +x
    camera.CamMove(-4, 0.25);
    expectVec4Near(glm::vec4(-1, 8, 0, 1), camera.GetFrom());
}

TEST_F(CameraTest, RisingMovesEyeAndTargetAlongTheUpVector) {
    camera.SetFrom(1, 2, 3);
    camera.SetTo(1, 2, 2);
    camera.update(0.0);
    camera.CamMoveUp(16, 0.25);
    expectVec4Near(glm::vec4(1, 6, 3, 1), camera.GetFrom());
    expectVec4Near(glm::vec4(1, 6, 2, 1), camera.GetTo());
}

TEST_F(CameraTest, UpdateBuildsALookAtWithAPerpendicularUpAndIgnoresItsArgument) {
    const glm::vec3 targets[] = {{3, 1, -2}, {0, -1, 5}, {-4, 7, 0.5f}};
    for (const glm::vec3& target : targets) {
        camera.SetFrom(1, 2, 3);
        camera.SetTo(target.x, target.y, target.z);
        camera.update(0.0);
        const glm::mat4 first = camera.getCameraMatrix();
        camera.update(1234.5);
        EXPECT_EQ(first, camera.getCameraMatrix());

        const glm::vec3 look = glm::normalize(target - glm::vec3(1, 2, 3));
        EXPECT_NEAR(0.0f, glm::dot(look, glm::vec3(camera.up)), 1e-6f);
        EXPECT_EQ(1.0f, camera.up.w);
        EXPECT_GT(camera.up.y, 0.0f) << "up points to the sky";
        // The view maps the eye to the origin and the target onto -z.
        const glm::vec4 eye = first * glm::vec4(1, 2, 3, 1);
        const glm::vec4 centre = first * glm::vec4(target, 1);
        expectVec4Near(glm::vec4(0, 0, 0, 1), eye);
        EXPECT_NEAR(0.0f, centre.x, 1e-5f);
        EXPECT_NEAR(0.0f, centre.y, 1e-5f);
        EXPECT_NEAR(-glm::length(target - glm::vec3(1, 2, 3)), centre.z, 1e-5f);
    }
}

TEST_F(CameraTest, MatrixPointerFollowsUpdate) {
    glm::mat4* live = camera.getCameraMatrixPointer();
    EXPECT_EQ(live, camera.getCameraMatrixPointer());
    *live = glm::mat4(2.0f);
    camera.SetFrom(0, 0, 10);
    camera.SetTo(0, 0, -1);
    EXPECT_EQ(glm::mat4(2.0f), camera.getCameraMatrix()) << "setters alone do not rebuild the matrix";
    camera.update(0.0);
    expectMat4Near(glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -10)), *live);
    EXPECT_EQ(camera.getCameraMatrix(), *live);
}

// The player's camera: the eye is wherever the character's ghost object is.
TEST_F(CameraTest, PhysicsCameraTakesItsEyeFromTheCharacterAndClampsOnlyTheCamera) {
    PhysicsLoader physics;
    {
        CaptureOutput quiet(1);
        physics.initPhysics("no-such-scene.dae");
    }
    ASSERT_EQ(&physics, PhysicsLoader::activeLoader);
    ASSERT_NE(nullptr, physics.ghostObject);
    btTransform far;
    far.setIdentity();
    far.setOrigin(btVector3(500, 150, -500));
    physics.ghostObject->setWorldTransform(far);

    camera.usePhysics = true;
    camera.checkCam();
    EXPECT_EQ(glm::vec4(400, 130, -400, 0), camera.GetFrom());
    const btVector3 ghost = physics.getGhostPosition();
    EXPECT_EQ(btVector3(500, 150, -500), ghost) << "the character is not moved";

    camera.CamSphere(0, 384); // level, facing +x
    expectVec4Near(glm::vec4(501, 150, -500, 1), camera.GetTo());
    EXPECT_EQ(glm::vec4(500, 150, -500, 0), camera.eyePosition);

    // Scene 2 starts the character at (0, 0, 10).
    physics.sceneNum = 2;
    camera.resetCamera();
    const btVector3 start = physics.getGhostPosition();
    EXPECT_NEAR(0.0f, start.x(), 1e-4f);
    EXPECT_NEAR(0.0f, start.y(), 1e-4f);
    EXPECT_NEAR(10.0f, start.z(), 1e-4f);
}
