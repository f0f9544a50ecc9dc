#include "GardenScene.h"

#include "MeshBuilder.h"
#include "Noise.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The lawn lies just above the mist (-1.32); the valley runs across the whole
// garden from hedge to hedge.
const float lawn = -1.08f;
const glm::vec2 gardenMin(-15.0f, -27.0f);
const glm::vec2 gardenMax(9.0f, 15.0f);
const float valleyNear = -5.0f;
const float valleyFar = -11.0f;
const float valleyFloor = -6.0f;
const float fenceTop = 60.0f;

// Where the dog rests (dogOrigin of the game) and where the bridge is put
// when "FirstTeddy" is touched; until then it waits far below the valley.
const glm::vec3 dogOrigin(-0.192517f, -1.08216f, -16.7954f);
const glm::vec3 bridgePlaced(-9.205f, -0.887f, -8.068f);
const glm::vec3 bridgeHidden(-9.205f, -40.0f, -8.068f);

const glm::vec3 firstTeddyAt(-6.0f, lawn, -3.0f);
const glm::vec3 dogToyAt(-11.0f, lawn, -20.0f);
const glm::vec3 thornsAt[] = {{-4.5f, lawn, -14.5f}, {3.5f, lawn, -19.0f}, {4.5f, lawn, 1.5f}};
// The dog starts its chase while the player is between start and dog.
const glm::vec3 dogTriggerMin(-8.0f, lawn - 1.0f, -4.5f);
const glm::vec3 dogTriggerMax(8.0f, lawn + 4.0f, 5.0f);
// Door2 (to the wheat field) fills Doorframe2; Door (to the end) waits in
// the alcove behind them until the finish moves frame and door away.
const glm::vec3 doorframeAt(4.0f, lawn, -23.0f);
const glm::vec3 endDoorAt(4.0f, lawn, -25.8f);
const glm::vec3 treesAt[] = {{5.5f, lawn, 9.0f}, {-12.0f, lawn, 7.0f}};

glm::mat4 at(glm::vec3 p) {
    return glm::translate(glm::mat4(1.0f), p);
}

