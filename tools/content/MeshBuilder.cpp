#include "MeshBuilder.h"

#include <glm/gtc/constants.hpp>

#include <array>
#include <cmath>

namespace {

glm::vec2 uvFor(float width, float height, float tile) {
    return {width / tile, height / tile};
}

// Rows from top to bottom, five columns each.
const char* glyph(char c) {
    switch (c) {
    case 'A':
        return ".###."
               "#...#"
               "#...#"
               "#####"
               "#...#"
               "#...#"
               "#...#";
    case 'E':
        return "#####"
               "#...."
               "#...."
               "####."
               "#...."
               "#...."
               "#####";
    case 'L':
        return "#...."
               "#...."
               "#...."
               "#...."
               "#...."
               "#...."
               "#####";
    case 'N':
        return "#...#"
               "##..#"
               "#.#.#"
               "#..##"
               "#...#"
               "#...#"
               "#...#";
    case 'U':
        return "#...#"
               "#...#"
               "#...#"
               "#...#"
               "#...#"
               "#...#"
               ".###.";
    case 'V':
        return "#...#"
               "#...#"
               "#...#"
               "#...#"
               "#...#"
               ".#.#."
               "..#..";
    default:
        return nullptr;
    }
}

} // namespace

Mesh MeshBuilder::quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, float tile) {
    Mesh mesh;
    mesh.addQuad(a, b, c, d, uvFor(glm::length(b - a), glm::length(d - a), tile));
    return mesh;
}

