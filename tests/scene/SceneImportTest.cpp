#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "anim/SceneAnimator.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"
#include "scene/SkyBoxModel.h"
#include "scene/SwayingGameModel.h"

#include <assimp/matrix4x4.inl>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class SceneImport : public ::testing::Test {
protected:
    ~SceneImport() override {
        for (GameModel* model : models)
            delete model;
        releaseImportedAssets();
    }

    void importFixture(const char* file) {
        CaptureOutput out(1);
        import(fixturePath(file).c_str(), models, callerAssets);
        output = out.finish();
    }

    GameModel* named(const std::string& name) {
        for (GameModel* model : models)
            if (model->name == name)
                return model;
        ADD_FAILURE() << "no model named " << name;
        return nullptr;
    }

    std::vector<GameModel*> models;
    std::vector<GameAsset*> callerAssets;
    std::string output;
};

std::vector<std::string> namesOf(const std::vector<GameModel*>& models) {
    std::vector<std::string> names;
    for (GameModel* model : models)
        names.push_back(model->name);
    return names;
}

TEST_F(SceneImport, EveryNodeBecomesAModelInPreOrder) {
    importFixture("tree.dae");

    ASSERT_EQ(namesOf(models), (std::vector<std::string>{"Root", "A", "A1", "B", "B1"}));
    GameModel* root = models[0];
    EXPECT_EQ(root->children, (std::vector<GameModel*>{models[1], models[3]}));
    EXPECT_EQ(models[1]->children, std::vector<GameModel*>{models[2]});
    EXPECT_EQ(models[3]->children, std::vector<GameModel*>{models[4]});
    EXPECT_TRUE(models[2]->children.empty());
    EXPECT_EQ(root->FindNode("B1"), models[4]);

    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(models[i]->gameAssets.empty()) << models[i]->name;
    EXPECT_EQ(models[4]->gameAssets.size(), 1u);
    EXPECT_EQ(output.rfind("Building assets\nSucceeded to build assets\n", 0), 0u) << output;
    EXPECT_TRUE(callerAssets.empty()) << "the caller's list is only the starting content";
}

