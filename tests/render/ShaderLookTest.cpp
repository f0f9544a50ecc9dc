#include "TestFiles.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include <assimp/material.h>
#include <assimp/mesh.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A square in the z = 0 plane of its model space, facing +z; untextured
// unless an image is named.
GameModel* makeSquare(const std::string& name, float halfSide, const glm::mat4& placement,
                      const std::string& image = std::string()) {
    aiMesh mesh;
    mesh.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh.mNumVertices = 4;
    mesh.mVertices = new aiVector3D[4]{{-halfSide, -halfSide, 0.0f},
                                       {halfSide, -halfSide, 0.0f},
                                       {halfSide, halfSide, 0.0f},
                                       {-halfSide, halfSide, 0.0f}};
    mesh.mNormals = new aiVector3D[4]{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh.mNumFaces = 2;
    mesh.mFaces = new aiFace[2];
    const unsigned int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int f = 0; f < 2; ++f) {
        mesh.mFaces[f].mNumIndices = 3;
        mesh.mFaces[f].mIndices = new unsigned int[3]{corners[f][0], corners[f][1], corners[f][2]};
    }
    aiMaterial material;
    if (!image.empty()) {
        mesh.mNumUVComponents[0] = 2;
        mesh.mTextureCoords[0] = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
        aiString path(image);
        material.AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    GameModel* model = new GameModel(name, placement);
    GameAsset* asset = new GameAsset(&mesh, &material);
    asset->owner = model;
    model->addGameAsset(asset);
    model->setShaderProgram(shader);
    model->setShadowShader(shadow);
    model->alphaDefault = 0;
    return model;
}

// A square owns its one asset.
void deleteSquare(GameModel* model) {
    for (GameAsset* asset : model->gameAssets)
        delete asset;
    delete model;
}

// Camera and light look at the origin; the light straight down the z axis,
// the camera from the side so that it sees the ground beside the blocker.
const glm::vec3 lightEye(0.0f, 0.0f, 10.0f);
const glm::mat4 lightView = glm::lookAt(lightEye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
const glm::mat4 lightProjection = glm::perspective(glm::radians(45.0f), 1.0f, 3.0f, 700.0f);
const glm::mat4 cameraView =
    glm::lookAt(glm::vec3(6.0f, 0.0f, 10.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
const glm::mat4 cameraProjection = glm::perspective(glm::radians(45.0f), 1024.0f / 768.0f, 0.1f, 800.0f);

glm::ivec2 windowPixel(const glm::vec3& world) {
    glm::vec4 clip = cameraProjection * cameraView * glm::vec4(world, 1.0f);
    glm::vec3 ndc = glm::vec3(clip) / clip.w;
    return glm::ivec2(static_cast<int>((ndc.x * 0.5f + 0.5f) * 1024.0f),
                      static_cast<int>((ndc.y * 0.5f + 0.5f) * 768.0f));
}

class ShaderLook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ground = makeSquare("LookGround", 4.0f, glm::mat4(1.0f));
        // The shadow pass keeps back faces, so the blocker turns its back to the light.
        const glm::mat4 above = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, 5.0f));
        blocker =
            makeSquare("LookBlocker", 0.5f, glm::rotate(above, glm::radians(180.0f), glm::vec3(0, 1, 0)));
    }
    static void TearDownTestSuite() {
        deleteSquare(ground);
        deleteSquare(blocker);
        ground = blocker = nullptr;
    }

    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        engine->physicsLoader = nullptr;
        for (GameModel* model : {ground, blocker}) {
            model->lightPosition = lightEye;
            model->lightColor = glm::vec4(0.8f, 0.8f, 0.8f, 1.0f);
            model->ambientColor = glm::vec4(0.2f, 0.2f, 0.2f, 1.0f);
            model->specularColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
            model->fogDensity = 0.0f;
            model->mistDensity = 0.0f;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, 1024, 768);
        clearGlErrors();
    }
    void TearDown() override {
        engine->setShadowMode(1);
        std::vector<GameModel*> none;
        engine->setModels(none);
    }

    Rgb drawAndRead(std::vector<GameModel*> models, const glm::vec3& at) {
        engine->setModels(models);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->draw(cameraView, cameraProjection, lightView, lightProjection);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glm::ivec2 pixel = windowPixel(at);
        return readBackBufferPixel(pixel.x, pixel.y);
    }

    static GameModel* ground;
    static GameModel* blocker;
    RenderEngine* engine = nullptr;
};

GameModel* ShaderLook::ground = nullptr;
GameModel* ShaderLook::blocker = nullptr;

void expectNear(Rgb actual, glm::vec3 expected, int tolerance, const char* what) {
    EXPECT_NEAR(actual.r, expected.r * 255.0f, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g * 255.0f, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b * 255.0f, tolerance) << what;
}

