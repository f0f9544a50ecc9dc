#include "SceneDescription.h"

#include "MeshBuilder.h"

#include <algorithm>
#include <utility>

BodyShape BodyShape::box(glm::vec3 min, glm::vec3 max) {
    BodyShape s;
    s.kind = ShapeKind::Box;
    s.halfExtents = (max - min) * 0.5f;
    s.offset = (max + min) * 0.5f;
    return s;
}

BodyShape BodyShape::sphere(glm::vec3 centre, float radius) {
    BodyShape s;
    s.kind = ShapeKind::Sphere;
    s.radius = radius;
    s.offset = centre;
    return s;
}

BodyShape BodyShape::triangles(Mesh mesh) {
    BodyShape s;
    s.kind = ShapeKind::TriangleMesh;
    s.mesh = std::move(mesh);
    return s;
}

SceneDescription::SceneDescription(std::string fileName) : fileName(std::move(fileName)) {}

SceneNode& SceneDescription::node(const std::string& name, const glm::mat4& transform) {
    for (SceneNode& n : nodes) {
        if (n.name == name)
            return n;
    }
    nodes.push_back({name, transform, {}});
    return nodes.back();
}

void SceneDescription::add(const std::string& nodeName, const std::string& material, const Mesh& mesh) {
    SceneNode& n = node(nodeName);
    for (MeshPart& part : n.parts) {
        if (part.material == material) {
            part.mesh.append(mesh);
            return;
        }
    }
    n.parts.push_back({material, mesh});
}

void SceneDescription::addBody(const std::string& nodeName, std::vector<BodyShape> shapes,
                               const glm::mat4& transform) {
    node(nodeName, transform);
    for (RigidBody& body : bodies) {
        if (body.node == nodeName) {
            body.shapes.insert(body.shapes.end(), shapes.begin(), shapes.end());
            return;
        }
    }
    bodies.push_back({nodeName, std::move(shapes)});
}

const SceneNode* SceneDescription::findNode(const std::string& name) const {
    for (const SceneNode& n : nodes) {
        if (n.name == name)
            return &n;
    }
    return nullptr;
}

const RigidBody* SceneDescription::findBody(const std::string& name) const {
    for (const RigidBody& b : bodies) {
        if (b.node == name)
            return &b;
    }
    return nullptr;
}

std::vector<std::string> SceneDescription::materials() const {
    std::vector<std::string> list;
    for (const SceneNode& n : nodes) {
        for (const MeshPart& part : n.parts) {
            if (std::find(list.begin(), list.end(), part.material) == list.end())
                list.push_back(part.material);
        }
    }
    return list;
}

std::size_t SceneDescription::triangleCount() const {
    std::size_t count = 0;
    for (const SceneNode& n : nodes) {
        for (const MeshPart& part : n.parts)
            count += part.mesh.triangleCount();
    }
    return count;
}

BodyShape BodyShape::touchable(glm::vec3 min, glm::vec3 max, float reach, float floorY) {
    return touchable(min, max, glm::vec2(reach), glm::vec2(reach), floorY);
}

BodyShape BodyShape::touchable(glm::vec3 min, glm::vec3 max, glm::vec2 reachLow, glm::vec2 reachHigh,
                               float floorY) {
    Mesh mesh = MeshBuilder::box(min, max);
    mesh.append(MeshBuilder::regionMarkers({min.x - reachLow.x, floorY - 0.5f, min.z - reachLow.y},
                                           {max.x + reachHigh.x, floorY - 0.5f, max.z + reachHigh.y}));
    return triangles(std::move(mesh));
}