TEST_F(SceneImport, ModelMatrixIsTheAccumulatedNodeTransformation) {
    importFixture("tree.dae");
    ASSERT_EQ(models.size(), 5u);

    // A1: parent translate (1,0,0), own translate (0,2,0).
    EXPECT_EQ(models[2]->modelMatrix[3], glm::vec4(1.0f, 2.0f, 0.0f, 1.0f));
    // B1: parent scale 2 applied after its own translate (0,0,3).
    glm::mat4 b1 = models[4]->modelMatrix;
    EXPECT_EQ(b1[3], glm::vec4(0.0f, 0.0f, 6.0f, 1.0f));
    EXPECT_EQ(b1[0], glm::vec4(2.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(b1[2], glm::vec4(0.0f, 0.0f, 2.0f, 0.0f));

    // nodeTransform keeps the local transformation in Assimp's layout.
    const aiMatrix4x4& local = models[4]->nodeTransform;
    EXPECT_EQ(local.a4, 0.0f);
    EXPECT_EQ(local.c4, 3.0f);
    EXPECT_EQ(local.a1, 1.0f);
    EXPECT_EQ(models[3]->nodeTransform.a1, 2.0f);
    EXPECT_TRUE(models[0]->nodeTransform.IsIdentity());
}

TEST_F(SceneImport, MeshUsedByTwoNodesIsOneAssetOwnedByTheLastModel) {
    size_t globalBefore = GameModel::aGlobalAssets.size();
    importFixture("shared.dae");
    GameModel* first = named("First");
    GameModel* second = named("Second");
    ASSERT_TRUE(first && second);

    ASSERT_EQ(aGameAssets.size(), 1u);
    GameAsset* asset = aGameAssets[0];
    EXPECT_EQ(first->gameAssets, std::vector<GameAsset*>{asset});
    EXPECT_EQ(second->gameAssets, std::vector<GameAsset*>{asset});
    EXPECT_EQ(asset->owner, second);
    EXPECT_TRUE(asset->makeTangentBuffers);
    ASSERT_EQ(GameModel::aGlobalAssets.size(), globalBefore + 2);
    EXPECT_EQ(GameModel::aGlobalAssets[globalBefore], asset);
    EXPECT_EQ(GameModel::aGlobalAssets[globalBefore + 1], asset);
}

TEST_F(SceneImport, NodeWithTwoMeshesGetsBothInMeshOrder) {
    importFixture("twomeshes.dae");
    GameModel* pile = named("Pile");
    ASSERT_NE(pile, nullptr);
    ASSERT_EQ(pile->gameAssets.size(), 2u);
    // The rock is placed first and starts at x = 5; the stalk starts at the origin.
    EXPECT_EQ(pile->gameAssets[0]->positions.at(0), 5.0f);
    EXPECT_EQ(pile->gameAssets[1]->positions.at(0), 0.0f);
    EXPECT_EQ(pile->gameAssets[0]->owner, pile);
    EXPECT_EQ(pile->gameAssets[1]->owner, pile);
}

struct ClassCase {
    const char* name;
    bool swaying;
    bool skyBox;
};

TEST_F(SceneImport, NodeNamesPickTheModelClassAndItsShaders) {
    importFixture("names.dae");
    const ClassCase cases[] = {
        {"Weizen", true, false},     {"Weizen.001", true, false},  {"Weizenfeld", true, false},
        {"Weizene", false, false},   {"Wheat", true, false},       {"Wheat_5", true, false},
        {"Wheatwheat", true, false}, {"WheatWheat", false, false}, {"Skybox", false, false},
        {"Skyb_1", false, true},     {"Root", false, false},
    };
    ASSERT_EQ(models.size(), std::size(cases));
    for (const ClassCase& c : cases) {
        GameModel* model = named(c.name);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(dynamic_cast<SwayingGameModel*>(model) != nullptr, c.swaying) << c.name;
        EXPECT_EQ(dynamic_cast<SkyBoxModel*>(model) != nullptr, c.skyBox) << c.name;
        if (c.swaying) {
            EXPECT_EQ(model->getShaderObj(), swayShader) << c.name;
            EXPECT_EQ(model->getShadowShaderObj(), swayShadow) << c.name;
            EXPECT_EQ(model->alphaDefault, 1) << c.name;
        } else {
            EXPECT_EQ(model->getShaderObj(), shader) << c.name;
            EXPECT_EQ(model->getShadowShaderObj(), shadow) << c.name;
            EXPECT_EQ(model->alphaDefault, 0) << c.name;
        }
        EXPECT_NE(model->shaderProgram, 0u) << c.name;
        EXPECT_EQ(model->shaderProgram, static_cast<GLuint>(model->getShaderObj()->getShaderHandle()));
        EXPECT_EQ(model->getShadowShader(),
                  static_cast<GLuint>(model->getShadowShaderObj()->getShaderHandle()));
    }
    EXPECT_EQ(RenderEngine::getShader("Default"), shader);
    EXPECT_EQ(RenderEngine::getShader("SwayShadow"), swayShadow);
}

TEST_F(SceneImport, AssetsReceiveTheProgramsOfTheirModel) {
    importFixture("variants.dae");
    const struct {
        const char* name;
        Shader* main;
        Shader* shadowPass;
    } cases[] = {{"Wheat", swayShader, swayShadow}, {"Skyb_1", shader, shadow}, {"Stone", shader, shadow}};
    for (const auto& c : cases) {
        GameModel* model = named(c.name);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->gameAssets.size(), 1u) << c.name;
        GameAsset* asset = model->gameAssets[0];
        EXPECT_EQ(asset->shaderProgram, static_cast<GLuint>(c.main->getShaderHandle())) << c.name;
        EXPECT_EQ(asset->shadowShaderProgram, static_cast<GLuint>(c.shadowPass->getShaderHandle())) << c.name;
        EXPECT_TRUE(asset->hasShadowShader);
    }
    EXPECT_NE(shader->getShaderHandle(), swayShader->getShaderHandle());
}

class UnreadableScene : public SceneImport, public ::testing::WithParamInterface<const char*> {
protected:
    std::string path() const {
        std::string file = GetParam();
        return file.find('/') == std::string::npos ? fixturePath(GetParam()) : file;
    }
};

TEST_P(UnreadableScene, ImportPrintsCouldNotLoadAndAddsNothing) {
    GameModel keep("Kept", glm::mat4(1.0f));
    models.push_back(&keep);
    std::string file = path();
    {
        CaptureOutput err(2);
        import(file.c_str(), models, callerAssets);
        EXPECT_EQ(err.finish(), "Could not load " + file + "\n");
    }
    EXPECT_EQ(models, std::vector<GameModel*>{&keep});
    models.clear();
}

TEST_P(UnreadableScene, ImportAnimationPrintsCouldNotLoadAndReturnsNull) {
    std::string file = path();
    SceneAnimator* animator = nullptr;
    {
        CaptureOutput err(2);
        animator = importAnimation(file.c_str(), models, callerAssets);
        EXPECT_EQ(err.finish(), "Could not load " + file + "\n");
    }
    EXPECT_EQ(animator, nullptr);
    EXPECT_TRUE(models.empty());
}

INSTANTIATE_TEST_SUITE_P(BadFiles, UnreadableScene,
                         ::testing::Values("/nonexistent/lullvane/no-such-scene.DAE", "notascene.dae",
                                           "truncated.dae", "uncounted.dae", "zerocount.dae",
                                           "noindices.dae", "hugecount.dae", "shortcount.dae",
                                           "damagedindex.dae"));

TEST_F(SceneImport, ImportAnimationBuildsModelsAndAnimatorOfTheFirstAnimation) {
    std::unique_ptr<SceneAnimator> animator;
    {
        CaptureOutput out(1);
        animator.reset(importAnimation(fixturePath("animated.dae").c_str(), models, callerAssets));
        output = out.finish();
    }
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(namesOf(models), (std::vector<std::string>{"Root", "Body", "Tail"}));
    EXPECT_EQ(animator->getAnimations().size(), 1u);
    EXPECT_EQ(animator->getCurrentAnimIndex(), 0);
    EXPECT_EQ(models[0]->children, std::vector<GameModel*>{models[1]});
    EXPECT_EQ(output.rfind("Building assets\nSucceeded to build assets\n", 0), 0u) << output;
}

TEST_F(SceneImport, ImportAnimationOfAStaticSceneGivesAnAnimatorWithoutAnimations) {
    std::unique_ptr<SceneAnimator> animator;
    {
        CaptureOutput out(1);
        animator.reset(importAnimation(fixturePath("tree.dae").c_str(), models, callerAssets));
    }
    ASSERT_NE(animator, nullptr);
    EXPECT_TRUE(animator->getAnimations().empty());
    EXPECT_EQ(models.size(), 5u);
    animator->Calculate(1.0);
}

TEST_F(SceneImport, ANewImportReplacesTheSceneAssets) {
    importFixture("variants.dae");
    ASSERT_EQ(aGameAssets.size(), 3u);
    importFixture("shared.dae");
    EXPECT_EQ(aGameAssets.size(), 1u);
    EXPECT_EQ(named("Second")->gameAssets, std::vector<GameAsset*>{aGameAssets[0]});
}

} // namespace
