#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The earlier state of the game: plain Phong shading and no normal-mapping
// switch, so a normal map is used wherever a material has one.
namespace {

class PhongScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        images = new FixtureImages{"normalmapped-colour.ppm", "normalmapped-normal.ppm"};
    }
    static void TearDownTestSuite() {
        delete images;
        images = nullptr;
    }

    ~PhongScene() override {
        for (GameModel* model : models)
            delete model;
        releaseImportedAssets();
    }

    GameModel* importWall(const char* file) {
        CaptureOutput out(1);
        import(fixturePath(file).c_str(), models, noAssets);
        out.finish();
        if (models.empty() || models.back()->name != "Wall") {
            ADD_FAILURE() << file << " gave no Wall model";
            return nullptr;
        }
        return models.back();
    }

    // The plain Phong program does no normal mapping at all, so the switch is
    // read from a program that uses it.
    float useNormalMapAfterDraw(GameModel* model) {
        static Shader probe(fixturePath("NormalMapProbe.vert").c_str(),
                            fixturePath("NormalMapProbe.frag").c_str(), "NormalMapProbe");
        CaptureOutput err(2);
        CaptureOutput out(1);
        if (model->getShaderObj() != &probe)
            model->setShaderProgram(&probe);
        model->draw();
        out.finish();
        EXPECT_EQ(err.finish(), "") << "GL errors while drawing " << model->name;
        return uniformFloat(model->shaderProgram, "useNormalMap");
    }

    static FixtureImages* images;
    std::vector<GameModel*> models;
    std::vector<GameAsset*> noAssets;
};

FixtureImages* PhongScene::images = nullptr;

TEST_F(PhongScene, DefaultShaderIsThePlainPhongProgram) {
    EXPECT_EQ(shader->vertexFile, "shader/PhongShader.vert");
    EXPECT_EQ(shader->fragmentFile, "shader/PhongShader.frag");
    EXPECT_EQ(shader->name, "Default");
    EXPECT_EQ(shadow->vertexFile, "shader/ShadowShader.vert");
    EXPECT_EQ(swayShader->vertexFile, "shader/SwayPhongShader.vert");
}

TEST_F(PhongScene, NormalMapIsUsedWheneverTheMaterialHasOne) {
    GameModel* wall = importWall("normalmapped.dae");
    ASSERT_NE(wall, nullptr);
    ASSERT_EQ(wall->gameAssets.size(), 1u);
    EXPECT_EQ(wall->gameAssets[0]->typeSlot[GameAsset::NormalsType], 1);
    EXPECT_NE(wall->gameAssets[0]->textureId[1], 0u);
    for (int frame = 0; frame < 2; ++frame)
        EXPECT_EQ(useNormalMapAfterDraw(wall), 1.0f) << "frame " << frame;
    EXPECT_EQ(RenderEngine::getShader("Default"), shader);
}

TEST_F(PhongScene, MaterialWithoutNormalMapDrawsWithoutIt) {
    GameModel* bumpy = importWall("normalmapped.dae");
    GameModel* plain = importWall("badimage.dae");
    ASSERT_TRUE(bumpy && plain);
    EXPECT_EQ(useNormalMapAfterDraw(bumpy), 1.0f);
    EXPECT_EQ(useNormalMapAfterDraw(plain), 0.0f);
    EXPECT_EQ(useNormalMapAfterDraw(bumpy), 1.0f);
}

} // namespace
