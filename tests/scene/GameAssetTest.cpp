#include "scene/GameAsset.h"
#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"

#include <assimp/material.h>
#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// One triangle with normals and the given texture-coordinate sets.
std::unique_ptr<aiMesh> makeTriangle(std::vector<unsigned int> uvSets, unsigned int components = 2,
                                     bool withFaces = true) {
    auto mesh = std::make_unique<aiMesh>();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = 3;
    mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh->mNormals = new aiVector3D[3]{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    for (unsigned int set : uvSets) {
        mesh->mTextureCoords[set] = new aiVector3D[3]{{0.1f, 0.2f, 0.3f}, {1, 0, 0.5f}, {0, 1, 1}};
        mesh->mNumUVComponents[set] = components;
    }
    if (withFaces) {
        mesh->mNumFaces = 1;
        mesh->mFaces = new aiFace[1];
        mesh->mFaces[0].mNumIndices = 3;
        mesh->mFaces[0].mIndices = new unsigned int[3]{0, 1, 2};
    }
    return mesh;
}

using TextureList = std::vector<std::pair<aiTextureType, const char*>>;

std::unique_ptr<aiMaterial> makeMaterial(const TextureList& textures) {
    auto material = std::make_unique<aiMaterial>();
    for (const auto& [type, file] : textures) {
        aiString path(FixtureImages::path(file));
        material->AddProperty(&path, AI_MATKEY_TEXTURE(type, 0));
    }
    return material;
}

GLuint textureOf(const char* file) {
    auto it = GameAsset::textures.find(FixtureImages::path(file));
    return it == GameAsset::textures.end() ? 0 : it->second;
}

class AssetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        images = new FixtureImages{"slot-ambient.ppm",   "slot-diffuse.ppm",        "slot-specular.ppm",
                                   "slot-normal.ppm",    "slot-opacity.ppm",        "slot-height.ppm",
                                   "slot-light.ppm",     "normalmapped-colour.ppm", "normalmapped-normal.ppm",
                                   "twosets-colour.ppm", "twosets-normal.ppm",      "sharedimage-bark.ppm"};
    }
    static void TearDownTestSuite() {
        delete images;
        images = nullptr;
    }

    ~AssetTest() override {
        for (GameModel* model : models)
            delete model;
        releaseImportedAssets();
    }

    std::string importFixture(const char* file) {
        CaptureOutput out(1);
        import(fixturePath(file).c_str(), models, noAssets);
        return out.finish();
    }

    GameModel* named(const std::string& name) {
        for (GameModel* model : models)
            if (model->name == name)
                return model;
        ADD_FAILURE() << "no model named " << name;
        return nullptr;
    }

    // Draws the model once with a camera looking at the origin and returns what
    // the GL error report printed.
    std::string drawReportingErrors(GameModel* model, bool withShadow) {
        glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 5), glm::vec3(0), glm::vec3(0, 1, 0));
        glm::mat4 projection = glm::perspective(glm::radians(60.0f), 4.0f / 3.0f, 0.1f, 100.0f);
        model->setViewMatrix(view);
        model->setProjMatrix(projection);
        model->setShadowFBO(RenderEngine::activeRenderEngine->shadowFBO);
        model->setShadowMap(RenderEngine::activeRenderEngine->shadowMap);
        CaptureOutput err(2);
        CaptureOutput out(1);
        if (withShadow)
            model->drawShadow();
        model->draw();
        out.finish();
        return err.finish();
    }

    static FixtureImages* images;
    std::vector<GameModel*> models;
    std::vector<GameAsset*> noAssets;
};

FixtureImages* AssetTest::images = nullptr;

struct SlotCase {
    const char* label;
    TextureList textures;
    const char* slots[4];
    bool hasTexture;
    int typeSlot[8];
};

