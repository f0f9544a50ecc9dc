#include "BedroomScene.h"

#include "MeshBuilder.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// The room's inside. The player falls in from (0, 30, 0) onto the rug, so the
// physics has walls but no ceiling below the lid high above.
const glm::vec3 roomMin(-8.0f, 0.0f, -8.0f);
const glm::vec3 roomMax(8.0f, 10.5f, 9.0f);
const float fenceTop = 60.0f;

const glm::vec3 ballAt(-4.5f, 0.0f, 2.5f);
const glm::vec3 carAt(3.0f, 0.0f, -5.0f);
// Door2, the way into the wheat field, stands in the south wall.
const glm::vec3 doorAt(-4.0f, 0.0f, 9.0f);
// Light L1 hangs in the lamp's shade.
const glm::vec3 lampAt(4.97978f, 9.26364f, 7.35727f);

glm::mat4 at(glm::vec3 p) {
    return glm::translate(glm::mat4(1.0f), p);
}

// Walls, floor and lid as one closed triangle mesh; its bounds cover the whole
// room, so the player always touches it.
Mesh roomShell() {
    glm::vec3 lo = roomMin;
    glm::vec3 hi(roomMax.x, fenceTop, roomMax.z);
    return MeshBuilder::inwardBox(lo, hi);
}

void furniture(SceneDescription& models, SceneDescription& physics) {
    // bed against the north-west corner
    glm::vec3 bedMin(-7.8f, 0.0f, -7.8f), bedMax(-3.0f, 2.3f, -0.8f);
    models.add("Furniture", "wood_dark", MeshBuilder::box(bedMin, {bedMax.x, 1.4f, bedMax.z}, 2.0f));
    models.add("Furniture", "wood_dark", MeshBuilder::box({-7.8f, 0.0f, -7.8f}, {-3.0f, 4.2f, -7.3f}, 2.0f));
    models.add("Furniture", "fabric_blanket",
               MeshBuilder::box({-7.7f, 1.4f, -6.0f}, {-3.1f, 2.3f, -0.7f}, 2.0f));
    models.add("Furniture", "lamp_shade",
               MeshBuilder::ellipsoid({-5.4f, 2.2f, -6.6f}, {1.8f, 0.45f, 0.7f}, 8, 16));
    // wardrobe on the east wall, with gold knobs
    glm::vec3 wardrobeMin(5.4f, 0.0f, -7.0f), wardrobeMax(7.9f, 9.0f, -1.5f);
    models.add("Furniture", "wood_dark", MeshBuilder::box(wardrobeMin, wardrobeMax, 3.0f));
    models.add("Furniture", "door_wood",
               MeshBuilder::quad({5.38f, 0.4f, -1.7f}, {5.38f, 0.4f, -4.2f}, {5.38f, 8.6f, -4.2f},
                                 {5.38f, 8.6f, -1.7f}, 2.5f));
    models.add("Furniture", "door_wood",
               MeshBuilder::quad({5.38f, 0.4f, -4.3f}, {5.38f, 0.4f, -6.8f}, {5.38f, 8.6f, -6.8f},
                                 {5.38f, 8.6f, -4.3f}, 2.5f));
    for (float z : {-4.0f, -4.5f})
        models.add("Furniture", "gold", MeshBuilder::ellipsoid({5.3f, 4.5f, z}, glm::vec3(0.12f), 6, 8));
    // toy chest in the south-west corner
    glm::vec3 chestMin(-7.8f, 0.0f, 3.0f), chestMax(-6.0f, 2.0f, 7.0f);
    models.add("Furniture", "wood_floor", MeshBuilder::box(chestMin, chestMax, 2.0f));
    // shelf over the chest with books
    models.add("Furniture", "wood_dark", MeshBuilder::box({-7.95f, 5.0f, 2.5f}, {-6.9f, 5.2f, 7.5f}, 2.0f));
    for (int book = 0; book < 8; ++book) {
        float z = 2.7f + 0.55f * static_cast<float>(book);
        models.add("Furniture", book % 2 ? "fabric_blanket" : "fabric_rug",
                   MeshBuilder::box({-7.9f, 5.2f, z},
                                    {-7.1f, 6.1f + 0.1f * static_cast<float>(book % 3), z + 0.45f}, 1.0f));
    }

    physics.addBody("Furniture", {BodyShape::box(bedMin, bedMax), BodyShape::box(wardrobeMin, wardrobeMax),
                                  BodyShape::box(chestMin, chestMax)});
}

