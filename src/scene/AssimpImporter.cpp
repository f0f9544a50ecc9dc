#include "scene/AssimpImporter.h"

#include "anim/SceneAnimator.h"
#include "render/Shader.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"
#include "scene/SkyBoxModel.h"
#include "scene/SwayingGameModel.h"

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

std::vector<GameAsset*> aGameAssets;

namespace {

// Several nodes may draw one asset, so no model owns one: the importer keeps
// every asset it built until releaseImportedAssets().
std::vector<GameAsset*> builtAssets;

} // namespace

#ifdef LULLVANE_PHONG
Shader* shader = new Shader("shader/PhongShader.vert", "shader/PhongShader.frag", "Default");
#else
Shader* shader = new Shader("shader/ParallaxPhongShader.vert", "shader/ParallaxPhongShader.frag", "Default");
#endif
Shader* shadow = new Shader("shader/ShadowShader.vert", "shader/ShadowShader.frag", "Shadow");
Shader* swayShader = new Shader("shader/SwayPhongShader.vert", "shader/SwayPhongShader.frag", "SwayDefault");
Shader* swayShadow = new Shader("shader/SwayShadowShader.vert", "shader/SwayShadowShader.frag", "SwayShadow");

namespace {

constexpr unsigned int staticFlags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                     aiProcess_Triangulate | aiProcess_GenNormals | aiProcess_SortByPType |
                                     aiProcess_GenUVCoords | aiProcess_TransformUVCoords;
constexpr unsigned int animatedFlags = staticFlags | aiProcess_SplitLargeMeshes;
static_assert(staticFlags == 0xC802B, "scene import flags changed");
static_assert(animatedFlags == 0xC80AB, "animated scene import flags changed");

constexpr size_t maxNameLength = 1023;

// A <float_array> whose count is missing, 0, or not the number of values it
// holds: Assimp's COLLADA reader reads through a null pointer on the first
// two, reserves whatever a damaged count claims, and aborts the process on an
// animation whose key times are counted short.
bool hasBadlyCountedArray(const std::string& text) {
    for (size_t at = text.find("<float_array"); at != std::string::npos; at = text.find("<float_array", at + 1)) {
        size_t end = text.find('>', at);
        if (end == std::string::npos)
            return true;
        std::string tag = text.substr(at, end - at);
        size_t count = tag.find("count");
        if (count == std::string::npos)
            return true;
        size_t value = tag.find_first_not_of(" \t\r\n=\"'", count + 5);
        unsigned long claimed = value == std::string::npos ? 0 : std::strtoul(tag.c_str() + value, nullptr, 10);
        size_t close = text.find("</float_array", end);
        if (claimed == 0 || close == std::string::npos)
            return true;
        unsigned long values = 0;
        bool inValue = false;
        for (size_t i = end + 1; i < close; ++i) {
            bool space = std::isspace(static_cast<unsigned char>(text[i])) != 0;
            if (!space && !inValue)
                ++values;
            inValue = !space;
        }
        if (values != claimed)
            return true;
    }
    return false;
}

// A primitive list (<triangles>, <polylist>, ...) without its <p> indices:
// Assimp's COLLADA reader aborts the process on it.
bool hasPrimitivesWithoutIndices(const std::string& text) {
    for (const char* primitive : {"triangles", "polylist", "polygons", "lines", "linestrips", "trifans", "tristrips"}) {
        const std::string open = std::string("<") + primitive;
        const std::string close = std::string("</") + primitive;
        for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
            size_t after = at + open.size();
            if (after < text.size() && text[after] != ' ' && text[after] != '>' && text[after] != '/' &&
                text[after] != '\t' && text[after] != '\r' && text[after] != '\n')
                continue;
            size_t end = text.find(close, after);
            std::string body = text.substr(after, end == std::string::npos ? std::string::npos : end - after);
            if (body.find("<p>") == std::string::npos && body.find("<p ") == std::string::npos)
                return true;
        }
    }
    return false;
}

// Index lists (<p>) hold non-negative integers only: a damaged character makes
// Assimp's COLLADA reader take the rest as a huge index and reserve gigabytes.
bool hasDamagedIndices(const std::string& text) {
    for (size_t at = text.find("<p>"); at != std::string::npos; at = text.find("<p>", at + 1)) {
        size_t close = text.find("</p>", at);
        if (close == std::string::npos)
            return true;
        for (size_t i = at + 3; i < close; ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (!std::isdigit(c) && !std::isspace(c))
                return true;
        }
    }
    return false;
}

// Files on which Assimp 5.2 crashes or aborts are turned away before it sees them.
bool crashesAssimp(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return hasBadlyCountedArray(text) || hasPrimitivesWithoutIndices(text) || hasDamagedIndices(text);
}