// typeSlot order: height, normals, shininess, opacity, displacement, lightmap, reflection, unknown.
const SlotCase slotCases[] = {
    {"ambient is preferred as colour texture",
     {{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}, {aiTextureType_AMBIENT, "slot-ambient.ppm"}},
     {"slot-ambient.ppm", nullptr, nullptr, nullptr},
     true,
     {-1, -1, -1, -1, -1, -1, -1, -1}},
    {"diffuse comes before specular",
     {{aiTextureType_SPECULAR, "slot-specular.ppm"}, {aiTextureType_DIFFUSE, "slot-diffuse.ppm"}},
     {"slot-diffuse.ppm", nullptr, nullptr, nullptr},
     true,
     {-1, -1, -1, -1, -1, -1, -1, -1}},
    {"specular alone is the colour texture",
     {{aiTextureType_SPECULAR, "slot-specular.ppm"}},
     {"slot-specular.ppm", nullptr, nullptr, nullptr},
     true,
     {-1, -1, -1, -1, -1, -1, -1, -1}},
    {"emissive is the normal map in slot 1",
     {{aiTextureType_EMISSIVE, "slot-normal.ppm"}, {aiTextureType_DIFFUSE, "slot-diffuse.ppm"}},
     {"slot-diffuse.ppm", "slot-normal.ppm", nullptr, nullptr},
     true,
     {-1, 1, -1, -1, -1, -1, -1, -1}},
    {"further textures follow in type order until four slots are used",
     {{aiTextureType_DIFFUSE, "slot-diffuse.ppm"},
      {aiTextureType_EMISSIVE, "slot-normal.ppm"},
      {aiTextureType_LIGHTMAP, "slot-light.ppm"},
      {aiTextureType_OPACITY, "slot-opacity.ppm"},
      {aiTextureType_HEIGHT, "slot-height.ppm"}},
     {"slot-diffuse.ppm", "slot-normal.ppm", "slot-height.ppm", "slot-opacity.ppm"},
     true,
     {2, 1, -1, 3, -1, -1, -1, -1}},
    {"without a normal map the next texture takes slot 1",
     {{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}, {aiTextureType_LIGHTMAP, "slot-light.ppm"}},
     {"slot-diffuse.ppm", "slot-light.ppm", nullptr, nullptr},
     true,
     {-1, -1, -1, -1, -1, 1, -1, -1}},
    {"a normal map without colour texture keeps slot 1 to itself",
     {{aiTextureType_EMISSIVE, "slot-normal.ppm"}, {aiTextureType_OPACITY, "slot-opacity.ppm"}},
     {nullptr, "slot-normal.ppm", "slot-opacity.ppm", nullptr},
     false,
     {-1, 1, -1, 2, -1, -1, -1, -1}},
    {"no textures", {}, {nullptr, nullptr, nullptr, nullptr}, false, {-1, -1, -1, -1, -1, -1, -1, -1}},
};

TEST_F(AssetTest, MaterialTexturesFillTheirSlots) {
    for (const SlotCase& c : slotCases) {
        SCOPED_TRACE(c.label);
        auto mesh = makeTriangle({0});
        auto material = makeMaterial(c.textures);
        CaptureOutput out(1);
        GameAsset asset(mesh.get(), material.get());
        out.finish();

        EXPECT_EQ(asset.hasTexture, c.hasTexture);
        for (int slot = 0; slot < 4; ++slot) {
            if (c.slots[slot] == nullptr) {
                EXPECT_EQ(asset.textureId[slot], 0u) << "slot " << slot;
                continue;
            }
            EXPECT_NE(textureOf(c.slots[slot]), 0u) << c.slots[slot] << " did not load";
            EXPECT_EQ(asset.textureId[slot], textureOf(c.slots[slot])) << "slot " << slot;
        }
        for (int type = 0; type < 8; ++type)
            EXPECT_EQ(asset.typeSlot[type], c.typeSlot[type]) << "type " << type;
        EXPECT_EQ(asset.texCoords[0].size(), c.hasTexture ? 6u : 0u);
    }
}

TEST_F(AssetTest, SlotsUseTheUVSetsTheMaterialNames) {
    auto mesh = makeTriangle({0, 1});
    auto material = makeMaterial(
        {{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}, {aiTextureType_EMISSIVE, "slot-normal.ppm"}});
    int diffuseSet = 1;
    int normalSet = 0;
    material->AddProperty(&diffuseSet, 1, AI_MATKEY_UVWSRC(aiTextureType_DIFFUSE, 0));
    material->AddProperty(&normalSet, 1, AI_MATKEY_UVWSRC(aiTextureType_EMISSIVE, 0));
    CaptureOutput out(1);
    GameAsset asset(mesh.get(), material.get());
    out.finish();
    EXPECT_EQ(asset.uvChannel[0], 1);
    EXPECT_EQ(asset.uvChannel[1], 0);
    EXPECT_EQ(asset.numUVChannels, 2u);
}

