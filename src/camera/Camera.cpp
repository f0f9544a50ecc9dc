#include "camera/Camera.h"

#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

const double pi = 3.14159265358979323846;

// The player's eye is the character's ghost object (w = 0); without a physics
// world the camera keeps its own from point.
glm::vec4 eyeOf(const Camera& camera) {
    if (camera.usePhysics && PhysicsLoader::activeLoader) {
        const btVector3 ghost = PhysicsLoader::activeLoader->getGhostPosition();
        return glm::vec4(ghost.x(), ghost.y(), ghost.z(), 0.0f);
    }
    return camera.from;
}

double windowWidth() {
    return RenderEngine::activeRenderEngine ? RenderEngine::activeRenderEngine->getWindowWidth() : 1024.0;
}

double windowHeight() {
    return RenderEngine::activeRenderEngine ? RenderEngine::activeRenderEngine->getWindowHeight() : 768.0;
}

} // namespace

Camera::Camera(RenderEngine*) {}

Camera::~Camera() = default;

void Camera::resetCamera() {
    // Crossed on purpose: on the 4:3 window every scene starts looking 30 degrees down.
    mouseTotalX = static_cast<int>(windowHeight()) / 2;
    mouseTotalY = static_cast<int>(windowWidth()) / 2;
    SetFrom(0.0f, 0.0f, 10.0f);
    SetTo(0.0f, 0.0f, -1.0f);
    if (PhysicsLoader::activeLoader) {
        PhysicsLoader::activeLoader->resetScene();
    }
}

void Camera::CamSphere(int dx, int dy) {
    mouseTotalX += dx;
    mouseTotalY += dy;
    const float pitch = static_cast<float>((1.0 - mouseTotalY / windowHeight()) * pi - pi / 2.0);
    const float yaw = static_cast<float>((1.0 - mouseTotalX / windowWidth()) * pi * 2.0);
    viewDirection.x = std::cos(pitch) * std::cos(yaw);
    viewDirection.y = std::sin(pitch);
    viewDirection.z = -std::cos(pitch) * std::sin(yaw);

    eyePosition = eyeOf(*this);
    to.x = eyePosition.x + viewDirection.x;
    to.y = eyePosition.y + viewDirection.y;
    to.z = eyePosition.z + viewDirection.z;
}

void Camera::CamMove(float speed, double dt) {
    const float distance = static_cast<float>(speed * dt);
    eyePosition = glm::vec4(glm::vec3(from) + distance * glm::vec3(viewDirection), from.w);
    SetFrom(eyePosition.x, eyePosition.y, eyePosition.z);
    SetTo(eyePosition.x + viewDirection.x, eyePosition.y + viewDirection.y, eyePosition.z + viewDirection.z);
}

void Camera::CamStrave(float speed, double dt) {
    const glm::vec4 v = (to - from) / glm::length(to - from);
    const glm::vec3 n = glm::cross(glm::vec3(v), glm::vec3(up));
    // w = 1 takes part in the normalisation, so a unit sideways step is
    // shortened by sqrt(2) and w grows with it.
    const glm::vec4 side = glm::vec4(n, 1.0f) / glm::length(glm::vec4(n, 1.0f));
    const float distance = static_cast<float>(speed * dt);
    from += side * distance;
    to += side * distance;
}

void Camera::CamMoveUp(float speed, double dt) {
    const glm::vec3 step = glm::vec3(up) * static_cast<float>(dt * speed);
    SetFrom(from.x + step.x, from.y + step.y, from.z + step.z);
    SetTo(to.x + step.x, to.y + step.y, to.z + step.z);
}

void Camera::checkCam() {
    eyePosition = eyeOf(*this);
    // Strict comparisons: values on a bound stay, NaN passes through.
    if (eyePosition.y > 130.0f) {
        eyePosition.y = 130.0f;
    }
    if (eyePosition.y < -100.0f) {
        eyePosition.y = -100.0f;
    }
    if (eyePosition.z > 400.0f) {
        eyePosition.z = 400.0f;
    }
    if (eyePosition.z < -400.0f) {
        eyePosition.z = -400.0f;
    }
    if (eyePosition.x > 400.0f) {
        eyePosition.x = 400.0f;
    }
    if (eyePosition.x < -400.0f) {
        eyePosition.x = -400.0f;
    }
    from = eyePosition;
}

void Camera::update(double) {
    const glm::vec4 d = (to - from) / glm::length(to - from);
    const glm::vec4 worldUp(0.0f, 1.0f, 0.0f, 1.0f);
    if (glm::dot(d, worldUp) != 1.0f) {
        const glm::vec3 c = glm::cross(glm::vec3(worldUp), glm::vec3(d));
        const glm::vec3 r = c / glm::length(c);
        up = glm::vec4(glm::cross(glm::vec3(d), r), 1.0f);
    } else {
        up = glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    }
    cameraMatrix = glm::lookAt(glm::vec3(from), glm::vec3(to), glm::vec3(up));
}

void Camera::SetFrom(float x, float y, float z) {
    from.x = x;
    from.y = y;
    from.z = z;
}

void Camera::SetTo(float x, float y, float z) {
    to.x = x;
    to.y = y;
    to.z = z;
}
