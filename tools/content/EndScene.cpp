#include "EndScene.h"

#include "MeshBuilder.h"

#include <glm/gtc/constants.hpp>

#include <cmath>

namespace {

// The player appears at (0, 0, 0) and settles on the platform; whoever walks
// off its edge falls past -25 and is back at the start.
const float platformTop = -0.3f;
const float platformRadius = 9.0f;
const float pillarRing = 7.2f;
const int pillars = 8;

} // namespace

SceneDescription EndScene::build() {
    SceneDescription scene("End.DAE");

    Mesh top = MeshBuilder::disc({0.0f, platformTop, 0.0f}, platformRadius, 40, 3.0f);
    Mesh rim = MeshBuilder::cylinder({0.0f, platformTop - 1.2f, 0.0f}, {0.0f, platformTop - 0.01f, 0.0f},
                                     platformRadius, 40, 3.0f);
    scene.add("Platform", "marble_white", top);
    scene.add("Platform", "gold", rim);
    // rings of steps sinking under the platform
    for (int step = 1; step <= 3; ++step) {
        float r = platformRadius - 1.5f * static_cast<float>(step);
        float y = platformTop - 1.2f - 0.8f * static_cast<float>(step);
        scene.add("Platform", step % 2 ? "marble_white" : "gold",
                  MeshBuilder::cylinder({0.0f, y, 0.0f}, {0.0f, y + 0.8f, 0.0f}, r, 32, 3.0f));
    }
    scene.addBody("Platform", {BodyShape::triangles(top)});

    std::vector<BodyShape> columns;
    for (int i = 0; i < pillars; ++i) {
        float a = glm::two_pi<float>() * (static_cast<float>(i) + 0.5f) / static_cast<float>(pillars);
        glm::vec3 base(std::cos(a) * pillarRing, platformTop, std::sin(a) * pillarRing);
        scene.add("Pillars", "marble_white",
                  MeshBuilder::cylinder(base, base + glm::vec3(0, 6.0f, 0), 0.45f, 14, 2.0f));
        scene.add(
            "Pillars", "gold",
            MeshBuilder::box(base + glm::vec3(-0.6f, 0.0f, -0.6f), base + glm::vec3(0.6f, 0.35f, 0.6f)));
        scene.add(
            "Pillars", "gold",
            MeshBuilder::box(base + glm::vec3(-0.65f, 6.0f, -0.65f), base + glm::vec3(0.65f, 6.45f, 0.65f)));
        columns.push_back(
            BodyShape::box(base + glm::vec3(-0.5f, 0.0f, -0.5f), base + glm::vec3(0.5f, 6.45f, 0.5f)));
    }
    scene.addBody("Pillars", columns);

    // A golden crown ring over the pillars and a sun above it all.
    for (int i = 0; i < 24; ++i) {
        float a0 = glm::two_pi<float>() * static_cast<float>(i) / 24.0f;
        float a1 = glm::two_pi<float>() * static_cast<float>(i + 1) / 24.0f;
        glm::vec3 p0(std::cos(a0) * pillarRing, platformTop + 6.7f, std::sin(a0) * pillarRing);
        glm::vec3 p1(std::cos(a1) * pillarRing, platformTop + 6.7f, std::sin(a1) * pillarRing);
        scene.add("Crown", "gold", MeshBuilder::cylinder(p0, p1, 0.3f, 8, 1.0f));
    }
    scene.add("Sun", "gold", MeshBuilder::ellipsoid({0.0f, 14.0f, -18.0f}, glm::vec3(4.0f), 16, 24));
    scene.add("Sun", "marble_white", MeshBuilder::ellipsoid({0.0f, 1.4f, 0.0f}, glm::vec3(0.6f), 10, 14));
    return scene;
}
