#include "render/RenderEngine.h"
#include "scene/AssimpImporter.h"
#include "scene/GameModel.h"
#include "scene/SkyBoxModel.h"
#include "scene/SwayingGameModel.h"

#include <CaptureOutput.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cstdlib>
#include <vector>

// The generated scenes drawn through the render engine with the game's own
// shaders, compared by measurement: the wheat sways from frame to frame while
// the sky stays put, and the normal maps shape what they cover.
namespace {

using Pixels = std::vector<unsigned char>;

class ContentLook : public ::testing::Test {
protected:
    void SetUp() override {
        engine = RenderEngine::activeRenderEngine;
        ASSERT_NE(engine, nullptr);
        engine->physicsLoader = nullptr;
        engine->projection = glm::perspective(glm::radians(45.0f), 1024.0f / 768.0f, 0.1f, 800.0f);
        lightView = glm::lookAt(glm::vec3(20, 30, 10), glm::vec3(7, 0, -20), glm::vec3(0, 1, 0));
        lightProjection = glm::perspective(glm::radians(70.0f), 1.0f, 1.0f, 200.0f);
        glClearColor(0, 0, 0, 1);
    }

    void TearDown() override {
        std::vector<GameModel*> none;
        engine->setModels(none);
        for (GameModel* model : loaded)
            delete model;
        releaseImportedAssets();
    }

    std::vector<GameModel*> load(const char* file) {
        std::vector<GameModel*> models;
        std::vector<GameAsset*> assets;
        CaptureOutput quiet(1);
        import(file, models, assets);
        loaded.insert(loaded.end(), models.begin(), models.end());
        return models;
    }

    // One game frame of the engine's models from the given eye; returns the picture.
    Pixels frame(const glm::mat4& view) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->draw(view, engine->projection, lightView, lightProjection);
        Pixels pixels(1024 * 768 * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return pixels;
    }

    static int differing(const Pixels& a, const Pixels& b, int threshold = 8) {
        int n = 0;
        for (size_t i = 0; i < a.size(); i += 3)
            if (std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > threshold)
                ++n;
        return n;
    }

    static int lit(const Pixels& a) {
        int n = 0;
        for (size_t i = 0; i < a.size(); i += 3)
            if (a[i] + a[i + 1] + a[i + 2] > 24)
                ++n;
        return n;
    }

    RenderEngine* engine = nullptr;
    glm::mat4 lightView{1.0f};
    glm::mat4 lightProjection{1.0f};
    std::vector<GameModel*> loaded;
};

TEST_F(ContentLook, WheatSwaysFromFrameToFrameWhileTheSkyStaysPut) {
    std::vector<GameModel*> field = load("Wheatfield.DAE");
    std::vector<GameModel*> wheat, sky;
    for (GameModel* model : field) {
        if (dynamic_cast<SwayingGameModel*>(model))
            wheat.push_back(model);
        if (dynamic_cast<SkyBoxModel*>(model))
            sky.push_back(model);
    }
    ASSERT_FALSE(wheat.empty());
    ASSERT_FALSE(sky.empty());
    const glm::mat4 overTheField = glm::lookAt(glm::vec3(7, 6, -8), glm::vec3(7, 0, -27), glm::vec3(0, 1, 0));

    engine->setModels(wheat);
    frame(overTheField);
    std::vector<float> clocks;
    for (GameModel* model : wheat)
        clocks.push_back(static_cast<SwayingGameModel*>(model)->swayTime);
    // Sets every sway clock to its recorded value plus steps (5000 steps are
    // one second of wind).
    auto windAt = [&](float steps) {
        for (size_t i = 0; i < wheat.size(); ++i)
            static_cast<SwayingGameModel*>(wheat[i])->swayTime = clocks[i] + steps;
    };
    windAt(0);
    Pixels before = frame(overTheField);
    ASSERT_GT(lit(before), 20000) << "the wheat is in view";
    windAt(0);
    EXPECT_EQ(differing(before, frame(overTheField), 0), 0) << "the same wind gives the same picture";
    windAt(2500);
    EXPECT_GT(differing(before, frame(overTheField)), 2000) << "half a second of wind moves the wheat";

    const glm::mat4 lookingUp = glm::lookAt(glm::vec3(7, 2, -27), glm::vec3(7, 10, -40), glm::vec3(0, 1, 0));
    engine->setModels(sky);
    frame(lookingUp);
    Pixels skyBefore = frame(lookingUp);
    ASSERT_GT(lit(skyBefore), 100000) << "the sky is in view";
    frame(lookingUp);
    EXPECT_EQ(differing(skyBefore, frame(lookingUp), 0), 0) << "the sky does not move";
}

#ifndef LULLVANE_PHONG
TEST_F(ContentLook, NormalMapsShapeTheBedroom) {
    std::vector<GameModel*> bedroom = load("Zimmer.dae");
    const glm::mat4 intoTheRoom = glm::lookAt(glm::vec3(0, 2.5f, 6), glm::vec3(0, 0.5f, -6), glm::vec3(0, 1, 0));
    engine->setModels(bedroom);
    engine->setNormalMappingMode(1);
    frame(intoTheRoom);
    Pixels mapped = frame(intoTheRoom);
    ASSERT_GT(lit(mapped), 100000) << "the room is in view";
    engine->setNormalMappingMode(0);
    frame(intoTheRoom);
    Pixels flat = frame(intoTheRoom);
    engine->setNormalMappingMode(1);
    EXPECT_GT(differing(mapped, flat, 6), 5000) << "switching the normal maps off changes the surfaces";
    EXPECT_EQ(differing(mapped, frame(intoTheRoom), 0), 0) << "and on again restores them";
}
#endif

} // namespace