Mesh MeshBuilder::box(glm::vec3 lo, glm::vec3 hi, float tile) {
    Mesh m;
    glm::vec3 s = hi - lo;
    // +x, -x, +y, -y, +z, -z
    m.addQuad({hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z},
              uvFor(s.z, s.y, tile));
    m.addQuad({lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z},
              uvFor(s.z, s.y, tile));
    m.addQuad({lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
              uvFor(s.x, s.z, tile));
    m.addQuad({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z},
              uvFor(s.x, s.z, tile));
    m.addQuad({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z},
              uvFor(s.x, s.y, tile));
    m.addQuad({hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z},
              uvFor(s.x, s.y, tile));
    return m;
}

Mesh MeshBuilder::inwardBox(glm::vec3 lo, glm::vec3 hi, float tile) {
    Mesh m;
    glm::vec3 s = hi - lo;
    m.addQuad({hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z},
              uvFor(s.z, s.y, tile));
    m.addQuad({lo.x, lo.y, hi.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z},
              uvFor(s.z, s.y, tile));
    m.addQuad({lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z},
              uvFor(s.x, s.z, tile));
    m.addQuad({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z},
              uvFor(s.x, s.z, tile));
    m.addQuad({hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z},
              uvFor(s.x, s.y, tile));
    m.addQuad({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
              uvFor(s.x, s.y, tile));
    return m;
}

Mesh MeshBuilder::cylinder(glm::vec3 from, glm::vec3 to, float radius, int segments, float tile) {
    Mesh m;
    glm::vec3 axis = to - from;
    float length = glm::length(axis);
    glm::vec3 dir = axis / length;
    glm::vec3 helper = std::fabs(dir.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    glm::vec3 u = glm::normalize(glm::cross(helper, dir));
    glm::vec3 v = glm::cross(dir, u);
    float around = glm::two_pi<float>() * radius / tile;
    for (int i = 0; i <= segments; ++i) {
        float a = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(segments);
        glm::vec3 n = std::cos(a) * u + std::sin(a) * v;
        float s = around * static_cast<float>(i) / static_cast<float>(segments);
        m.addVertex(from + n * radius, n, {s, 0.0f});
        m.addVertex(to + n * radius, n, {s, length / tile});
    }
    for (int i = 0; i < segments; ++i) {
        unsigned b = static_cast<unsigned>(2 * i);
        m.addTriangle(b, b + 2, b + 3);
        m.addTriangle(b, b + 3, b + 1);
    }
    for (int end = 0; end < 2; ++end) {
        glm::vec3 centre = end == 0 ? from : to;
        glm::vec3 n = end == 0 ? -dir : dir;
        unsigned c = m.addVertex(centre, n, {0.5f, 0.5f});
        unsigned first = static_cast<unsigned>(m.vertices.size());
        for (int i = 0; i < segments; ++i) {
            float a = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(segments);
            glm::vec3 r = std::cos(a) * u + std::sin(a) * v;
            m.addVertex(centre + r * radius, n, {0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
        }
        for (int i = 0; i < segments; ++i) {
            unsigned p = first + static_cast<unsigned>(i);
            unsigned q = first + static_cast<unsigned>((i + 1) % segments);
            if (end == 0)
                m.addTriangle(c, q, p);
            else
                m.addTriangle(c, p, q);
        }
    }
    return m;
}

Mesh MeshBuilder::ellipsoid(glm::vec3 centre, glm::vec3 radii, int rings, int segments) {
    Mesh m;
    for (int r = 0; r <= rings; ++r) {
        float phi = glm::pi<float>() * static_cast<float>(r) / static_cast<float>(rings);
        for (int s = 0; s <= segments; ++s) {
            float theta = glm::two_pi<float>() * static_cast<float>(s) / static_cast<float>(segments);
            glm::vec3 unit(std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta));
            glm::vec3 n = glm::normalize(unit / radii);
            m.addVertex(centre + unit * radii, n,
                        {static_cast<float>(s) / static_cast<float>(segments) * 2.0f,
                         1.0f - static_cast<float>(r) / static_cast<float>(rings)});
        }
    }
    unsigned row = static_cast<unsigned>(segments + 1);
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            unsigned a = static_cast<unsigned>(r) * row + static_cast<unsigned>(s);
            unsigned b = a + row;
            // the rows at the poles close in one point: one triangle per quad there
            if (r > 0)
                m.addTriangle(a, a + 1, b + 1);
            if (r < rings - 1)
                m.addTriangle(a, b + 1, b);
        }
    }
    return m;
}

Mesh MeshBuilder::disc(glm::vec3 centre, float radius, int segments, float tile) {
    Mesh m;
    glm::vec3 up(0, 1, 0);
    unsigned c = m.addVertex(centre, up, {0.0f, 0.0f});
    for (int i = 0; i < segments; ++i) {
        float a = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(segments);
        glm::vec3 p = centre + glm::vec3(std::cos(a), 0.0f, std::sin(a)) * radius;
        m.addVertex(p, up, {(p.x - centre.x) / tile, (p.z - centre.z) / tile});
    }
    for (int i = 0; i < segments; ++i) {
        unsigned p = c + 1 + static_cast<unsigned>(i);
        unsigned q = c + 1 + static_cast<unsigned>((i + 1) % segments);
        m.addTriangle(c, q, p);
    }
    return m;
}

Mesh MeshBuilder::terrain(glm::vec2 min, glm::vec2 max, int cellsX, int cellsZ,
                          const std::function<float(float, float)>& height, float tile) {
    Mesh m;
    float dx = (max.x - min.x) / static_cast<float>(cellsX);
    float dz = (max.y - min.y) / static_cast<float>(cellsZ);
    for (int j = 0; j <= cellsZ; ++j) {
        for (int i = 0; i <= cellsX; ++i) {
            float x = min.x + dx * static_cast<float>(i);
            float z = min.y + dz * static_cast<float>(j);
            float h = height(x, z);
            float e = 0.25f * std::min(dx, dz);
            glm::vec3 n = glm::normalize(glm::vec3(height(x - e, z) - height(x + e, z), 2.0f * e,
                                                   height(x, z - e) - height(x, z + e)));
            m.addVertex({x, h, z}, n, {x / tile, z / tile});
        }
    }
    unsigned row = static_cast<unsigned>(cellsX + 1);
    for (int j = 0; j < cellsZ; ++j) {
        for (int i = 0; i < cellsX; ++i) {
            unsigned a = static_cast<unsigned>(j) * row + static_cast<unsigned>(i);
            unsigned b = a + row;
            m.addTriangle(a, b, b + 1);
            m.addTriangle(a, b + 1, a + 1);
        }
    }
    return m;
}

Mesh MeshBuilder::blockText(const std::string& text, float pixel, float depth, float& width) {
    Mesh m;
    float x0 = 0.0f;
    for (char c : text) {
        const char* rows = glyph(c);
        if (rows != nullptr) {
            for (int row = 0; row < 7; ++row) {
                // One box per horizontal run keeps the letters cheap.
                int col = 0;
                while (col < 5) {
                    if (rows[row * 5 + col] != '#') {
                        ++col;
                        continue;
                    }
                    int end = col;
                    while (end < 5 && rows[row * 5 + end] == '#')
                        ++end;
                    float y = static_cast<float>(6 - row) * pixel;
                    m.append(box({x0 + static_cast<float>(col) * pixel, y, 0.0f},
                                 {x0 + static_cast<float>(end) * pixel, y + pixel, depth}, 4.0f * pixel));
                    col = end;
                }
            }
        }
        x0 += 6.0f * pixel;
    }
    width = x0 > 0.0f ? x0 - pixel : 0.0f;
    return m;
}

Mesh MeshBuilder::regionMarkers(glm::vec3 min, glm::vec3 max) {
    Mesh m;
    const float s = 0.02f;
    glm::vec3 up(0, 1, 0);
    for (glm::vec3 corner : {min, max}) {
        unsigned a = m.addVertex(corner, up, {0, 0});
        unsigned b = m.addVertex(corner + glm::vec3(s, 0, 0), up, {1, 0});
        unsigned c = m.addVertex(corner + glm::vec3(0, 0, s), up, {0, 1});
        m.addTriangle(a, c, b);
    }
    return m;
}