const aiScene* openScene(const char* path, unsigned int flags) {
    const aiScene* scene = path != nullptr && !crashesAssimp(path) ? aiImportFile(path, flags) : nullptr;
    if (scene == nullptr)
        std::cerr << "Could not load " << (path != nullptr ? path : "") << std::endl;
    return scene;
}

// glm is column-major and indexed [column][row]; Assimp is row-major.
glm::mat4 toGlm(const aiMatrix4x4& m) {
    glm::mat4 result;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            result[column][row] = m[row][column];
    return result;
}

} // namespace

void import(const char* path, std::vector<GameModel*>& models, std::vector<GameAsset*>& assets) {
    const aiScene* scene = openScene(path, staticFlags);
    if (scene == nullptr)
        return;
    aGameAssets = assets;
    traverseScene(scene, models);
    aiReleaseImport(scene);
}

SceneAnimator* importAnimation(const char* path, std::vector<GameModel*>& models,
                               std::vector<GameAsset*>& assets) {
    const aiScene* scene = openScene(path, animatedFlags);
    if (scene == nullptr)
        return nullptr;
    aGameAssets = assets;
    GameModel* root = traverseScene(scene, models);
    SceneAnimator* animator = root != nullptr ? new SceneAnimator(scene, root, 0) : nullptr;
    aiReleaseImport(scene);
    return animator;
}

GameModel* traverseScene(const aiScene* scene, std::vector<GameModel*>& models) {
    std::cout << "Building assets" << std::endl;
    for (unsigned int m = 0; m < scene->mNumMeshes; ++m) {
        aiMesh* mesh = scene->mMeshes[m];
        aiMaterial* material =
            mesh->mMaterialIndex < scene->mNumMaterials ? scene->mMaterials[mesh->mMaterialIndex] : nullptr;
        GameAsset* asset = new GameAsset(mesh, material);
        builtAssets.push_back(asset);
        aGameAssets.push_back(asset);
    }
    std::cout << "Succeeded to build assets" << std::endl;
    if (scene->mRootNode == nullptr)
        return nullptr;
    return traverseNode(scene, scene->mRootNode, models, aiMatrix4x4());
}

GameModel* traverseNode(const aiScene* scene, aiNode* node, std::vector<GameModel*>& models,
                        aiMatrix4x4 parent) {
    aiMatrix4x4 transform = parent * node->mTransformation;
    GameModel* model = DoTheNodeProcessing(scene, node, models, transform);
    model->nodeTransform = node->mTransformation;
    for (unsigned int c = 0; c < node->mNumChildren; ++c)
        model->children.push_back(traverseNode(scene, node->mChildren[c], models, transform));
    return model;
}

GameModel* DoTheNodeProcessing(const aiScene*, aiNode* node, std::vector<GameModel*>& models,
                               aiMatrix4x4 transform) {
    std::string name(node->mName.C_Str(), std::min<size_t>(node->mName.length, maxNameLength));
    GameModel* model = getGameModelType(name, toGlm(transform));
    models.push_back(model);

    for (unsigned int m = 0; m < node->mNumMeshes; ++m) {
        unsigned int index = node->mMeshes[m];
        if (index >= aGameAssets.size())
            continue;
        GameAsset* asset = aGameAssets[index];
        asset->makeTangentBuffers = true;
        asset->owner = model;
        model->addGameAsset(asset);
    }

    // After the assets, so that the program handles reach them too.
    if (dynamic_cast<SwayingGameModel*>(model) != nullptr) {
        model->setShaderProgram(swayShader);
        model->setShadowShader(swayShadow);
    } else {
        model->setShaderProgram(shader);
        model->setShadowShader(shadow);
        model->alphaDefault = 0;
    }
    return model;
}

// Each test measures the leading run of the name made only of the word's
// letters: "Weizen.001" and "Wheat_5" sway, "Weizene" and "WheatWheat" do not,
// and a node must be named like "Skyb_1" (not "Skybox") to be the sky box.
GameModel* getGameModelType(std::string name, glm::mat4 modelMatrix) {
    if (std::strspn(name.c_str(), "Weizen") == 6)
        return new SwayingGameModel(name, modelMatrix);
    if (std::strspn(name.c_str(), "Wheat") == 5)
        return new SwayingGameModel(name, modelMatrix);
    if (std::strspn(name.c_str(), "Skybox") == 4)
        return new SkyBoxModel(name, modelMatrix);
    return new GameModel(name, modelMatrix);
}

void releaseImportedAssets() {
    for (GameAsset* asset : builtAssets)
        delete asset;
    builtAssets.clear();
    aGameAssets.clear();
}
