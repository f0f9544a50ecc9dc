#pragma once

#include "moves/GameModelMove.h"

#include <glm/glm.hpp>

#include <vector>

// What a RecordingMove saw; outlives the moves, which the queues delete.
struct MoveLog {
    int getMoveCalls = 0;
    int deleted = 0;
    std::vector<double> elapsed;
    std::vector<glm::vec3> inputPositions;
};

// Adds step to the translation on every getMove and finishes after
// finishAfterCalls calls (never when negative).
class RecordingMove : public GameModelMove {
public:
    RecordingMove(MoveLog& log, glm::vec3 step, int finishAfterCalls = -1)
        : log(log), step(step), left(finishAfterCalls) {
        finished = finishAfterCalls == 0;
    }
    ~RecordingMove() override { ++log.deleted; }

    glm::mat4 getMove(double elapsed, glm::mat4 current) override {
        ++log.getMoveCalls;
        log.elapsed.push_back(elapsed);
        log.inputPositions.push_back(glm::vec3(current[3]));
        current[3] += glm::vec4(step, 0.0f);
        if (left > 0 && --left == 0) {
            finished = true;
        }
        return current;
    }
    bool isFinished() override { return finished; }

private:
    MoveLog& log;
    glm::vec3 step;
    int left;
};
