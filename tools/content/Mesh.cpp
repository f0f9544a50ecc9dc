#include "Mesh.h"

#include <algorithm>
#include <limits>

unsigned Mesh::addVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv) {
    vertices.push_back({position, normal, uv});
    return static_cast<unsigned>(vertices.size() - 1);
}

void Mesh::addTriangle(unsigned a, unsigned b, unsigned c) {
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

void Mesh::addQuad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 uvMax) {
    glm::vec3 n = glm::cross(b - a, d - a);
    float length = glm::length(n);
    n = length > 0.0f ? n / length : glm::vec3(0.0f, 1.0f, 0.0f);
    unsigned ia = addVertex(a, n, {0.0f, 0.0f});
    unsigned ib = addVertex(b, n, {uvMax.x, 0.0f});
    unsigned ic = addVertex(c, n, {uvMax.x, uvMax.y});
    unsigned id = addVertex(d, n, {0.0f, uvMax.y});
    addTriangle(ia, ib, ic);
    addTriangle(ia, ic, id);
}

void Mesh::append(const Mesh& other) {
    auto base = static_cast<unsigned>(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (unsigned index : other.indices)
        indices.push_back(base + index);
}

void Mesh::append(const Mesh& other, const glm::mat4& transform) {
    append(other.transformed(transform));
}

Mesh Mesh::transformed(const glm::mat4& transform) const {
    Mesh result = *this;
    glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(transform)));
    // A mirroring transform turns the winding; keep the front faces in front.
    bool mirrored = glm::determinant(glm::mat3(transform)) < 0.0f;
    for (MeshVertex& v : result.vertices) {
        v.position = glm::vec3(transform * glm::vec4(v.position, 1.0f));
        glm::vec3 n = normalMatrix * v.normal;
        float length = glm::length(n);
        v.normal = length > 0.0f ? n / length : v.normal;
    }
    if (mirrored) {
        for (std::size_t i = 0; i + 2 < result.indices.size(); i += 3)
            std::swap(result.indices[i + 1], result.indices[i + 2]);
    }
    return result;
}

void Mesh::bounds(glm::vec3& min, glm::vec3& max) const {
    min = glm::vec3(std::numeric_limits<float>::max());
    max = glm::vec3(-std::numeric_limits<float>::max());
    for (const MeshVertex& v : vertices) {
        min = glm::min(min, v.position);
        max = glm::max(max, v.position);
    }
}
