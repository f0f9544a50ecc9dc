#include "WheatfieldScene.h"

#include "MeshBuilder.h"
#include "Noise.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <string>

namespace {

// The walkable field inside its fence. The player arrives at (6.79402, 5,
// -17.5614) and drops onto it.
const glm::vec2 fieldMin(-6.0f, -42.0f);
const glm::vec2 fieldMax(20.0f, -12.0f);
const float fenceTop = 60.0f;

const glm::vec3 teddyAt(14.0f, 0.0f, -35.0f);
const glm::vec3 treeAt(17.0f, 0.0f, -38.5f);
// Door3, the gate home to the bedroom, in the west fence.
const glm::vec3 gateAt(-5.75f, 0.0f, -25.0f);

// Mown paths through the wheat: start north to the tree, west to the gate,
// east to the teddy.
struct Strip {
    glm::vec2 min, max;
};
const Strip paths[] = {
    {{4.8f, -38.0f}, {8.8f, -11.0f}},
    {{-7.0f, -27.0f}, {8.8f, -23.0f}},
    {{4.8f, -38.0f}, {17.5f, -32.5f}},
};

glm::mat4 at(glm::vec3 p) {
    return glm::translate(glm::mat4(1.0f), p);
}

bool onPath(float x, float z, float margin) {
    for (const Strip& s : paths) {
        if (x > s.min.x - margin && x < s.max.x + margin && z > s.min.y - margin && z < s.max.y + margin)
            return true;
    }
    return false;
}

// Flat inside the fence, rolling hills beyond it towards the horizon.
float groundHeight(float x, float z) {
    static const Noise noise(4711u);
    float dx = std::max({fieldMin.x - 2.0f - x, x - fieldMax.x - 2.0f, 0.0f});
    float dz = std::max({fieldMin.y - 2.0f - z, z - fieldMax.y - 2.0f, 0.0f});
    float away = std::sqrt(dx * dx + dz * dz);
    float hills = noise.fractal(x * 0.03f + 10.0f, z * 0.03f + 10.0f, 64, 4);
    return std::min(away * 0.08f, 1.0f) * (hills * 9.0f - 1.0f) * std::min(away * 0.05f, 1.0f) * 1.5f;
}

// One clump: a few crossed upright quads, from the ground up.
Mesh wheatClump(glm::vec2 centre, float height, float turn) {
    Mesh clump;
    for (int q = 0; q < 3; ++q) {
        float a = turn + glm::pi<float>() * static_cast<float>(q) / 3.0f;
        glm::vec3 side(std::cos(a) * 0.45f, 0.0f, std::sin(a) * 0.45f);
        glm::vec3 base(centre.x, 0.0f, centre.y);
        glm::vec3 up(0.0f, height, 0.0f);
        clump.addQuad(base - side, base + side, base + side + up, base - side + up, {1.0f, 1.0f});
    }
    return clump;
}

void wheat(SceneDescription& models) {
    Noise scatter(99u);
    const float patch = 8.0f;
    int count = 0;
    for (float pz = fieldMin.y - 8.0f; pz < fieldMax.y + 4.0f; pz += patch) {
        for (float px = fieldMin.x - 8.0f; px < fieldMax.x + 8.0f; px += patch) {
            glm::vec2 centre(px + patch * 0.5f, pz + patch * 0.5f);
            Mesh patchMesh;
            int kx = static_cast<int>(std::floor(px));
            int kz = static_cast<int>(std::floor(pz));
            for (int c = 0; c < 52; ++c) {
                float u = scatter.cell(kx * 31 + c, kz * 17 + c * 3);
                float v = scatter.cell(kz * 13 + c * 7, kx * 29 + c);
                glm::vec2 local((u - 0.5f) * patch, (v - 0.5f) * patch);
                glm::vec2 world = centre + local;
                if (onPath(world.x, world.y, 0.5f))
                    continue;
                float height = 1.6f + 0.8f * scatter.cell(c * 5 + kx, c * 11 + kz);
                patchMesh.append(wheatClump(local, height, u * glm::two_pi<float>()));
            }
            if (patchMesh.empty())
                continue;
            // The sway grows with the height above the node's origin, so each
            // patch stands on its own origin on the ground.
            std::string name = "Wheat_" + std::to_string(++count);
            models.node(name, at({centre.x, groundHeight(centre.x, centre.y), centre.y}));
            models.add(name, "wheat", patchMesh);
        }
    }
}

void fence(SceneDescription& models) {
    Mesh posts;
    Mesh rails;
    auto run = [&](glm::vec2 from, glm::vec2 to) {
        glm::vec2 d = to - from;
        int n = static_cast<int>(std::ceil(glm::length(d) / 3.0f));
        for (int i = 0; i <= n; ++i) {
            glm::vec2 p = from + d * (static_cast<float>(i) / static_cast<float>(n));
            posts.append(
                MeshBuilder::box({p.x - 0.15f, 0.0f, p.y - 0.15f}, {p.x + 0.15f, 2.4f, p.y + 0.15f}, 1.0f));
        }
        for (float h : {0.9f, 1.9f}) {
            glm::vec2 lo = glm::min(from, to) - glm::vec2(0.06f);
            glm::vec2 hi = glm::max(from, to) + glm::vec2(0.06f);
            rails.append(MeshBuilder::box({lo.x, h, lo.y}, {hi.x, h + 0.18f, hi.y}, 2.0f));
        }
    };
    run({fieldMin.x, fieldMax.y}, {fieldMax.x, fieldMax.y});
    run({fieldMin.x, fieldMin.y}, {fieldMax.x, fieldMin.y});
    run({fieldMax.x, fieldMin.y}, {fieldMax.x, fieldMax.y});
    // the west fence leaves room for the gate
    run({fieldMin.x, fieldMax.y}, {fieldMin.x, gateAt.z + 2.2f});
    run({fieldMin.x, gateAt.z - 2.2f}, {fieldMin.x, fieldMin.y});
    posts.append(MeshBuilder::box({fieldMin.x - 0.25f, 0.0f, gateAt.z - 2.45f},
                                  {fieldMin.x + 0.25f, 6.6f, gateAt.z - 1.95f}));
    posts.append(MeshBuilder::box({fieldMin.x - 0.25f, 0.0f, gateAt.z + 1.95f},
                                  {fieldMin.x + 0.25f, 6.6f, gateAt.z + 2.45f}));
    posts.append(MeshBuilder::box({fieldMin.x - 0.25f, 6.1f, gateAt.z - 2.45f},
                                  {fieldMin.x + 0.25f, 6.6f, gateAt.z + 2.45f}));
    models.add("Fence", "wood_dark", posts);
    models.add("Fence", "wood_floor", rails);
}

void teddy(SceneDescription& models, SceneDescription& physics) {
    models.node("Teddy", at(teddyAt));
    Mesh bear;
    bear.append(MeshBuilder::ellipsoid({0.0f, 0.45f, 0.0f}, {0.35f, 0.42f, 0.3f}, 10, 14));
    bear.append(MeshBuilder::ellipsoid({0.0f, 1.05f, 0.05f}, glm::vec3(0.28f), 10, 14));
    for (float s : {-1.0f, 1.0f}) {
        bear.append(MeshBuilder::ellipsoid({s * 0.2f, 1.3f, 0.0f}, glm::vec3(0.1f), 6, 8));
        bear.append(MeshBuilder::ellipsoid({s * 0.38f, 0.55f, 0.1f}, {0.12f, 0.25f, 0.12f}, 6, 8));
        bear.append(MeshBuilder::ellipsoid({s * 0.2f, 0.12f, 0.2f}, {0.13f, 0.12f, 0.22f}, 6, 8));
    }
    bear.append(MeshBuilder::ellipsoid({0.0f, 1.0f, 0.3f}, {0.11f, 0.09f, 0.09f}, 6, 8));
    models.add("Teddy", "teddy_fur", bear);
    physics.addBody("Teddy",
                    {BodyShape::touchable({-0.45f, 0.0f, -0.35f}, {0.45f, 1.35f, 0.45f}, 0.35f, 0.0f)},
                    at(teddyAt));
}

void tree(SceneDescription& models, SceneDescription& physics) {
    models.node("Tree", at(treeAt));
    models.add("Tree", "bark",
               MeshBuilder::cylinder({0.0f, -0.5f, 0.0f}, {0.0f, 7.0f, 0.0f}, 0.8f, 14, 2.0f));
    models.add("Tree", "bark", MeshBuilder::cylinder({0.0f, 4.5f, 0.0f}, {2.0f, 7.5f, 0.5f}, 0.35f, 8, 2.0f));
    Mesh crown;
    crown.append(MeshBuilder::ellipsoid({0.0f, 8.5f, 0.0f}, {4.0f, 3.0f, 4.0f}, 10, 16));
    crown.append(MeshBuilder::ellipsoid({2.2f, 7.8f, 1.0f}, {2.5f, 2.0f, 2.5f}, 8, 12));
    models.add("Tree", "leaves", crown);
    physics.addBody("Tree", {BodyShape::box({-0.8f, 0.0f, -0.8f}, {0.8f, 7.0f, 0.8f})}, at(treeAt));
}

} // namespace

