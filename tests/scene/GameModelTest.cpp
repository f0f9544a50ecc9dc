#include "scene/GameModel.h"
#include "moves/GameModelMove.h"

#include <assimp/matrix4x4.inl>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A move that applies a fixed matrix before the current one, records the
// elapsed times it was given and finishes after a number of frames.
class RecordingMove : public GameModelMove {
public:
    RecordingMove(glm::mat4 step, int frames, int& deletions)
        : step(step), frames(frames), deletions(deletions) {}
    ~RecordingMove() override { ++deletions; }

    glm::mat4 getMove(double elapsed, glm::mat4 current) override {
        seen.push_back(elapsed);
        if (static_cast<int>(seen.size()) >= frames)
            finished = true;
        return step * current;
    }
    bool isFinished() override { return finished; }

    std::vector<double> seen;

private:
    glm::mat4 step;
    int frames;
    int& deletions;
};

const glm::mat4 identity(1.0f);
const glm::mat4 doubleSize = glm::scale(identity, glm::vec3(2.0f));
const glm::mat4 stepRight = glm::translate(identity, glm::vec3(1.0f, 0.0f, 0.0f));

TEST(GameModelConstruction, KeepsNameAndPlacementAndStartsInactive) {
    glm::mat4 placement = glm::translate(identity, glm::vec3(3.0f, -2.0f, 7.5f));
    GameModel model("Teddy", placement);

    EXPECT_EQ(model.getId(), "Teddy");
    EXPECT_EQ(*model.getModelMatrix(), placement);
    EXPECT_EQ(*model.getViewMatrix(), identity);
    EXPECT_EQ(*model.getProjMatrix(), identity);
    EXPECT_FALSE(model.activated);
    EXPECT_EQ(model.shadowActive, 1);
    EXPECT_EQ(model.castsShadow, 1);
    EXPECT_EQ(model.alphaDefault, 1);
    EXPECT_EQ(model.physicsId, -1);
    EXPECT_EQ(model.shadowFBO, 0u);
    EXPECT_EQ(model.shadowMap, 0u);
    EXPECT_EQ(model.useAlphaLocation, -1);
    EXPECT_EQ(model.shadowUseAlphaLocation, -1);
    EXPECT_EQ(model.activeShadowLocation, -1);
    EXPECT_TRUE(model.gameAssets.empty());
    EXPECT_FALSE(model.hasMoves());
    EXPECT_TRUE(model.nodeTransform.IsIdentity());
}

