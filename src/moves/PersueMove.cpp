#include "moves/PersueMove.h"

#include <cmath>

PersueMove::PersueMove(const glm::mat4* target, float speed) : target(target), speed(speed) {}

PersueMove::~PersueMove() = default;

glm::mat4 PersueMove::getMove(double elapsed, glm::mat4 m) {
    if (!target) {
        return m;
    }
    // The eye point of a view matrix is the translation of its inverse.
    targetPosition = glm::vec3(glm::inverse(*target)[3]);
    const glm::vec3 p(m[3]);
    const glm::vec3 toTarget = targetPosition - p;
    direction =
        toTarget / std::sqrt(toTarget.x * toTarget.x + toTarget.y * toTarget.y + toTarget.z * toTarget.z);

    if (finished) {
        return m;
    }

    // An axis carried past the target by the first pass takes the same step
    // again in the second; the next frame's direction turns it back.
    const float step = static_cast<float>(elapsed * speed);
    for (int pass = 0; pass < 2; ++pass) {
        for (int axis = 0; axis < 3; ++axis) {
            const bool takesStep =
                pass == 0 ? m[3][axis] < targetPosition[axis] : m[3][axis] > targetPosition[axis];
            if (takesStep) {
                m[3][axis] += step * direction[axis];
            }
        }
    }

    if (std::fabs(m[3][0] - targetPosition.x) < 0.01 && std::fabs(m[3][1] - targetPosition.y) < 0.01 &&
        std::fabs(m[3][2] - targetPosition.z) < 0.01) {
        finished = true;
    }
    return m;
}

bool PersueMove::isFinished() {
    return finished;
}
