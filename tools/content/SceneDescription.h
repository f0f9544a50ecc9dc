#pragma once

#include "Mesh.h"

#include <string>
#include <vector>

// A mesh drawn with one material, named after its picture (TextureFactory).
struct MeshPart {
    std::string material;
    Mesh mesh;
};

// A node of the visual scene. Its name is also its id, and so the name of
// its model in the game and of the rigid body that targets it.
struct SceneNode {
    std::string name;
    glm::mat4 transform{1.0f};
    std::vector<MeshPart> parts;
};

enum class ShapeKind { Box, Sphere, TriangleMesh };

// One collision shape of a body, in the node's frame.
struct BodyShape {
    ShapeKind kind = ShapeKind::Box;
    glm::vec3 halfExtents{0.5f};
    float radius = 0.5f;
    // Box and sphere only: offset from the node's origin.
    glm::vec3 offset{0.0f};
    Mesh mesh;

    static BodyShape box(glm::vec3 min, glm::vec3 max);
    static BodyShape sphere(glm::vec3 centre, float radius);
    static BodyShape triangles(Mesh mesh);
    // A solid box the player bumps into, found by the game's bounding-box touch
    // test from `reach` away: two tiny triangles below floorY widen its bounds.
    static BodyShape touchable(glm::vec3 min, glm::vec3 max, float reach, float floorY);
    // The same with the reach given per side, for things set into a wall.
    static BodyShape touchable(glm::vec3 min, glm::vec3 max, glm::vec2 reachLow, glm::vec2 reachHigh,
                               float floorY);
};

// A static rigid body placed by the node of the same name.
struct RigidBody {
    std::string node;
    std::vector<BodyShape> shapes;
};

struct NodeKey {
    float time;
    glm::mat4 transform;
};

// Key frames of a node's whole local transform, times in seconds.
struct NodeAnimation {
    std::string node;
    std::vector<NodeKey> keys;
};

// Everything one scene file holds, as data: nodes, bodies, animations.
class SceneDescription {
public:
    explicit SceneDescription(std::string fileName);

    // The node called name; created with transform when there is none yet.
    SceneNode& node(const std::string& name, const glm::mat4& transform = glm::mat4(1.0f));
    // Adds mesh to the node, merged into its part of the same material.
    void add(const std::string& nodeName, const std::string& material, const Mesh& mesh);
    // A body for an existing or new node.
    void addBody(const std::string& nodeName, std::vector<BodyShape> shapes,
                 const glm::mat4& transform = glm::mat4(1.0f));

    const SceneNode* findNode(const std::string& name) const;
    const RigidBody* findBody(const std::string& name) const;
    std::vector<std::string> materials() const;
    std::size_t triangleCount() const;

    std::string fileName;
    std::vector<SceneNode> nodes;
    std::vector<RigidBody> bodies;
    std::vector<NodeAnimation> animations;
};
