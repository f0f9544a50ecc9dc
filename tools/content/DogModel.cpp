#include "DogModel.h"

#include "MeshBuilder.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <string>

namespace {

struct Part {
    const char* name;
    glm::vec3 pivot;
    glm::vec3 axis;
    float swing; // degrees at the top of the cycle
    float phase; // fraction of a cycle
    float bob;   // up and down, in model units
};

const float hip = 5.0f;

const Part parts[] = {
    {"HundRumpf", {0.0f, 0.0f, 5.6f}, {1, 0, 0}, 2.0f, 0.0f, 0.15f},
    {"HundKopf", {0.0f, -3.0f, 6.6f}, {1, 0, 0}, 8.0f, 0.25f, 0.15f},
    {"HundSchwanz", {0.0f, 3.2f, 6.4f}, {0, 0, 1}, 35.0f, 0.0f, 0.15f},
    {"HundBeinVL", {-0.9f, -2.2f, hip}, {1, 0, 0}, 24.0f, 0.0f, 0.0f},
    {"HundBeinVR", {0.9f, -2.2f, hip}, {1, 0, 0}, 24.0f, 0.5f, 0.0f},
    {"HundBeinHL", {-0.9f, 2.2f, hip}, {1, 0, 0}, 24.0f, 0.5f, 0.0f},
    {"HundBeinHR", {0.9f, 2.2f, hip}, {1, 0, 0}, 24.0f, 0.0f, 0.0f},
};

glm::mat4 pose(const Part& part, float time) {
    float cycleAngle = glm::two_pi<float>() * (time / DogModel::cycle + part.phase);
    float angle = glm::radians(part.swing) * std::sin(cycleAngle);
    // the body bobs twice per trot
    float lift = part.bob * std::sin(2.0f * glm::two_pi<float>() * time / DogModel::cycle);
    glm::mat4 m = glm::translate(glm::mat4(1.0f), part.pivot + glm::vec3(0.0f, 0.0f, lift));
    return glm::rotate(m, angle, part.axis);
}

Mesh leg() {
    Mesh m = MeshBuilder::cylinder({0.0f, 0.0f, 0.3f}, {0.0f, 0.0f, -hip + 0.4f}, 0.55f, 10, 2.0f);
    m.append(MeshBuilder::ellipsoid({0.0f, -0.25f, -hip + 0.25f}, {0.5f, 0.7f, 0.25f}, 6, 10));
    return m;
}

} // namespace

SceneDescription DogModel::build() {
    SceneDescription scene("hundboese.dae");
    for (const Part& part : parts)
        scene.node(part.name, pose(part, 0.0f));

    scene.add("HundRumpf", "dog_fur", MeshBuilder::ellipsoid({0.0f, 0.0f, 0.0f}, {1.8f, 3.7f, 1.8f}, 12, 18));
    scene.add("HundRumpf", "dog_fur",
              MeshBuilder::ellipsoid({0.0f, -2.2f, 0.4f}, {1.6f, 1.5f, 1.7f}, 10, 14));

    Mesh head = MeshBuilder::ellipsoid({0.0f, -1.2f, 1.0f}, {1.1f, 1.3f, 1.1f}, 10, 16);
    head.append(MeshBuilder::ellipsoid({0.0f, -2.4f, 0.6f}, {0.55f, 0.95f, 0.5f}, 8, 12));
    for (float s : {-1.0f, 1.0f})
        head.append(MeshBuilder::ellipsoid({s * 0.65f, -0.8f, 2.0f}, {0.25f, 0.35f, 0.75f}, 6, 10));
    scene.add("HundKopf", "dog_fur", head);
    Mesh eyes;
    for (float s : {-1.0f, 1.0f})
        eyes.append(MeshBuilder::ellipsoid({s * 0.5f, -2.15f, 1.35f}, glm::vec3(0.22f), 6, 10));
    eyes.append(MeshBuilder::ellipsoid({0.0f, -3.35f, 0.75f}, glm::vec3(0.2f), 6, 8));
    scene.add("HundKopf", "dog_eye", eyes);

    scene.add("HundSchwanz", "dog_fur",
              MeshBuilder::cylinder({0.0f, 0.0f, 0.0f}, {0.0f, 1.6f, 1.8f}, 0.25f, 8, 1.0f));
    for (const char* name : {"HundBeinVL", "HundBeinVR", "HundBeinHL", "HundBeinHR"})
        scene.add(name, "dog_fur", leg());

    const int steps = 8;
    for (const Part& part : parts) {
        NodeAnimation anim{part.name, {}};
        for (int k = 0; k <= steps; ++k) {
            float t = cycle * static_cast<float>(k) / static_cast<float>(steps);
            anim.keys.push_back({t, pose(part, t)});
        }
        scene.animations.push_back(anim);
    }
    return scene;
}