TEST_F(AssetTest, OnlyLeadingTextureCoordinateSetsCount) {
    const struct {
        std::vector<unsigned int> sets;
        unsigned int channels;
    } cases[] = {{{}, 0}, {{0}, 1}, {{0, 2}, 1}, {{1}, 0}, {{0, 1}, 2}, {{0, 1, 2, 3, 4, 5}, 4}};
    auto material = makeMaterial({{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}});
    for (const auto& c : cases) {
        auto mesh = makeTriangle(c.sets);
        CaptureOutput out(1);
        GameAsset asset(mesh.get(), material.get());
        out.finish();
        EXPECT_EQ(asset.numUVChannels, c.channels) << c.sets.size() << " sets";
        for (unsigned int set = 0; set < 4; ++set)
            EXPECT_EQ(asset.texCoords[set].empty(), set >= c.channels) << "set " << set;
    }
}

TEST_F(AssetTest, TextureCoordinatesKeepTheirComponentCount) {
    const struct {
        unsigned int components;
        std::vector<float> firstSet;
        const char* message;
    } cases[] = {
        {1, {0.1f, 1, 0}, ""},
        {2, {0.1f, 0.2f, 1, 0, 0, 1}, ""},
        {3, {0.1f, 0.2f, 0.3f, 1, 0, 0.5f, 0, 1, 1}, ""},
        {4, {}, "Invalid number of texturecoords: 0\n"},
    };
    auto material = makeMaterial({{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}});
    for (const auto& c : cases) {
        auto mesh = makeTriangle({0}, c.components);
        CaptureOutput out(1);
        GameAsset asset(mesh.get(), material.get());
        std::string printed = out.finish();
        EXPECT_EQ(asset.texCoords[0], c.firstSet) << c.components << " components";
        EXPECT_EQ(countOccurrences(printed, "Invalid number of texturecoords: "),
                  c.message[0] == '\0' ? 0 : 3);
        if (c.message[0] != '\0') {
            EXPECT_NE(printed.find(c.message), std::string::npos);
        }
    }
}

