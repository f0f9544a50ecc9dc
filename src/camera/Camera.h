#pragma once

#include <glm/glm.hpp>

class RenderEngine;

// The first-person camera. Window sizes come from RenderEngine::activeRenderEngine
// and, with usePhysics set, the eye from the character of PhysicsLoader::activeLoader.
// Points are world units with w carried along; speeds are world units per second.
class Camera {
public:
    explicit Camera(RenderEngine* engine);
    virtual ~Camera();

    // Restores the start view and warps the player character to the scene's start.
    void resetCamera();
    // Adds a mouse movement in pixels and aims the to point from the current eye.
    void CamSphere(int dx, int dy);
    void CamMove(float speed, double dt);
    // Positive speed moves to the right of the look direction.
    void CamStrave(float speed, double dt);
    void CamMoveUp(float speed, double dt);
    // Takes the eye (from the character or the from point) and clamps it into the play area.
    void checkCam();
    // Rebuilds the up vector and the view matrix; the frame time is not used.
    void update(double frameTime);

    void SetFrom(float x, float y, float z);
    void SetTo(float x, float y, float z);
    glm::vec4 GetFrom() const { return from; }
    glm::vec4 GetTo() const { return to; }
    glm::mat4 getCameraMatrix() const { return cameraMatrix; }
    // Stays valid as long as the camera lives; its contents change at every update.
    glm::mat4* getCameraMatrixPointer() { return &cameraMatrix; }

    glm::vec4 up{0.0f};
    glm::vec4 from{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 to{0.0f, 1.0f, 0.0f, 1.0f};
    glm::mat4 cameraMatrix{1.0f};
    glm::vec4 viewDirection{0.0f};
    glm::vec4 eyePosition{0.0f};
    int mouseTotalX = 0;
    int mouseTotalY = 0;
    bool usePhysics = true;
};