TEST(GameModelConstruction, BiasMatrixMapsLightClipSpaceToTextureSpace) {
    GameModel model("Ball", identity);
    const struct {
        glm::vec4 clip;
        glm::vec4 texture;
    } cases[] = {
        {{-1.0f, -1.0f, -1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}},
        {{1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}},
        {{0.0f, 0.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}},
        {{1.0f, -1.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.5f, 1.0f}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model.biasMatrix * c.clip, c.texture);
}

TEST(GameModelConstruction, EnvironmentStartsAtTheGameDefaults) {
    GameModel model("Car", identity);
    EXPECT_EQ(model.lightPosition, glm::vec3(5.7963f, 4.34566f, -0.178087f));
    EXPECT_EQ(model.lightColor, glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(model.ambientColor, glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(model.specularColor, glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(model.fogColor, glm::vec4(0.1f, 0.1f, 0.15f, 1.0f));
    EXPECT_EQ(model.mistColor, glm::vec4(1.45f, 1.2f, 2.35f, 1.0f));
    const struct {
        const char* name;
        float actual;
        float expected;
    } scalars[] = {
        {"fogDensity", model.fogDensity, 0.01f},   {"mistDensity", model.mistDensity, 0.027f},
        {"mistLevel", model.mistLevel, -2.0f},     {"ambientMat", model.ambientMat, 1.0f},
        {"diffuseMat", model.diffuseMat, 1.0f},    {"specularMat", model.specularMat, 1.0f},
        {"specularExp", model.specularExp, 30.0f},
    };
    for (const auto& s : scalars)
        EXPECT_EQ(s.actual, s.expected) << s.name;
}

TEST(GameModelTree, FindNodeSearchesDepthFirstAndPrefersTheEarlierBranch) {
    GameModel root("Root", identity);
    GameModel left("Left", identity);
    GameModel leftLeaf("Leaf", identity);
    GameModel right("Right", identity);
    GameModel rightLeaf("Leaf", identity);
    root.children = {&left, &right};
    left.children = {&leftLeaf};
    right.children = {&rightLeaf};

    EXPECT_EQ(root.FindNode("Leaf"), &leftLeaf);
    EXPECT_EQ(root.FindNode("Root"), &root);
    EXPECT_EQ(root.FindNode("Right"), &right);
    EXPECT_EQ(right.FindNode("Leaf"), &rightLeaf);
    EXPECT_EQ(root.FindNode("Lea"), nullptr);
    EXPECT_EQ(root.FindNode(nullptr), nullptr);
}

TEST(GameModelClock, DeltaTimeIsTheTimeSinceThePreviousUpdate) {
    GameModel model("Dog", identity);
    const struct {
        double time;
        double delta;
    } frames[] = {{1.5, 1.5}, {1.5, 0.0}, {2.25, 0.75}, {2.0, -0.25}};
    for (const auto& f : frames) {
        model.updateObject(f.time);
        EXPECT_DOUBLE_EQ(model.deltaTime, f.delta) << "at " << f.time;
        EXPECT_DOUBLE_EQ(model.lastTime, f.time);
    }
}

TEST(GameModelMoves, EveryUnfinishedMoveActsEachFrameInQueueOrder) {
    int deletions = 0;
    GameModel model("Dog", identity);
    auto* grow = new RecordingMove(doubleSize, 1, deletions);
    auto* walk = new RecordingMove(stepRight, 100, deletions);
    model.addMove(grow);
    model.addMove(walk);

    model.updateObject(0.5);
    // grow first, then walk on the grown matrix.
    EXPECT_EQ(model.modelMatrix, stepRight * doubleSize);
    EXPECT_EQ(walk->seen, std::vector<double>{0.5});
    EXPECT_EQ(deletions, 0) << "a move finishing in this frame leaves the queue on the next one";

    model.updateObject(0.75);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(model.getMoves(), std::vector<GameModelMove*>{walk});
    EXPECT_EQ(model.modelMatrix, stepRight * stepRight * doubleSize);
    EXPECT_EQ(walk->seen, (std::vector<double>{0.5, 0.25}));
}

TEST(GameModelMoves, ConsecutiveFinishedMovesAreAllRemoved) {
    int deletions = 0;
    GameModel model("Dog", identity);
    auto* first = new RecordingMove(stepRight, 1, deletions);
    auto* second = new RecordingMove(stepRight, 1, deletions);
    first->finished = true;
    second->finished = true;
    model.addMove(first);
    model.addMove(second);

    model.updateObject(1.0);
    EXPECT_EQ(deletions, 2);
    EXPECT_FALSE(model.hasMoves());
    EXPECT_EQ(model.modelMatrix, identity);
}

TEST(GameModelMoves, AddMoveFrontRunsBeforeTheQueuedMoves) {
    int deletions = 0;
    GameModel model("Dog", identity);
    auto* walk = new RecordingMove(stepRight, 100, deletions);
    auto* grow = new RecordingMove(doubleSize, 100, deletions);
    model.addMove(walk);
    model.addMoveFront(grow);

    EXPECT_EQ(model.getMoves(), (std::vector<GameModelMove*>{grow, walk}));
    model.updateObject(0.1);
    EXPECT_EQ(model.modelMatrix, stepRight * doubleSize);
    model.clearMoves();
}

TEST(GameModelMoves, ClearMovesDeletesEveryMove) {
    int deletions = 0;
    GameModel model("Dog", identity);
    model.addMove(new RecordingMove(stepRight, 100, deletions));
    model.addMove(new RecordingMove(stepRight, 100, deletions));
    ASSERT_TRUE(model.hasMoves());

    model.clearMoves();
    EXPECT_FALSE(model.hasMoves());
    EXPECT_EQ(deletions, 2);

    model.updateObject(1.0);
    EXPECT_EQ(model.modelMatrix, identity);
}

TEST(GameModelMatrices, SettersReplaceTheMatricesThatTheGettersExpose) {
    GameModel model("Teddy", identity);
    glm::mat4 view = glm::translate(identity, glm::vec3(0.0f, 0.0f, -5.0f));
    glm::mat4 projection = glm::perspective(glm::radians(60.0f), 4.0f / 3.0f, 0.1f, 100.0f);
    model.setModelMatrix(stepRight);
    model.setViewMatrix(view);
    model.setProjMatrix(projection);
    model.setLightMatrix(doubleSize);
    model.setLightViewMatrix(view);

    EXPECT_EQ(model.getModelMatrix(), &model.modelMatrix);
    EXPECT_EQ(*model.getModelMatrix(), stepRight);
    EXPECT_EQ(*model.getViewMatrix(), view);
    EXPECT_EQ(*model.getProjMatrix(), projection);
    EXPECT_EQ(model.lightMatrix, doubleSize);
    EXPECT_EQ(model.lightViewMatrix, view);
}

} // namespace