void roomLook(SceneDescription& models) {
    models.add("Room", "wood_floor",
               MeshBuilder::quad({roomMin.x, 0.0f, roomMax.z}, {roomMax.x, 0.0f, roomMax.z},
                                 {roomMax.x, 0.0f, roomMin.z}, {roomMin.x, 0.0f, roomMin.z}, 4.0f));
    Mesh walls = MeshBuilder::inwardBox({roomMin.x, 0.0f, roomMin.z}, roomMax, 6.0f);
    // drop the shell's own floor, the planks above replace it
    Mesh withoutFloor;
    for (std::size_t i = 0; i < walls.indices.size(); i += 3) {
        const MeshVertex& a = walls.vertices[walls.indices[i]];
        if (a.normal.y > 0.5f)
            continue;
        for (int k = 0; k < 3; ++k)
            withoutFloor.indices.push_back(
                static_cast<unsigned>(withoutFloor.vertices.size() + static_cast<std::size_t>(k)));
        for (int k = 0; k < 3; ++k)
            withoutFloor.vertices.push_back(walls.vertices[walls.indices[i + static_cast<std::size_t>(k)]]);
    }
    models.add("Room", "plaster", withoutFloor);
    // skirting and the door's frame
    Mesh trim;
    trim.append(MeshBuilder::box({roomMin.x, 0.0f, roomMin.z}, {roomMax.x, 0.3f, roomMin.z + 0.1f}, 2.0f));
    trim.append(MeshBuilder::box({roomMin.x, 0.0f, roomMin.z}, {roomMin.x + 0.1f, 0.3f, roomMax.z}, 2.0f));
    trim.append(MeshBuilder::box({roomMax.x - 0.1f, 0.0f, roomMin.z}, {roomMax.x, 0.3f, roomMax.z}, 2.0f));
    trim.append(MeshBuilder::box({doorAt.x - 2.6f, 0.0f, roomMax.z - 0.15f},
                                 {doorAt.x - 2.0f, 9.6f, roomMax.z}, 2.0f));
    trim.append(MeshBuilder::box({doorAt.x + 2.0f, 0.0f, roomMax.z - 0.15f},
                                 {doorAt.x + 2.6f, 9.6f, roomMax.z}, 2.0f));
    trim.append(MeshBuilder::box({doorAt.x - 2.6f, 9.0f, roomMax.z - 0.15f},
                                 {doorAt.x + 2.6f, 9.6f, roomMax.z}, 2.0f));
    models.add("Room", "wood_dark", trim);
    // the window on the north wall, the night outside
    models.add("Room", "window_night",
               MeshBuilder::quad({-1.5f, 3.5f, roomMin.z + 0.02f}, {3.5f, 3.5f, roomMin.z + 0.02f},
                                 {3.5f, 8.0f, roomMin.z + 0.02f}, {-1.5f, 8.0f, roomMin.z + 0.02f}, 5.0f));
    models.add("Room", "wood_dark",
               MeshBuilder::box({-1.8f, 3.2f, roomMin.z}, {3.8f, 3.5f, roomMin.z + 0.5f}, 2.0f));
    // the rug the player lands on
    models.add("Rug", "fabric_rug", MeshBuilder::box({-3.0f, 0.0f, -2.0f}, {3.0f, 0.03f, 4.0f}, 3.0f));
    // ceiling lamp: cord, shade above the light, bulb
    models.add("Lamp", "wood_dark",
               MeshBuilder::cylinder({lampAt.x, 9.9f, lampAt.z}, {lampAt.x, roomMax.y, lampAt.z}, 0.03f, 6));
    Mesh shade = MeshBuilder::cylinder({lampAt.x, 9.4f, lampAt.z}, {lampAt.x, 9.9f, lampAt.z}, 0.7f, 16);
    models.add("Lamp", "lamp_shade", shade);
    models.add("Lamp", "gold", MeshBuilder::ellipsoid({lampAt.x, 9.45f, lampAt.z}, glm::vec3(0.14f), 6, 8));
}

void toys(SceneDescription& models, SceneDescription& physics) {
    models.node("Ball", at(ballAt));
    models.add("Ball", "toy_ball", MeshBuilder::ellipsoid({0.0f, 0.45f, 0.0f}, glm::vec3(0.45f), 12, 18));
    physics.addBody("Ball", {BodyShape::touchable({-0.35f, 0.0f, -0.35f}, {0.35f, 0.8f, 0.35f}, 0.3f, 0.0f)},
                    at(ballAt));

    models.node("Car", at(carAt));
    models.add("Car", "toy_car", MeshBuilder::box({-0.7f, 0.15f, -0.35f}, {0.7f, 0.5f, 0.35f}, 0.7f));
    models.add("Car", "toy_car", MeshBuilder::box({-0.3f, 0.5f, -0.3f}, {0.35f, 0.8f, 0.3f}, 0.7f));
    for (float x : {-0.45f, 0.45f}) {
        for (float z : {-0.36f, 0.28f})
            models.add("Car", "rubber",
                       MeshBuilder::cylinder({x, 0.16f, z}, {x, 0.16f, z + 0.08f}, 0.16f, 12, 0.5f));
    }
    physics.addBody("Car", {BodyShape::touchable({-0.7f, 0.0f, -0.4f}, {0.7f, 0.8f, 0.4f}, 0.3f, 0.0f)},
                    at(carAt));

    models.node("Door2", at(doorAt));
    models.add("Door2", "door_wood", MeshBuilder::box({-2.0f, 0.0f, -0.25f}, {2.0f, 9.0f, 0.0f}, 4.0f));
    models.add("Door2", "gold", MeshBuilder::ellipsoid({1.5f, 4.5f, -0.35f}, glm::vec3(0.15f), 6, 8));
    physics.addBody(
        "Door2",
        {BodyShape::touchable({-2.0f, 0.0f, -0.25f}, {2.0f, 9.0f, 0.0f}, {0.0f, 0.4f}, {0.0f, 0.0f}, 0.0f)},
        at(doorAt));
}

} // namespace

void BedroomScene::build(SceneDescription& models, SceneDescription& physics) {
    roomLook(models);
    physics.addBody("Room", {BodyShape::triangles(roomShell())});
    furniture(models, physics);
    toys(models, physics);
}
