// libFuzzer target: every input is written to a scene file and read the way
// the game reads one, with import() and importAnimation(), so the importer's
// own checks stand before Assimp; the animated import is then animated for a
// few frames. Assets read GL limits and load textures, so a hidden window with
// a GL context is opened first (an X display is needed).
#include "anim/SceneAnimator.h"
#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string scenePath;

bool writeScene(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(scenePath.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void release(std::vector<GameModel*>& models) {
    for (GameModel* model : models)
        delete model;
    models.clear();
    releaseImportedAssets();
    GameModel::aGlobalAssets.clear();
}

void importBoth() {
    std::vector<GameModel*> models;
    std::vector<GameAsset*> none;
    import(scenePath.c_str(), models, none);
    release(models);

    std::unique_ptr<SceneAnimator> animator(importAnimation(scenePath.c_str(), models, none));
    if (animator != nullptr)
        for (double time : {0.0, 0.37, 1.5, 1e6})
            animator->Calculate(time);
    animator.reset();
    release(models);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The importer's progress and "Could not load" lines would drown the
    // fuzzer's own report.
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    std::cerr.rdbuf(nullptr);
    const char* dir = std::getenv("TMPDIR");
    scenePath = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/lullvane-import-fuzz-" +
                std::to_string(getpid()) + ".dae";
    std::atexit([] { std::remove(scenePath.c_str()); });
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
    if (writeScene(data, size))
        importBoth();
    return 0;
}
