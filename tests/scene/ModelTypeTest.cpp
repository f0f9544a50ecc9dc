#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"
#include "scene/SkyBoxModel.h"
#include "scene/SwayingGameModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

enum class Kind { Plain, Swaying, SkyBox };

Kind kindOf(GameModel* model) {
    if (dynamic_cast<SwayingGameModel*>(model) != nullptr)
        return Kind::Swaying;
    if (dynamic_cast<SkyBoxModel*>(model) != nullptr)
        return Kind::SkyBox;
    return Kind::Plain;
}

struct NameCase {
    const char* name;
    Kind kind;
};

// The name tests count the leading run of letters taken from the word.
const NameCase nameCases[] = {
    {"Weizen", Kind::Swaying},     {"Weizen.001", Kind::Swaying},
    {"Weizenfeld", Kind::Swaying}, {"Weizene", Kind::Plain},
    {"Wheat", Kind::Swaying},      {"Wheat_5", Kind::Swaying},
    {"Wheatwheat", Kind::Swaying}, {"WheatWheat", Kind::Plain},
    {"Skybox", Kind::Plain},       {"Skyb_1", Kind::SkyBox},
    {"Skyb", Kind::SkyBox},        {"Weize", Kind::Plain},
    {"Whea", Kind::Plain},         {"", Kind::Plain},
    {"Ground", Kind::Plain},
};

class ModelTypeByName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ModelTypeByName, PicksTheClassAndKeepsNameAndMatrix) {
    glm::mat4 placement(1.0f);
    placement[3] = glm::vec4(4.0f, 5.0f, 6.0f, 1.0f);
    std::unique_ptr<GameModel> model(getGameModelType(GetParam().name, placement));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(kindOf(model.get()), GetParam().kind);
    EXPECT_EQ(model->name, GetParam().name);
    EXPECT_EQ(model->modelMatrix, placement);
}

INSTANTIATE_TEST_SUITE_P(NodeNames, ModelTypeByName, ::testing::ValuesIn(nameCases));

TEST(ModelVariants, SwayingModelHasStrengthNoHighlightAndCastsShadow) {
    SwayingGameModel wheat("Wheat", glm::mat4(1.0f));
    EXPECT_FLOAT_EQ(wheat.strength, 0.1f);
    EXPECT_EQ(wheat.specularColor, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(wheat.castsShadow, 1);
    EXPECT_EQ(wheat.elapsedTimeLocation, -1);
    EXPECT_EQ(wheat.swayStrengthLocation, -1);
    EXPECT_FALSE(wheat.drawnSinceShadow);
    EXPECT_EQ(wheat.ambientColor, GameModel("Plain", glm::mat4(1.0f)).ambientColor);
}

TEST(ModelVariants, SkyBoxCastsNoShadow) {
    SkyBoxModel sky("Skyb_1", glm::mat4(1.0f));
    EXPECT_EQ(sky.castsShadow, 0);
    EXPECT_EQ(sky.shadowActive, 1);
    EXPECT_EQ(sky.alphaDefault, 1);
}

TEST(SwayRandom, StaysWithinTheInclusiveRange) {
    const struct {
        int low;
        int high;
    } ranges[] = {{10000, 180000}, {3, 3}, {0, 1}, {-5, 5}};
    for (const auto& r : ranges) {
        bool sawLow = false;
        bool sawHigh = false;
        for (int i = 0; i < 2000; ++i) {
            int value = SwayingGameModel::random(r.low, r.high);
            ASSERT_GE(value, r.low);
            ASSERT_LE(value, r.high);
            sawLow = sawLow || value == r.low;
            sawHigh = sawHigh || value == r.high;
        }
        if (r.high - r.low < 20) {
            EXPECT_TRUE(sawLow && sawHigh) << r.low << ".." << r.high;
        }
    }
}

TEST(SwayRandom, SeedsOnlyOnTheFirstCall) {
    SwayingGameModel::random(10000, 180000);
    std::srand(12345u);
    int expected[4];
    for (int& value : expected)
        value = std::rand() % 170001 + 10000;

    std::srand(12345u);
    for (int value : expected)
        EXPECT_EQ(SwayingGameModel::random(10000, 180000), value);
}

} // namespace