TEST_F(ShaderLook, UntexturedMeshIsLitNeutralGreyNotBlack) {
    Rgb lit = drawAndRead({ground}, glm::vec3(1.5f, 0.0f, 0.0f));
    EXPECT_GT(lit.r, 60);
    EXPECT_EQ(lit.r, lit.g);
    EXPECT_EQ(lit.g, lit.b);
    // Facing the light: ambient plus almost full diffuse of the grey base.
    const float diffuse =
        glm::dot(glm::normalize(lightEye - glm::vec3(1.5f, 0.0f, 0.0f)), glm::vec3(0, 0, 1));
    expectNear(lit, glm::vec3(0.6f * (0.2f + 0.8f * diffuse)), 4, "grey base");
}

TEST_F(ShaderLook, BlockerCastsAShadowThatTheShadowModeSwitchesOff) {
    const glm::vec3 shaded(0.0f, 0.0f, 0.0f), open(1.5f, 0.0f, 0.0f);
    Rgb inShadow = drawAndRead({ground, blocker}, shaded);
    Rgb inLight = drawAndRead({ground, blocker}, open);
    EXPECT_LT(inShadow.r + 30, inLight.r) << "the point under the blocker is not darker";
    expectNear(inShadow, glm::vec3(0.6f * 0.2f), 4, "ambient only in the shadow");

    engine->setShadowMode(0);
    Rgb unshadowed = drawAndRead({ground, blocker}, shaded);
    EXPECT_GT(unshadowed.r, inShadow.r + 30) << "shadow mode 0 still shadows";
}

TEST_F(ShaderLook, DenseFogTurnsTheMeshIntoTheFogColour) {
    ground->fogDensity = 5.0f;
    ground->fogColor = glm::vec4(0.2f, 0.4f, 0.6f, 1.0f);
    Rgb foggy = drawAndRead({ground}, glm::vec3(1.5f, 0.0f, 0.0f));
    expectNear(foggy, glm::vec3(0.2f, 0.4f, 0.6f), 3, "fog");
}

TEST_F(ShaderLook, MistFillsWhatLiesBelowTheMistLevelOnly) {
    ground->mistColor = glm::vec4(0.1f, 0.9f, 0.3f, 1.0f);
    ground->mistDensity = 5.0f;
    // The ground is the y = 0 plane's strip of heights -4 to 4.
    ground->mistLevel = 0.0f;
    Rgb below = drawAndRead({ground}, glm::vec3(1.5f, -2.0f, 0.0f));
    Rgb above = drawAndRead({ground}, glm::vec3(1.5f, 2.0f, 0.0f));
    expectNear(below, glm::vec3(0.1f, 0.9f, 0.3f), 3, "under the mist level");
    EXPECT_EQ(above.r, above.g) << "above the mist level the ground stays grey";
    EXPECT_EQ(above.g, above.b);
}

} // namespace

namespace {

// The shadow program tests the colour texture's alpha, which the shadow pass
// binds on unit 0, while the main pass of another mesh may have left an opaque
// texture on unit 1.
TEST_F(ShaderLook, CutOutPartsOfAnAlphaTestedBlockerCastNoShadow) {
    const std::string clearImage = testFilePath("cutout.tga");
    const std::string opaqueImage = testFilePath("opaque.tga");
    writeTga(clearImage, 4, 4, Rgb{255, 255, 255}, 0);
    writeTga(opaqueImage, 4, 4, Rgb{200, 200, 200}, 255);
    const glm::mat4 above = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, 5.0f));
    GameModel* cutout = makeSquare("LookCutout", 0.5f,
                                   glm::rotate(above, glm::radians(180.0f), glm::vec3(0, 1, 0)), clearImage);
    GameModel* floor = makeSquare("LookFloor", 4.0f, glm::mat4(1.0f), opaqueImage);
    for (GameModel* model : {cutout, floor}) {
        model->lightPosition = lightEye;
        model->lightColor = glm::vec4(0.8f, 0.8f, 0.8f, 1.0f);
        model->ambientColor = glm::vec4(0.2f, 0.2f, 0.2f, 1.0f);
        model->specularColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        model->fogDensity = 0.0f;
        model->mistDensity = 0.0f;
    }
    // The floor is drawn last, so its opaque texture is what unit 1 holds when
    // the next frame's shadow pass runs.
    std::vector<GameModel*> scene{cutout, floor};
    const glm::vec3 shaded(0.0f, 0.0f, 0.0f), open(1.5f, 0.0f, 0.0f);
    drawAndRead(scene, shaded);

    engine->setAlphaMode(0);
    Rgb opaqueShadow = drawAndRead(scene, shaded);
    Rgb lit = drawAndRead(scene, open);
    EXPECT_LT(opaqueShadow.r + 30, lit.r) << "without the alpha test the blocker must cast its shadow";

    engine->setAlphaMode(1);
    drawAndRead(scene, shaded);
    Rgb cutoutShadow = drawAndRead(scene, shaded);
    EXPECT_GT(cutoutShadow.r + 10, lit.r) << "a fully transparent blocker still casts a shadow";
    engine->setAlphaMode(0);
    std::vector<GameModel*> none;
    engine->setModels(none);
    deleteSquare(cutout);
    deleteSquare(floor);
}

} // namespace
