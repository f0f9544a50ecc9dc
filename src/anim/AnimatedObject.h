#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

class GameModel;
class GameModelMove;
class SceneAnimator;

// A group of models placed by one matrix, moved by a queue of moves and posed
// by a scene animator. Neither the models nor the animator are owned; the
// queue owns its moves.
class AnimatedObject {
public:
    AnimatedObject(std::string name, SceneAnimator* animator, std::vector<GameModel*>& models);
    virtual ~AnimatedObject();

    virtual void addMove(GameModelMove* move);
    virtual bool hasMoves();
    virtual void clearMoves();

    // time: absolute clock time in seconds. Runs the moves on matrix, advances
    // the animation while animationActive, then poses every model.
    void updateAnimations(double time);
    void updateMatrices();

    glm::mat4 matrix{1.0f};
    std::vector<GameModel*> models;
    SceneAnimator* animator = nullptr;
    double elapsed = 0;
    double lastTime = 0;
    bool animationActive = true;
    std::string name;
    std::vector<GameModelMove*> moves;
};
