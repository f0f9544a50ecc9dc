#include "moves/GameModelMove.h"
#include "scene/GameModel.h"

#include <gtest/gtest.h>

namespace {

class CountedMove : public GameModelMove {
public:
    CountedMove(int& deletions, bool finished) : deletions(deletions), finished(finished) {}
    ~CountedMove() override { ++deletions; }
    glm::mat4 getMove(double, glm::mat4 current) override { return current; }
    bool isFinished() override { return finished; }

private:
    int& deletions;
    bool finished;
};

// A model that goes while moves wait in its queue (a scene list deleted at
// the end of the game, a dog still pursuing) takes them with it.
TEST(MoveOwnership, AModelDeletesTheMovesLeftInItsQueue) {
    for (int waiting : {0, 1, 3}) {
        int deletions = 0;
        {
            GameModel model("Dog", glm::mat4(1.0f));
            for (int i = 0; i < waiting; ++i)
                model.addMove(new CountedMove(deletions, false));
            model.addMoveFront(new CountedMove(deletions, true));
            EXPECT_EQ(deletions, 0);
        }
        EXPECT_EQ(deletions, waiting + 1) << waiting;
    }
}

} // namespace
