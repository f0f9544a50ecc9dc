#pragma once

#include "Mesh.h"

#include <functional>
#include <string>

// Builders for the primitive shapes the scenes are assembled from. Lengths are
// scene units; `tile` is how many units one repeat of the texture covers.
class MeshBuilder {
public:
    static Mesh box(glm::vec3 min, glm::vec3 max, float tile = 1.0f);
    // The six faces seen from inside: rooms, the sky box.
    static Mesh inwardBox(glm::vec3 min, glm::vec3 max, float tile = 1.0f);
    // One quad, a b c d counter-clockwise seen from the front.
    static Mesh quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, float tile = 1.0f);
    // A capped cylinder from the centre of one end to the centre of the other.
    static Mesh cylinder(glm::vec3 from, glm::vec3 to, float radius, int segments, float tile = 1.0f);
    static Mesh ellipsoid(glm::vec3 centre, glm::vec3 radii, int rings, int segments);
    // An upward-facing disc at height centre.y.
    static Mesh disc(glm::vec3 centre, float radius, int segments, float tile = 1.0f);
    // A height field over x/z with cells x cells quads, normals from the slope.
    static Mesh terrain(glm::vec2 min, glm::vec2 max, int cellsX, int cellsZ,
                        const std::function<float(float, float)>& height, float tile);
    // Upper-case block letters from a 5 x 7 pixel font, left edge at x = 0,
    // baseline at y = 0, front face towards +z. Unknown characters leave a gap.
    static Mesh blockText(const std::string& text, float pixel, float depth, float& width);
    // Two tiny triangles at opposite corners of a region. A static triangle mesh
    // made of them is touched by bounding box everywhere inside the region while
    // nothing in it can be bumped into.
    static Mesh regionMarkers(glm::vec3 min, glm::vec3 max);
};