float smoothStep(float edge0, float edge1, float x) {
    float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float gardenHeight(float x, float z) {
    static const Noise noise(2024u);
    float ground = lawn + 0.05f * (noise.fractal(x * 0.3f + 50.0f, z * 0.3f + 50.0f, 64, 3) - 0.5f);
    float inValley =
        smoothStep(valleyNear, valleyNear - 0.8f, z) * smoothStep(valleyFar, valleyFar + 0.8f, z);
    return ground + (valleyFloor - ground) * inValley;
}

Mesh teddyBear(float scale) {
    Mesh bear;
    bear.append(MeshBuilder::ellipsoid({0.0f, 0.45f, 0.0f}, {0.35f, 0.42f, 0.3f}, 10, 14));
    bear.append(MeshBuilder::ellipsoid({0.0f, 1.05f, 0.05f}, glm::vec3(0.28f), 10, 14));
    for (float s : {-1.0f, 1.0f}) {
        bear.append(MeshBuilder::ellipsoid({s * 0.2f, 1.3f, 0.0f}, glm::vec3(0.1f), 6, 8));
        bear.append(MeshBuilder::ellipsoid({s * 0.38f, 0.55f, 0.1f}, {0.12f, 0.25f, 0.12f}, 6, 8));
        bear.append(MeshBuilder::ellipsoid({s * 0.2f, 0.12f, 0.2f}, {0.13f, 0.12f, 0.22f}, 6, 8));
    }
    return bear.transformed(glm::scale(glm::mat4(1.0f), glm::vec3(scale)));
}

void groundAndHedges(SceneDescription& scene) {
    glm::vec2 lo = gardenMin - glm::vec2(0.5f);
    glm::vec2 hi = gardenMax + glm::vec2(0.5f);
    Mesh terrain = MeshBuilder::terrain(lo, hi, 50, 86, gardenHeight, 2.0f);
    scene.add("Garden", "grass", terrain);
    scene.add("Garden", "water",
              MeshBuilder::quad({lo.x, valleyFloor + 0.3f, valleyNear - 0.6f},
                                {hi.x, valleyFloor + 0.3f, valleyNear - 0.6f},
                                {hi.x, valleyFloor + 0.3f, valleyFar + 0.6f},
                                {lo.x, valleyFloor + 0.3f, valleyFar + 0.6f}, 3.0f));

    // Hedges round the garden; low in the west so light L2 reaches the lawn.
    Mesh hedges;
    float bottom = valleyFloor - 0.5f;
    hedges.append(MeshBuilder::box({gardenMin.x - 0.8f, bottom, gardenMin.y - 0.8f},
                                   {gardenMin.x, lawn + 1.0f, gardenMax.y + 0.8f}, 2.0f));
    hedges.append(MeshBuilder::box({gardenMax.x, bottom, gardenMin.y - 0.8f},
                                   {gardenMax.x + 0.8f, lawn + 2.5f, gardenMax.y + 0.8f}, 2.0f));
    hedges.append(MeshBuilder::box({gardenMin.x, bottom, gardenMax.y},
                                   {gardenMax.x, lawn + 2.5f, gardenMax.y + 0.8f}, 2.0f));
    hedges.append(MeshBuilder::box({gardenMin.x, bottom, gardenMin.y - 0.8f},
                                   {gardenMax.x, lawn + 2.5f, gardenMin.y}, 2.0f));
    scene.add("Garden", "hedge", hedges);

    // The alcove that holds the door to the end.
    glm::vec3 wallA0(doorframeAt.x - 2.5f, lawn - 0.5f, gardenMin.y),
        wallA1(doorframeAt.x - 1.9f, lawn + 4.6f, doorframeAt.z + 0.3f);
    glm::vec3 wallB0(doorframeAt.x + 1.9f, lawn - 0.5f, gardenMin.y),
        wallB1(doorframeAt.x + 2.5f, lawn + 4.6f, doorframeAt.z + 0.3f);
    Mesh alcove = MeshBuilder::box(wallA0, wallA1, 2.0f);
    alcove.append(MeshBuilder::box(wallB0, wallB1, 2.0f));
    scene.add("Garden", "stone", alcove);

    // Stepping stones from the start towards the first teddy.
    Mesh stones;
    for (int i = 0; i < 9; ++i) {
        float t = static_cast<float>(i) / 8.0f;
        glm::vec2 p = glm::mix(glm::vec2(0.0f, 9.0f), glm::vec2(-5.5f, -1.0f), t);
        stones.append(MeshBuilder::disc({p.x, gardenHeight(p.x, p.y) + 0.03f, p.y}, 0.45f, 10, 1.0f));
    }
    scene.add("Garden", "stone", stones);

    // One body for lawn, valley, fence and lid: its bounds cover the garden, so
    // the player always touches it besides whatever else he touches.
    Mesh shell = terrain;
    Mesh fence =
        MeshBuilder::inwardBox({gardenMin.x, -10.0f, gardenMin.y}, {gardenMax.x, fenceTop, gardenMax.y});
    shell.append(fence);
    shell.append(MeshBuilder::box({wallA0.x, wallA0.y, wallA0.z}, {wallA1.x, fenceTop, wallA1.z}));
    shell.append(MeshBuilder::box({wallB0.x, wallB0.y, wallB0.z}, {wallB1.x, fenceTop, wallB1.z}));
    scene.addBody("Garden", {BodyShape::triangles(shell)});
}

void trees(SceneDescription& scene) {
    std::vector<BodyShape> trunks;
    for (glm::vec3 p : treesAt) {
        scene.add(
            "Trees", "bark",
            MeshBuilder::cylinder(p - glm::vec3(0, 0.3f, 0), p + glm::vec3(0, 6.0f, 0), 0.6f, 12, 2.0f));
        scene.add("Trees", "leaves",
                  MeshBuilder::ellipsoid(p + glm::vec3(0, 7.0f, 0), {3.0f, 2.5f, 3.0f}, 10, 14));
        trunks.push_back(BodyShape::box(p - glm::vec3(0.6f, 0.0f, 0.6f), p + glm::vec3(0.6f, 6.0f, 0.6f)));
    }
    scene.addBody("Trees", trunks);
}

void bridge(SceneDescription& scene) {
    // Built round its body's origin: placed, the deck lies level with the lawn.
    float deckTop = lawn - bridgePlaced.y;
    Mesh deck = MeshBuilder::box({-1.1f, deckTop - 0.1f, -4.6f}, {1.1f, deckTop, 4.6f}, 1.5f);
    Mesh rails;
    for (float side : {-1.0f, 1.0f}) {
        rails.append(MeshBuilder::box({side * 1.0f - 0.07f, deckTop + 0.6f, -4.6f},
                                      {side * 1.0f + 0.07f, deckTop + 0.72f, 4.6f}, 1.0f));
        for (int post = 0; post < 7; ++post) {
            float z = -4.5f + 1.5f * static_cast<float>(post);
            rails.append(MeshBuilder::box({side * 1.0f - 0.08f, deckTop, z - 0.08f},
                                          {side * 1.0f + 0.08f, deckTop + 0.72f, z + 0.08f}, 1.0f));
        }
    }
    scene.node("Bridge", at(bridgeHidden));
    scene.add("Bridge", "wood_floor", deck);
    scene.add("Bridge", "wood_dark", rails);
    Mesh body = deck;
    for (float side : {-1.0f, 1.0f})
        body.append(MeshBuilder::box({side * 1.0f - 0.08f, deckTop, -4.6f},
                                     {side * 1.0f + 0.08f, deckTop + 0.9f, 4.6f}));
    scene.addBody("Bridge", {BodyShape::triangles(body)}, at(bridgeHidden));
}

void toysAndHazards(SceneDescription& scene) {
    scene.node("FirstTeddy", at(firstTeddyAt));
    scene.add("FirstTeddy", "stone", MeshBuilder::box({-0.4f, 0.0f, -0.4f}, {0.4f, 0.3f, 0.4f}, 1.0f));
    scene.add("FirstTeddy", "teddy_fur", teddyBear(0.8f).transformed(at({0.0f, 0.3f, 0.0f})));
    scene.addBody("FirstTeddy",
                  {BodyShape::touchable({-0.45f, 0.0f, -0.45f}, {0.45f, 1.3f, 0.45f}, 0.35f, 0.0f)},
                  at(firstTeddyAt));

    scene.node("Dog", at(dogToyAt));
    Mesh toy;
    toy.append(MeshBuilder::ellipsoid({0.0f, 0.35f, 0.0f}, {0.22f, 0.2f, 0.35f}, 8, 12));
    toy.append(MeshBuilder::ellipsoid({0.0f, 0.55f, 0.35f}, {0.16f, 0.15f, 0.18f}, 8, 12));
    toy.append(MeshBuilder::ellipsoid({0.0f, 0.52f, 0.52f}, {0.08f, 0.07f, 0.1f}, 6, 8));
    for (float s : {-1.0f, 1.0f}) {
        toy.append(MeshBuilder::ellipsoid({s * 0.13f, 0.58f, 0.32f}, {0.04f, 0.14f, 0.08f}, 6, 8));
        for (float z : {-0.22f, 0.2f})
            toy.append(MeshBuilder::cylinder({s * 0.12f, 0.0f, z}, {s * 0.12f, 0.25f, z}, 0.06f, 8));
    }
    toy.append(MeshBuilder::cylinder({0.0f, 0.4f, -0.33f}, {0.0f, 0.6f, -0.5f}, 0.03f, 6));
    scene.add("Dog", "toy_dog", toy);
    scene.addBody("Dog", {BodyShape::touchable({-0.3f, 0.0f, -0.45f}, {0.3f, 0.7f, 0.65f}, 0.35f, 0.0f)},
                  at(dogToyAt));

    int n = 0;
    for (glm::vec3 p : thornsAt) {
        char name[16];
        std::snprintf(name, sizeof name, "Sphere.%03d", ++n);
        scene.node(name, at(p));
        Mesh ball = MeshBuilder::ellipsoid({0.0f, 0.55f, 0.0f}, glm::vec3(0.55f), 10, 14);
        for (int spike = 0; spike < 10; ++spike) {
            float a = glm::two_pi<float>() * static_cast<float>(spike) / 10.0f;
            float e = 0.6f * std::sin(static_cast<float>(spike) * 1.7f);
            glm::vec3 d(std::cos(a) * std::cos(e), std::sin(e), std::sin(a) * std::cos(e));
            ball.append(MeshBuilder::cylinder(glm::vec3(0, 0.55f, 0) + d * 0.45f,
                                              glm::vec3(0, 0.55f, 0) + d * 0.85f, 0.05f, 5));
        }
        scene.add(name, "thorn", ball);
        scene.addBody(name, {BodyShape::touchable({-0.5f, 0.0f, -0.5f}, {0.5f, 1.1f, 0.5f}, 0.25f, 0.0f)},
                      at(p));
    }

    // The resting dog itself is drawn from its own file; this is its bite.
    glm::vec3 dogFeet(dogOrigin.x, lawn, dogOrigin.z);
    scene.addBody("hund", {BodyShape::touchable({-0.45f, 0.0f, -0.75f}, {0.45f, 1.1f, 0.75f}, 0.2f, 0.0f)},
                  at(dogFeet));

    scene.addBody("DogTrigger",
                  {BodyShape::triangles(MeshBuilder::regionMarkers(dogTriggerMin, dogTriggerMax))});
}

void doors(SceneDescription& scene) {
    scene.node("Doorframe2", at(doorframeAt));
    Mesh frame;
    frame.append(MeshBuilder::box({-2.0f, 0.0f, -0.3f}, {-1.5f, 4.0f, 0.3f}, 1.5f));
    frame.append(MeshBuilder::box({1.5f, 0.0f, -0.3f}, {2.0f, 4.0f, 0.3f}, 1.5f));
    frame.append(MeshBuilder::box({-2.0f, 4.0f, -0.3f}, {2.0f, 4.6f, 0.3f}, 1.5f));
    scene.add("Doorframe2", "stone", frame);
    // The posts, the lintel and an invisible wall above it: nobody flies over.
    scene.addBody("Doorframe2",
                  {BodyShape::box({-2.0f, 0.0f, -0.3f}, {-1.5f, 4.0f, 0.3f}),
                   BodyShape::box({1.5f, 0.0f, -0.3f}, {2.0f, 4.0f, 0.3f}),
                   BodyShape::box({-2.0f, 4.0f, -0.3f}, {2.0f, fenceTop - doorframeAt.y, 0.3f})},
                  at(doorframeAt));

    scene.node("Door2", at(doorframeAt));
    scene.add("Door2", "door_wood", MeshBuilder::box({-1.5f, 0.0f, -0.1f}, {1.5f, 4.0f, 0.1f}, 3.0f));
    scene.add("Door2", "gold", MeshBuilder::ellipsoid({1.1f, 2.0f, 0.18f}, glm::vec3(0.1f), 6, 8));
    scene.addBody("Door2", {BodyShape::touchable({-1.5f, 0.0f, -0.1f}, {1.5f, 4.0f, 0.1f}, 0.4f, 0.0f)},
                  at(doorframeAt));

    scene.node("Door", at(endDoorAt));
    scene.add("Door", "gold", MeshBuilder::box({-1.6f, 0.0f, -0.12f}, {1.6f, 4.4f, 0.12f}, 2.0f));
    scene.add("Door", "marble_white", MeshBuilder::box({-1.2f, 0.4f, 0.12f}, {1.2f, 4.0f, 0.16f}, 2.0f));
    scene.addBody("Door", {BodyShape::touchable({-1.6f, 0.0f, -0.12f}, {1.6f, 4.4f, 0.12f}, 0.4f, 0.0f)},
                  at(endDoorAt));
}

} // namespace

SceneDescription GardenScene::build() {
    SceneDescription scene("FirstScene.DAE");
    groundAndHedges(scene);
    trees(scene);
    bridge(scene);
    toysAndHazards(scene);
    doors(scene);
    return scene;
}
