#include "AllocationCounter.h"
#include "CaptureOutput.h"
#include "SceneTestSupport.h"
#include "render/RenderEngine.h"
#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    AllocationCounter counter;
    counter.start();
    std::string id = control.getId();
    ASSERT_EQ(counter.stop(), 1u);

    CaptureOutput err(2);
    counter.start();
    for (int i = 0; i < 3; ++i)
        frame();
    EXPECT_EQ(counter.stop(), 0u);
    EXPECT_EQ(err.finish(), "");

    for (GameModel* model : models)
        delete model;
    releaseImportedAssets();
}

} // namespace
