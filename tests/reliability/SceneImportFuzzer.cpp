// libFuzzer target: every input is imported by Assimp from memory with the
// flags of the static and of the animated scene import, turned into the
// game's models and assets, and, for the animated import, animated for a few
// frames. Assets read GL limits and load textures, so a hidden window with a
// GL context is opened first (an X display is needed).
#include "anim/SceneAnimator.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The flags of import() and importAnimation(); AssimpImporter.cpp checks its
// own copies against the same numbers.
constexpr unsigned int staticFlags = 0xC802B;
constexpr unsigned int animatedFlags = 0xC80AB;
static_assert(staticFlags == (aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                              aiProcess_Triangulate | aiProcess_GenNormals | aiProcess_SortByPType |
                              aiProcess_GenUVCoords | aiProcess_TransformUVCoords));
static_assert(animatedFlags == (staticFlags | aiProcess_SplitLargeMeshes));

void release(std::vector<GameModel*>& models) {
    for (GameModel* model : models)
        delete model;
    models.clear();
    for (GameAsset* asset : aGameAssets)
        delete asset;
    aGameAssets.clear();
    GameModel::aGlobalAssets.clear();
}

void importOnce(const uint8_t* data, size_t size, unsigned int flags, bool animated) {
    const aiScene* scene =
        aiImportFileFromMemory(reinterpret_cast<const char*>(data), unsigned(size), flags, "dae");
    if (scene == nullptr)
        return;
    std::vector<GameModel*> models;
    aGameAssets.clear();
    GameModel* root = traverseScene(scene, models);
    if (animated && root != nullptr) {
        SceneAnimator animator(scene, root, 0);
        for (double time : {0.0, 0.37, 1.5, 1e6})
            animator.Calculate(time);
    }
    aiReleaseImport(scene);
    release(models);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    if (!glfwInit()) {
        std::fputs("The scene import fuzzer needs an X display for its GL context.\n", stderr);
        std::exit(1);
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(64, 64, "Lullvane import fuzzer", nullptr, nullptr);
    if (window == nullptr) {
        std::fputs("The scene import fuzzer could not open its hidden window.\n", stderr);
        std::exit(1);
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fputs("The scene import fuzzer could not load GL.\n", stderr);
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Assimp asserts on an empty buffer; the game reads files, where an empty one
    // is an ordinary read failure.
    if (size == 0)
        return 0;
    importOnce(data, size, staticFlags, false);
    importOnce(data, size, animatedFlags, true);
    return 0;
}
