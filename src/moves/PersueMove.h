#pragma once

#include "moves/GameModelMove.h"

#include <glm/glm.hpp>

// Drives an object's position straight at the eye point of a view matrix that
// keeps changing (the player's camera). The target matrix is owned elsewhere
// and must outlive the move.
class PersueMove : public GameModelMove {
public:
    // speed: world units per second.
    PersueMove(const glm::mat4* target, float speed);
    ~PersueMove() override;

    glm::mat4 getMove(double elapsed, glm::mat4 m) override;
    bool isFinished() override;

    const glm::vec3& getTargetPosition() const { return targetPosition; }
    const glm::vec3& getDirection() const { return direction; }

private:
    const glm::mat4* target;
    glm::vec3 targetPosition{0.0f};
    glm::vec3 direction{0.0f};
    float speed;
};