void WheatfieldScene::build(SceneDescription& models, SceneDescription& physics) {
    glm::vec3 centre((fieldMin.x + fieldMax.x) * 0.5f, 0.0f, (fieldMin.y + fieldMax.y) * 0.5f);
    models.add("Field", "soil",
               MeshBuilder::terrain({centre.x - 70.0f, centre.z - 70.0f},
                                    {centre.x + 70.0f, centre.z + 70.0f}, 56, 56, groundHeight, 3.0f));
    Mesh floorAndFence =
        MeshBuilder::inwardBox({fieldMin.x, 0.0f, fieldMin.y}, {fieldMax.x, fenceTop, fieldMax.y});
    physics.addBody("Field", {BodyShape::triangles(floorAndFence)});

    wheat(models);
    fence(models);
    teddy(models, physics);
    tree(models, physics);

    models.node("Door3", at(gateAt));
    models.add("Door3", "door_wood", MeshBuilder::box({-0.15f, 0.0f, -1.95f}, {0.15f, 6.1f, 1.95f}, 4.0f));
    models.add("Door3", "gold", MeshBuilder::ellipsoid({0.25f, 3.0f, 1.4f}, glm::vec3(0.15f), 6, 8));
    physics.addBody("Door3",
                    {BodyShape::touchable({-0.15f, 0.0f, -1.95f}, {0.15f, 6.1f, 1.95f}, {0.0f, 0.0f},
                                          {0.4f, 0.0f}, 0.0f)},
                    at(gateAt));

    // "Skyb_" passes the sky-box name rule of the scene import; "Skybox" would not.
    models.add("Skyb_1", "sky",
               MeshBuilder::inwardBox(centre - glm::vec3(200.0f), centre + glm::vec3(200.0f), 400.0f));
}
