#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <vector>

struct MeshVertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

// An indexed triangle list with a normal and a texture coordinate per vertex.
// Front faces wind counter-clockwise, as the game culls back faces.
class Mesh {
public:
    unsigned addVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv);
    void addTriangle(unsigned a, unsigned b, unsigned c);
    // a, b, c, d counter-clockwise seen from the front; the texture spans (0, 0) to uvMax.
    void addQuad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 uvMax);
    void append(const Mesh& other);
    void append(const Mesh& other, const glm::mat4& transform);
    Mesh transformed(const glm::mat4& transform) const;
    bool empty() const { return indices.empty(); }
    std::size_t triangleCount() const { return indices.size() / 3; }
    void bounds(glm::vec3& min, glm::vec3& max) const;

    std::vector<MeshVertex> vertices;
    std::vector<unsigned> indices;
};
