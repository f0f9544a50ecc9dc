#include "IntroScene.h"

#include "MeshBuilder.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// The intro camera's eye. Its first look is set by hand; then the mouse look
// takes over, which turns it by quarter turns from (-x, +z) as the mouse
// starts out, 30 degrees down when it has not moved. The hall's walls face
// those headings.
const glm::vec3 eye(1.14227f, 4.25833f, -1.05787f);
const float firstHeading = 135.0f;

const float wallDistance = 8.5f;
const float ledgeDepth = 1.6f;
const float ledgeTop = 1.15f;
const float hallHeight = 10.0f;
const float letterPixel = 0.17f;
const float letterDepth = 0.25f;

} // namespace

SceneDescription IntroScene::build() {
    SceneDescription scene("intro.DAE");
    const glm::vec3 floorCentre(eye.x, 0.0f, eye.z);

    float width = 0.0f;
    Mesh letters = MeshBuilder::blockText("LULLVANE", letterPixel, letterDepth, width);
    for (int wall = 0; wall < 4; ++wall) {
        // Each wall's frame: +x runs left to right as seen from the eye, +z
        // points back at the eye, the origin lies on the floor below the title.
        glm::mat4 frame = glm::translate(glm::mat4(1.0f), floorCentre);
        frame = glm::rotate(frame, glm::radians(firstHeading + 90.0f * static_cast<float>(wall)),
                            glm::vec3(0, 1, 0));
        frame = glm::translate(frame, glm::vec3(0.0f, 0.0f, -(wallDistance - ledgeDepth * 0.5f)));

        glm::mat4 title = glm::translate(frame, glm::vec3(0.0f, ledgeTop, 0.0f));
        title = glm::rotate(title, glm::radians(-10.0f), glm::vec3(1, 0, 0));
        title = glm::translate(title, glm::vec3(-0.5f * width, 0.0f, -0.5f * letterDepth));
        scene.add("Title", "gold", letters.transformed(title));

        float half = wallDistance;
        Mesh ledge =
            MeshBuilder::box({-half, 0.0f, -ledgeDepth * 0.5f}, {half, ledgeTop, ledgeDepth * 0.5f}, 2.0f);
        scene.add("Stage", "velvet_red", ledge.transformed(frame));

        // A curtain of folds on the wall behind the title.
        Mesh curtain;
        for (int fold = 0; fold < 17; ++fold) {
            float x = -half + static_cast<float>(fold);
            float z0 = -ledgeDepth * 0.5f - 0.05f - 0.3f * static_cast<float>(fold % 2);
            float z1 = -ledgeDepth * 0.5f - 0.05f - 0.3f * static_cast<float>((fold + 1) % 2);
            curtain.append(MeshBuilder::quad({x, 0.0f, z0}, {x + 1.0f, 0.0f, z1}, {x + 1.0f, hallHeight, z1},
                                             {x, hallHeight, z0}, 2.0f));
        }
        scene.add("Curtain", "velvet_red", curtain.transformed(frame));

        // gold columns at the ends of each ledge
        Mesh columns;
        for (float side : {-1.0f, 1.0f}) {
            glm::vec3 base(side * (half - 1.0f), ledgeTop, 0.0f);
            columns.append(MeshBuilder::cylinder(base, base + glm::vec3(0, 4.0f, 0), 0.25f, 12));
            columns.append(MeshBuilder::ellipsoid(base + glm::vec3(0, 4.3f, 0), glm::vec3(0.35f), 8, 12));
        }
        scene.add("Columns", "gold", columns.transformed(frame));
    }

    glm::vec3 lo = floorCentre - glm::vec3(wallDistance + 1.0f, 0.0f, wallDistance + 1.0f);
    glm::vec3 hi = floorCentre + glm::vec3(wallDistance + 1.0f, hallHeight, wallDistance + 1.0f);
    glm::mat4 turn = glm::translate(glm::mat4(1.0f), floorCentre) *
                     glm::rotate(glm::mat4(1.0f), glm::radians(firstHeading), glm::vec3(0, 1, 0)) *
                     glm::translate(glm::mat4(1.0f), -floorCentre);
    scene.add("Stage", "velvet_red", MeshBuilder::inwardBox(lo, hi, 3.0f).transformed(turn));
    // a chandelier of gold over the eye
    scene.add("Columns", "gold",
              MeshBuilder::cylinder({eye.x, hallHeight - 1.5f, eye.z}, {eye.x, hallHeight, eye.z}, 0.05f, 6));
    scene.add("Columns", "gold",
              MeshBuilder::ellipsoid({eye.x, hallHeight - 1.7f, eye.z}, {1.0f, 0.3f, 1.0f}, 8, 16));

    // The hall's floor is the intro's one physics body; the intro never walks.
    scene.addBody("Stage", {BodyShape::box(lo - glm::vec3(0.0f, 0.3f, 0.0f), {hi.x, 0.0f, hi.z})});
    return scene;
}
