#pragma once

#include <glm/glm.hpp>

// A small scripted change of an object's matrix, applied once per frame until
// the move declares itself finished. The queue that holds a move owns it.
class GameModelMove {
public:
    virtual ~GameModelMove();
    // elapsed: seconds since the owner's previous update; current: the owner's
    // matrix as the moves before this one left it in this frame.
    virtual glm::mat4 getMove(double elapsed, glm::mat4 current) = 0;
    virtual bool isFinished() = 0;

    bool finished = false;
};
