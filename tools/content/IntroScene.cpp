#include "IntroScene.h"

#include "MeshBuilder.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

// The intro camera's eye, and where it looks once the mouse look has taken
// over: 30 degrees down, towards -x/+z.
const glm::vec3 eye(1.14227f, 4.25833f, -1.05787f);
const glm::vec3 lookDirection = glm::normalize(glm::vec3(-0.612372f, -0.5f, 0.612372f));

const float stageTop = 0.3f;
const float letterPixel = 0.14f;
const float letterDepth = 0.22f;

} // namespace

SceneDescription IntroScene::build() {
    SceneDescription scene("intro.DAE");

    glm::vec3 flatForward = glm::normalize(glm::vec3(lookDirection.x, 0.0f, lookDirection.z));
    float letterMiddle = stageTop + 3.5f * letterPixel;
    float distance = (eye.y - letterMiddle) / std::tan(glm::radians(30.0f));
    glm::vec3 titleCentre = glm::vec3(eye.x, stageTop, eye.z) + flatForward * distance;
    // Turns the title's +x into the camera's right and its front towards the eye.
    float facing = glm::radians(135.0f);

    float width = 0.0f;
    Mesh letters = MeshBuilder::blockText("LULLVANE", letterPixel, letterDepth, width);
    glm::mat4 place = glm::translate(glm::mat4(1.0f), titleCentre);
    place = glm::rotate(place, facing, glm::vec3(0, 1, 0));
    place = glm::rotate(place, glm::radians(-18.0f), glm::vec3(1, 0, 0));
    place = glm::translate(place, glm::vec3(-0.5f * width, 0.0f, -0.5f * letterDepth));
    scene.add("Title", "gold", letters.transformed(place));

    // The stage under the title and the room around it, in the title's frame.
    glm::mat4 stageFrame = glm::rotate(glm::translate(glm::mat4(1.0f), titleCentre), facing, glm::vec3(0, 1, 0));
    Mesh stage = MeshBuilder::box({-5.5f, -0.2f, -2.5f}, {5.5f, 0.0f, 3.5f}, 2.0f);
    stage.append(MeshBuilder::box({-1.1f * width * 0.5f, 0.0f, -0.6f}, {1.1f * width * 0.5f, 0.08f, 0.6f}, 1.0f));
    scene.add("Stage", "velvet_red",
              stage.transformed(glm::translate(stageFrame, glm::vec3(0.0f, stageTop, 0.0f))));

    Mesh room = MeshBuilder::box({-20.0f, -0.3f, -20.0f}, {20.0f, 0.0f, 20.0f}, 4.0f);
    // A curtain of folds behind the title and wings at its sides.
    for (int fold = 0; fold < 14; ++fold) {
        float x = -6.5f + static_cast<float>(fold);
        float z = -3.2f - 0.25f * static_cast<float>(fold % 2);
        room.append(MeshBuilder::quad({x, 0.0f, z}, {x + 1.0f, 0.0f, z - 0.25f + 0.5f * static_cast<float>(fold % 2)},
                                      {x + 1.0f, 7.0f, z - 0.25f + 0.5f * static_cast<float>(fold % 2)},
                                      {x, 7.0f, z}, 2.0f));
    }
    for (float side : {-1.0f, 1.0f}) {
        room.append(MeshBuilder::box({side * 6.6f - 0.3f, 0.0f, -3.2f}, {side * 6.6f + 0.3f, 6.0f, 1.5f}, 2.0f));
    }
    scene.add("Curtain", "velvet_red", room.transformed(stageFrame));

    // Gold columns flank the stage, a lamp of gold hangs above it.
    Mesh columns;
    for (float side : {-1.0f, 1.0f}) {
        columns.append(MeshBuilder::cylinder({side * 5.0f, stageTop, 1.8f}, {side * 5.0f, stageTop + 3.2f, 1.8f}, 0.22f, 12));
        columns.append(MeshBuilder::ellipsoid({side * 5.0f, stageTop + 3.45f, 1.8f}, glm::vec3(0.32f), 8, 12));
        columns.append(MeshBuilder::box({side * 5.0f - 0.35f, stageTop, 1.45f}, {side * 5.0f + 0.35f, stageTop + 0.25f, 2.15f}));
    }
    scene.add("Columns", "gold", columns.transformed(stageFrame));

    // The stage is the intro's one physics body; the intro never walks.
    scene.addBody("Stage", {BodyShape::box({-20.0f, -0.3f, -20.0f}, {20.0f, 0.0f, 20.0f})});
    return scene;
}
