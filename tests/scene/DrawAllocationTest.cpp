#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "render/RenderEngine.h"
#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Counts every allocation of the process while counting is on.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (counting)
        ++allocations;
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

// Every scene is drawn every frame; once activated, drawing must not touch
// the heap.
TEST(DrawAllocation, DrawingAnActivatedSceneAllocatesNothing) {
    FixtureImages images{"normalmapped-colour.ppm", "normalmapped-normal.ppm", "twosets-colour.ppm",
                         "twosets-normal.ppm"};
    std::vector<GameModel*> models;
    std::vector<GameAsset*> noAssets;
    {
        CaptureOutput out(1);
        for (const char* file : {"variants.dae", "normalmapped.dae", "twosets.dae", "lines.dae", "tree.dae"})
            import(fixturePath(file).c_str(), models, noAssets);
    }
    ASSERT_GT(models.size(), 10u);
    for (GameModel* model : models) {
        model->setShadowFBO(RenderEngine::activeRenderEngine->shadowFBO);
        model->setShadowMap(RenderEngine::activeRenderEngine->shadowMap);
    }

    auto frame = [&models] {
        for (GameModel* model : models)
            model->drawShadow();
        for (GameModel* model : models)
            model->draw();
    };
    // The first frame activates; on the second the GL driver still compiles
    // the state variants it needs, with its own allocations.
    {
        CaptureOutput out(1);
        frame();
        frame();
    }

    // The counter sees the game's allocations: copying a long id allocates.
    GameModel control("A model name too long for the small-string buffer", glm::mat4(1.0f));
    counting = true;
    std::string id = control.getId();
    counting = false;
    ASSERT_EQ(allocations.load(), 1);

    CaptureOutput err(2);
    allocations = 0;
    counting = true;
    for (int i = 0; i < 3; ++i)
        frame();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(err.finish(), "");

    for (GameModel* model : models)
        delete model;
}

} // namespace