TEST_F(AssetTest, VertexDataIsCopiedFaceAfterFace) {
    auto mesh = makeTriangle({0});
    auto material = makeMaterial({});
    GameAsset asset(mesh.get(), material.get());
    EXPECT_TRUE(asset.hasFaces);
    EXPECT_TRUE(asset.hasNormals);
    EXPECT_FALSE(asset.hasTangents);
    EXPECT_EQ(asset.numVertices, 3u);
    EXPECT_EQ(asset.indices, (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_EQ(asset.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(asset.normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_TRUE(asset.tangents.empty());
    EXPECT_FALSE(asset.activated);
    EXPECT_EQ(asset.positionBuffer, 0u) << "construction makes no buffers";
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    EXPECT_EQ(asset.maxTextureUnits, units);
}

TEST_F(AssetTest, MeshWithoutFacesIsNeverActivatedOrDrawn) {
    auto mesh = makeTriangle({0}, 2, false);
    auto material = makeMaterial({{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}});
    CaptureOutput out(1);
    GameAsset asset(mesh.get(), material.get());
    out.finish();
    asset.setShaderProgram(static_cast<int>(shader->getShaderHandle()));
    asset.setShadowShader(static_cast<int>(shadow->getShaderHandle()));
    EXPECT_FALSE(asset.hasFaces);
    EXPECT_TRUE(asset.positions.empty());
    EXPECT_TRUE(asset.indices.empty());

    CaptureOutput err(2);
    asset.activate();
    asset.draw();
    asset.drawShadow();
    EXPECT_EQ(err.finish(), "");
    EXPECT_FALSE(asset.activated);
    EXPECT_EQ(asset.positionBuffer, 0u);
    EXPECT_EQ(asset.indexBuffer, 0u);
}

TEST_F(AssetTest, ImageSharedByTwoMaterialsIsLoadedOnceAndCountedTwice) {
    std::string printed = importFixture("sharedimage.dae");
    std::string path = FixtureImages::path("sharedimage-bark.ppm");
    EXPECT_EQ(countOccurrences(printed, path + " is not in the map, adding!\n"), 1) << printed;
    EXPECT_EQ(countOccurrences(printed, path + " is not Referenced, adding!\n"), 1) << printed;

    GLuint texture = textureOf("sharedimage-bark.ppm");
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(GameAsset::textureReferences[texture], 2u);
    ASSERT_EQ(aGameAssets.size(), 2u);
    EXPECT_EQ(aGameAssets[0]->textureId[0], texture);
    EXPECT_EQ(aGameAssets[1]->textureId[0], texture);
}

TEST_F(AssetTest, UnreadableImageLeavesTextureZeroAndStillDraws) {
    std::string printed = importFixture("badimage.dae");
    std::string path = FixtureImages::path("missing.ppm");
    EXPECT_NE(printed.find(path + " is not in the map, adding!\n"), std::string::npos) << printed;
    EXPECT_EQ(GameAsset::textures.at(path), 0u);
    GameModel* wall = named("Wall");
    ASSERT_NE(wall, nullptr);
    ASSERT_EQ(wall->gameAssets.size(), 1u);
    EXPECT_TRUE(wall->gameAssets[0]->hasTexture);
    EXPECT_EQ(wall->gameAssets[0]->textureId[0], 0u);

    EXPECT_EQ(drawReportingErrors(wall, true), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(AssetTest, NormalMapFromTheEmissiveTextureIsSwitchedByTheModel) {
    importFixture("normalmapped.dae");
    GameModel* wall = named("Wall");
    ASSERT_NE(wall, nullptr);
    ASSERT_EQ(wall->gameAssets.size(), 1u);
    GameAsset* asset = wall->gameAssets[0];
    EXPECT_EQ(asset->textureId[0], textureOf("normalmapped-colour.ppm"));
    EXPECT_EQ(asset->textureId[1], textureOf("normalmapped-normal.ppm"));
    EXPECT_NE(asset->textureId[0], asset->textureId[1]);
    EXPECT_EQ(asset->typeSlot[GameAsset::NormalsType], 1);
    EXPECT_EQ(asset->numUVChannels, 1u);
    EXPECT_TRUE(asset->hasTangents);

    GLuint program = wall->shaderProgram;
    const struct {
        int switchTo;
        float expected;
    } steps[] = {{-1, 1.0f}, {0, 0.0f}, {1, 1.0f}, {0, 0.0f}};
    for (const auto& step : steps) {
        if (step.switchTo >= 0)
            wall->useNormalMapping(step.switchTo);
        EXPECT_EQ(drawReportingErrors(wall, false), "");
        EXPECT_EQ(uniformFloat(program, "useNormalMap"), step.expected)
            << "after switching to " << step.switchTo;
    }
}

TEST_F(AssetTest, MaterialWithoutNormalMapDrawsWithNormalMappingOff) {
    importFixture("badimage.dae");
    GameModel* wall = named("Wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(drawReportingErrors(wall, false), "");
    EXPECT_EQ(uniformFloat(wall->shaderProgram, "useNormalMap"), 0.0f);
}

TEST_F(AssetTest, RunningOutOfTextureUnitsIsReportedForTheSecondUVSet) {
    const struct {
        const char* file;
        unsigned int uvSets;
        int errorsPerDraw;
    } cases[] = {{"normalmapped.dae", 1, 0}, {"twosets.dae", 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        importFixture(c.file);
        GameModel* wall = models.back();
        ASSERT_EQ(wall->name, "Wall");
        ASSERT_EQ(wall->gameAssets.size(), 1u);
        GameAsset* asset = wall->gameAssets[0];
        ASSERT_EQ(asset->numUVChannels, c.uvSets);
        asset->maxTextureUnits = 2;
        for (int draw = 0; draw < 2; ++draw) {
            CaptureOutput out(1);
            wall->draw();
            std::string printed = out.finish();
            EXPECT_EQ(countOccurrences(printed,
                                       "Error assigning another texture index. Only possible to use 2 "
                                       "different textures\n"),
                      c.errorsPerDraw)
                << printed;
        }
    }
}

struct PartialMeshCase {
    const char* file;
    const char* node;
    bool hasNormals;
    bool hasTangents;
    unsigned int uvSets;
    size_t indices;
    // What one main pass hands to the rasteriser: the fence as two segments.
    GLuint primitives;
};

class PartialMesh : public AssetTest, public ::testing::WithParamInterface<PartialMeshCase> {};

TEST_P(PartialMesh, DrawsWhatItHasWithoutGLErrors) {
    const PartialMeshCase& c = GetParam();
    importFixture(c.file);
    GameModel* model = named(c.node);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->gameAssets.size(), 1u);
    GameAsset* asset = model->gameAssets[0];
    EXPECT_EQ(asset->hasNormals, c.hasNormals);
    EXPECT_EQ(asset->hasTangents, c.hasTangents);
    EXPECT_EQ(asset->numUVChannels, c.uvSets);
    EXPECT_EQ(asset->indices.size(), c.indices);

    glGetError();
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(drawReportingErrors(model, true), "") << "frame " << frame;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << frame;
    }
    EXPECT_TRUE(asset->activated);
    EXPECT_NE(asset->positionBuffer, 0u);
    EXPECT_NE(asset->indexBuffer, 0u);

    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    model->draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    EXPECT_EQ(primitives, c.primitives);
}

INSTANTIATE_TEST_SUITE_P(Meshes, PartialMesh,
                         ::testing::Values(PartialMeshCase{"lines.dae", "Fence", false, false, 0, 4, 2},
                                           PartialMeshCase{"tree.dae", "B1", true, false, 0, 3, 1},
                                           PartialMeshCase{"normalmapped.dae", "Wall", true, true, 1, 6, 2},
                                           PartialMeshCase{"twosets.dae", "Wall", true, true, 2, 6, 2}));

// A model drawing hand-built meshes with the game's "Default" and "Shadow"
// programs.
class HandBuiltModel : public AssetTest {
protected:
    GameAsset* addAsset(aiMesh* mesh, aiMaterial* material) {
        CaptureOutput out(1);
        handBuilt.push_back(std::make_unique<GameAsset>(mesh, material));
        GameAsset* asset = handBuilt.back().get();
        out.finish();
        asset->owner = &model;
        model.addGameAsset(asset);
        return asset;
    }

    std::string drawModel() {
        model.setShaderProgram(shader);
        model.setShadowShader(shadow);
        model.setShadowFBO(RenderEngine::activeRenderEngine->shadowFBO);
        model.setShadowMap(RenderEngine::activeRenderEngine->shadowMap);
        CaptureOutput err(2);
        CaptureOutput out(1);
        model.drawShadow();
        model.draw();
        out.finish();
        return err.finish();
    }

    GLint attributeState(GLint location, GLenum what) {
        GLint value = -1;
        glBindVertexArray(model.vertexArray);
        glGetVertexAttribiv(static_cast<GLuint>(location), what, &value);
        glBindVertexArray(0);
        return value;
    }

    std::vector<std::unique_ptr<GameAsset>> handBuilt;
    GameModel model{"Handmade", glm::mat4(1.0f)};
};

TEST_F(HandBuiltModel, MeshWithoutTangentsOrNormalsSwitchesThoseAttributesOff) {
    auto full = makeTriangle({0});
    full->mTangents = new aiVector3D[3]{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    full->mBitangents = new aiVector3D[3]{{0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    auto bare = makeTriangle({});
    delete[] bare->mNormals;
    bare->mNormals = nullptr;
    auto material = makeMaterial({{aiTextureType_DIFFUSE, "slot-diffuse.ppm"}});
    GameAsset* first = addAsset(full.get(), material.get());
    GameAsset* second = addAsset(bare.get(), material.get());
    ASSERT_TRUE(first->hasTangents);
    ASSERT_FALSE(second->hasTangents);
    ASSERT_FALSE(second->hasNormals);

    EXPECT_EQ(drawModel(), "");
    // Both assets share the model's vertex array object; after the bare mesh
    // has drawn, nothing may still point into the first mesh's buffers.
    const struct {
        const char* attribute;
        GLint location;
    } switchedOff[] = {{"tangent", second->tangentLocation},
                       {"bitangent", second->bitangentLocation},
                       {"normal", second->normalLocation}};
    for (const auto& a : switchedOff) {
        ASSERT_NE(a.location, -1) << a.attribute;
        EXPECT_EQ(attributeState(a.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE) << a.attribute;
    }
    EXPECT_EQ(attributeState(second->vertexLocation, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING),
              static_cast<GLint>(second->positionBuffer));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
