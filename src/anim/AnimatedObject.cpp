#include "anim/AnimatedObject.h"

#include "anim/SceneAnimator.h"
#include "moves/GameModelMove.h"
#include "scene/GameModel.h"

#include <assimp/anim.h>

#include <cmath>
#include <cstddef>
#include <utility>

AnimatedObject::AnimatedObject(std::string name, SceneAnimator* animator, std::vector<GameModel*>& models)
    : models(models), animator(animator), name(std::move(name)) {}

AnimatedObject::~AnimatedObject() {
    clearMoves();
}

void AnimatedObject::addMove(GameModelMove* move) {
    if (move) {
        moves.push_back(move);
    }
}

bool AnimatedObject::hasMoves() {
    return !moves.empty();
}

void AnimatedObject::clearMoves() {
    while (!moves.empty()) {
        GameModelMove* move = moves.front();
        moves.erase(moves.begin());
        delete move;
    }
}

void AnimatedObject::updateAnimations(double time) {
    elapsed = time - lastTime;
    lastTime = time;

    for (size_t i = 0; i < moves.size();) {
        GameModelMove* move = moves[i];
        if (move->isFinished()) {
            moves.erase(moves.begin() + static_cast<std::ptrdiff_t>(i));
            delete move;
        } else {
            matrix = move->getMove(elapsed, matrix);
            ++i;
        }
    }

    if (animationActive && animator) {
        double t = time;
        const unsigned index = static_cast<unsigned>(animator->getCurrentAnimIndex());
        const std::vector<aiAnimation*>& animations = animator->getAnimations();
        if (index < animations.size() && animations[index]->mDuration > 0.0) {
            const double tps =
                animations[index]->mTicksPerSecond != 0.0 ? animations[index]->mTicksPerSecond : 25.0;
            t = std::fmod(time, animations[index]->mDuration / tps);
        }
        animator->Calculate(t);
    }

    updateMatrices();
}

void AnimatedObject::updateMatrices() {
    for (GameModel* model : models) {
        if (!model) {
            continue;
        }
        glm::mat4 local(1.0f);
        if (animator) {
            const aiMatrix4x4& l = animator->GetLocalTransform(model);
            // glm is indexed [column][row]; every element keeps its row and column.
            for (int row = 0; row < 4; ++row) {
                for (int col = 0; col < 4; ++col) {
                    local[col][row] = l[row][col];
                }
            }
        }
        model->setModelMatrix(matrix * local);
    }
}
