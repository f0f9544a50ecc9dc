#include "TextureFactory.h"

#include "Noise.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace {

struct Texel {
    glm::vec4 colour;
    float height;
};

struct Recipe {
    int width;
    int height;
    float bump;
    std::function<Texel(float, float, const Noise&)> texel;
};

float fract(float v) {
    return v - std::floor(v);
}

float smooth(float edge0, float edge1, float x) {
    float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

glm::vec4 rgb(float r, float g, float b) {
    return {r, g, b, 1.0f};
}

glm::vec4 mix(glm::vec4 a, glm::vec4 b, float t) {
    return a + (b - a) * t;
}

// Planks along u, `count` boards per repeat, each with its own tone and grain.
Texel planks(float u, float v, const Noise& n, int count, glm::vec4 light, glm::vec4 dark) {
    float row = v * static_cast<float>(count);
    int board = static_cast<int>(std::floor(row));
    float across = fract(row);
    float offset = n.cell(board, 7) * 3.0f;
    float grain = n.fractal((u + offset) * 2.0f, across * 0.5f + static_cast<float>(board) * 3.1f, 2, 4);
    float rings = 0.5f + 0.5f * std::sin((grain * 9.0f + across * 2.0f) * glm::pi<float>());
    float tone = 0.35f + 0.65f * n.cell(board, 3);
    glm::vec4 c = mix(dark, light, 0.5f * tone + 0.5f * rings * 0.6f);
    float groove = smooth(0.0f, 0.06f, across) * smooth(1.0f, 0.94f, across);
    float joint = smooth(0.0f, 0.01f, std::fabs(fract(u + offset * 0.25f) - 0.5f));
    float h = 0.55f + 0.35f * groove * joint + 0.1f * grain;
    return {c * (0.55f + 0.45f * groove * joint), h};
}

Texel weave(float u, float v, const Noise& n, glm::vec4 a, glm::vec4 b, float checks) {
    float threads = 32.0f;
    float wu = 0.5f + 0.5f * std::sin(u * threads * glm::two_pi<float>());
    float wv = 0.5f + 0.5f * std::sin(v * threads * glm::two_pi<float>());
    bool over =
        (static_cast<int>(std::floor(u * threads)) + static_cast<int>(std::floor(v * threads))) % 2 == 0;
    float h = over ? wu : wv;
    int cu = static_cast<int>(std::floor(u * checks));
    int cv = static_cast<int>(std::floor(v * checks));
    float check = ((cu + cv) % 2 == 0) ? 1.0f : 0.0f;
    glm::vec4 c = mix(a, b, check * 0.8f + 0.2f * n.fractal(u * 8.0f, v * 8.0f, 8, 3));
    return {c * (0.8f + 0.2f * h), 0.3f + 0.5f * h};
}

Texel fur(float u, float v, const Noise& n, glm::vec4 base, glm::vec4 tip) {
    float strands = n.fractal(u * 32.0f, v * 6.0f, 32, 3);
    float clumps = n.fractal(u * 6.0f, v * 6.0f, 6, 3);
    glm::vec4 c = mix(base, tip, strands * 0.7f + clumps * 0.3f);
    return {c, 0.3f + 0.6f * strands};
}

Texel cobbles(float u, float v, const Noise& n, glm::vec4 stone, glm::vec4 mortar, int cells) {
    float x = u * static_cast<float>(cells);
    float y = v * static_cast<float>(cells);
    int cx = static_cast<int>(std::floor(x));
    int cy = static_cast<int>(std::floor(y));
    float best = 10.0f;
    float second = 10.0f;
    int bestId = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = ((cx + dx) % cells + cells) % cells;
            int gy = ((cy + dy) % cells + cells) % cells;
            float px = static_cast<float>(cx + dx) + 0.2f + 0.6f * n.cell(gx, gy);
            float py = static_cast<float>(cy + dy) + 0.2f + 0.6f * n.cell(gy + 91, gx + 17);
            float d = std::hypot(x - px, y - py);
            if (d < best) {
                second = best;
                best = d;
                bestId = gx * 31 + gy;
            } else if (d < second) {
                second = d;
            }
        }
    }
    float edge = smooth(0.0f, 0.12f, second - best);
    float grit = n.fractal(u * 16.0f, v * 16.0f, 16, 3);
    glm::vec4 c = mix(mortar, stone * (0.75f + 0.25f * n.cell(bestId, 5)), edge) * (0.85f + 0.15f * grit);
    return {c, 0.2f + 0.6f * edge * (1.0f - best * 0.5f) + 0.2f * grit};
}

Texel plain(float u, float v, const Noise& n, glm::vec4 a, glm::vec4 b, float scale) {
    float t = n.fractal(u * scale, v * scale, static_cast<int>(scale), 5);
    return {mix(a, b, t), t};
}

const std::map<std::string, Recipe>& recipes() {
    static const std::map<std::string, Recipe> table = {
        {"wood_floor",
         {128, 128, 3.0f,
          [](float u, float v, const Noise& n) {
              return planks(u, v, n, 4, rgb(0.72f, 0.52f, 0.32f), rgb(0.42f, 0.27f, 0.14f));
          }}},
        {"wood_dark",
         {128, 128, 2.0f,
          [](float u, float v, const Noise& n) {
              return planks(u, v, n, 2, rgb(0.45f, 0.28f, 0.16f), rgb(0.22f, 0.12f, 0.06f));
          }}},
        {"door_wood",
         {128, 128, 4.0f,
          [](float u, float v, const Noise& n) {
              Texel t = planks(v, u, n, 1, rgb(0.62f, 0.40f, 0.22f), rgb(0.36f, 0.21f, 0.10f));
              // two raised panels per door face
              float pu = std::min(u, 1.0f - u);
              float pv = std::min(fract(v * 2.0f), 1.0f - fract(v * 2.0f));
              float panel = smooth(0.08f, 0.12f, pu) * smooth(0.06f, 0.1f, pv);
              t.height = 0.35f + 0.5f * panel + 0.15f * t.height;
              t.colour = t.colour * (0.8f + 0.2f * panel);
              return t;
          }}},
        {"fabric_blanket",
         {128, 128, 1.5f,
          [](float u, float v, const Noise& n) {
              return weave(u, v, n, rgb(0.16f, 0.24f, 0.52f), rgb(0.85f, 0.82f, 0.64f), 4.0f);
          }}},
        {"fabric_rug",
         {128, 128, 1.5f,
          [](float u, float v, const Noise& n) {
              Texel t = weave(u, v, n, rgb(0.55f, 0.12f, 0.12f), rgb(0.78f, 0.62f, 0.30f), 8.0f);
              float ring = std::fabs(std::hypot(u - 0.5f, v - 0.5f) - 0.3f);
              t.colour = mix(t.colour, rgb(0.9f, 0.85f, 0.7f), smooth(0.03f, 0.0f, ring));
              return t;
          }}},
        {"plaster",
         {128, 128, 1.0f,
          [](float u, float v, const Noise& n) {
              Texel t = plain(u, v, n, rgb(0.55f, 0.58f, 0.70f), rgb(0.70f, 0.72f, 0.82f), 8.0f);
              float stripe = smooth(0.02f, 0.0f, std::fabs(fract(u * 4.0f) - 0.5f) - 0.45f);
              t.colour = mix(t.colour, rgb(0.80f, 0.78f, 0.62f), stripe * 0.5f);
              return t;
          }}},
        {"window_night",
         {128, 128, 2.0f,
          [](float u, float v, const Noise& n) {
              glm::vec4 sky = mix(rgb(0.02f, 0.03f, 0.12f), rgb(0.10f, 0.14f, 0.35f), 1.0f - v);
              float star =
                  n.cell(static_cast<int>(u * 64.0f), static_cast<int>(v * 64.0f)) > 0.985f ? 1.0f : 0.0f;
              glm::vec4 c = mix(sky, rgb(1.0f, 1.0f, 0.9f), star);
              float moon = smooth(0.09f, 0.08f, std::hypot(u - 0.72f, v - 0.72f));
              float bite = smooth(0.08f, 0.07f, std::hypot(u - 0.75f, v - 0.75f));
              c = mix(c, rgb(1.0f, 0.96f, 0.78f), moon * (1.0f - bite));
              float frameU = std::min({u, 1.0f - u, std::fabs(u - 0.5f)});
              float frameV = std::min({v, 1.0f - v, std::fabs(v - 0.5f)});
              float bar = 1.0f - smooth(0.025f, 0.035f, std::min(frameU, frameV));
              c = mix(c, rgb(0.85f, 0.85f, 0.8f), bar);
              return Texel{c, 0.3f + 0.6f * bar};
          }}},
        {"lamp_shade",
         {64, 64, 1.0f,
          [](float u, float v, const Noise& n) {
              Texel t = weave(u, v, n, rgb(1.0f, 0.85f, 0.5f), rgb(1.0f, 0.93f, 0.7f), 2.0f);
              return t;
          }}},
        {"grass",
         {128, 128, 2.5f,
          [](float u, float v, const Noise& n) {
              float blades = n.fractal(u * 64.0f, v * 16.0f, 64, 2);
              float patches = n.fractal(u * 4.0f, v * 4.0f, 4, 4);
              glm::vec4 c =
                  mix(rgb(0.12f, 0.30f, 0.08f), rgb(0.38f, 0.58f, 0.18f), blades * 0.6f + patches * 0.4f);
              return Texel{c, blades};
          }}},
        {"soil",
         {128, 128, 3.0f,
          [](float u, float v, const Noise& n) {
              Texel t = plain(u, v, n, rgb(0.22f, 0.14f, 0.08f), rgb(0.46f, 0.33f, 0.20f), 16.0f);
              float pebble = n.cell(static_cast<int>(u * 32.0f), static_cast<int>(v * 32.0f));
              if (pebble > 0.93f) {
                  t.colour = mix(t.colour, rgb(0.55f, 0.52f, 0.48f), 0.7f);
                  t.height = 0.9f;
              }
              return t;
          }}},
        {"hedge",
         {128, 128, 3.0f,
          [](float u, float v, const Noise& n) {
              float leaves = n.fractal(u * 24.0f, v * 24.0f, 24, 3);
              glm::vec4 c = mix(rgb(0.03f, 0.12f, 0.04f), rgb(0.16f, 0.38f, 0.12f), leaves);
              return Texel{c, leaves};
          }}},
        {"water",
         {128, 128, 1.5f,
          [](float u, float v, const Noise& n) {
              float ripple = 0.5f + 0.5f * std::sin((v * 12.0f + n.fractal(u * 4.0f, v * 4.0f, 4, 3) * 3.0f) *
                                                    glm::two_pi<float>());
              glm::vec4 c = mix(rgb(0.05f, 0.16f, 0.28f), rgb(0.25f, 0.45f, 0.60f), ripple * 0.5f);
              return Texel{c, ripple};
          }}},
        {"bark",
         {128, 128, 4.0f,
          [](float u, float v, const Noise& n) {
              float ridges = n.fractal(u * 16.0f, v * 2.0f, 16, 4);
              float cracks = smooth(0.35f, 0.5f, ridges);
              glm::vec4 c = mix(rgb(0.12f, 0.08f, 0.05f), rgb(0.42f, 0.32f, 0.22f), cracks);
              return Texel{c, cracks};
          }}},
        {"leaves",
         {128, 128, 3.0f,
          [](float u, float v, const Noise& n) {
              float leaves = n.fractal(u * 16.0f, v * 16.0f, 16, 4);
              glm::vec4 c = mix(rgb(0.08f, 0.22f, 0.05f), rgb(0.40f, 0.55f, 0.12f), leaves);
              return Texel{c, leaves};
          }}},
        {"stone",
         {128, 128, 3.0f,
          [](float u, float v, const Noise& n) {
              return cobbles(u, v, n, rgb(0.62f, 0.60f, 0.56f), rgb(0.25f, 0.24f, 0.22f), 5);
          }}},
        {"wheat",
         {128, 256, 2.0f,
          [](float u, float v, const Noise& n) {
              // stalks on a transparent ground, ears in the upper third
              float cover = 0.0f;
              float shade = 0.0f;
              for (int s = 0; s < 7; ++s) {
                  float x =
                      0.07f + 0.86f * (static_cast<float>(s) + 0.5f) / 7.0f + 0.03f * (n.cell(s, 1) - 0.5f);
                  float top = 0.70f + 0.22f * n.cell(s, 2);
                  float bend = 0.04f * (n.cell(s, 3) - 0.5f) * v * v;
                  float d = std::fabs(u - x - bend);
                  if (v < top && d < 0.012f) {
                      cover = 1.0f;
                      shade = 0.6f;
                  }
                  float ear = (v - top + 0.16f) / 0.20f;
                  if (ear > 0.0f && ear < 1.0f && d < 0.035f * std::sin(ear * glm::pi<float>())) {
                      cover = 1.0f;
                      shade = 0.8f + 0.2f * std::sin(v * 160.0f);
                  }
              }
              glm::vec4 c = mix(rgb(0.55f, 0.42f, 0.14f), rgb(0.95f, 0.80f, 0.38f), shade);
              c.a = cover;
              return Texel{c, cover * shade};
          }}},
        {"sky",
         {256, 256, 0.2f,
          [](float u, float v, const Noise& n) {
              glm::vec4 c = mix(rgb(0.40f, 0.60f, 0.90f), rgb(0.30f, 0.50f, 0.86f),
                                n.fractal(u * 2.0f, v * 2.0f, 2, 3));
              float cloud = smooth(0.55f, 0.8f, n.fractal(u * 4.0f, v * 4.0f, 4, 5));
              return Texel{mix(c, rgb(1.0f, 1.0f, 1.0f), cloud * 0.85f), 0.4f + 0.2f * cloud};
          }}},
        {"toy_ball",
         {64, 64, 1.0f,
          [](float u, float, const Noise&) {
              int band = static_cast<int>(std::floor(u * 6.0f)) % 3;
              glm::vec4 c = band == 0   ? rgb(0.9f, 0.15f, 0.1f)
                            : band == 1 ? rgb(0.95f, 0.85f, 0.1f)
                                        : rgb(0.1f, 0.3f, 0.9f);
              float seam = smooth(0.02f, 0.0f, std::fabs(fract(u * 6.0f) - 0.5f) - 0.47f);
              return Texel{c * (1.0f - 0.3f * seam), 0.6f - 0.3f * seam};
          }}},
        {"toy_car",
         {64, 64, 1.5f,
          [](float u, float v, const Noise& n) {
              float panel =
                  smooth(0.0f, 0.03f,
                         std::min(std::fabs(fract(u * 2.0f) - 0.5f), std::fabs(fract(v * 2.0f) - 0.5f)));
              glm::vec4 c = mix(rgb(0.55f, 0.02f, 0.02f), rgb(0.85f, 0.08f, 0.06f),
                                0.7f + 0.3f * n.fractal(u * 4.0f, v * 4.0f, 4, 2));
              return Texel{c * (0.6f + 0.4f * panel), 0.4f + 0.5f * panel};
          }}},
        {"rubber",
         {64, 64, 2.0f,
          [](float u, float v, const Noise& n) {
              float tread = 0.5f + 0.5f * std::sin(u * 24.0f * glm::pi<float>());
              return Texel{rgb(0.06f, 0.06f, 0.07f) * (0.8f + 0.4f * tread) +
                               rgb(0.02f, 0.02f, 0.02f) *
                                   n.cell(static_cast<int>(u * 64.0f), static_cast<int>(v * 64.0f)),
                           tread};
          }}},
        {"teddy_fur",
         {128, 128, 2.0f,
          [](float u, float v, const Noise& n) {
              return fur(u, v, n, rgb(0.36f, 0.22f, 0.10f), rgb(0.70f, 0.50f, 0.28f));
          }}},
        {"toy_dog",
         {128, 128, 1.5f,
          [](float u, float v, const Noise& n) {
              Texel t = fur(u, v, n, rgb(0.80f, 0.78f, 0.72f), rgb(0.98f, 0.96f, 0.92f));
              float spots = smooth(0.62f, 0.66f, n.fractal(u * 5.0f, v * 5.0f, 5, 2));
              t.colour = mix(t.colour, rgb(0.30f, 0.18f, 0.08f), spots);
              return t;
          }}},
        {"dog_fur",
         {128, 128, 2.5f,
          [](float u, float v, const Noise& n) {
              return fur(u, v, n, rgb(0.05f, 0.04f, 0.04f), rgb(0.30f, 0.22f, 0.16f));
          }}},
        {"dog_eye",
         {64, 64, 0.5f,
          [](float u, float v, const Noise&) {
              float d = std::hypot(u - 0.5f, v - 0.5f);
              return Texel{mix(rgb(1.0f, 0.9f, 0.2f), rgb(0.9f, 0.05f, 0.0f), smooth(0.1f, 0.3f, d)),
                           0.8f - 0.6f * smooth(0.0f, 0.5f, d)};
          }}},
        {"thorn",
         {128, 128, 4.0f,
          [](float u, float v, const Noise& n) {
              float spikes = n.cell(static_cast<int>(u * 24.0f), static_cast<int>(v * 24.0f));
              float cu = fract(u * 24.0f) - 0.5f;
              float cv = fract(v * 24.0f) - 0.5f;
              float spike = spikes > 0.6f ? smooth(0.35f, 0.0f, std::hypot(cu, cv)) : 0.0f;
              glm::vec4 c = mix(rgb(0.06f, 0.16f, 0.05f), rgb(0.70f, 0.62f, 0.45f), spike);
              c = c * (0.7f + 0.3f * n.fractal(u * 8.0f, v * 8.0f, 8, 3));
              return Texel{c, 0.2f + 0.8f * spike};
          }}},
        {"velvet_red",
         {128, 128, 1.0f,
          [](float u, float v, const Noise& n) {
              float folds = 0.5f + 0.5f * std::sin((u * 6.0f + 0.4f * n.fractal(u * 3.0f, v * 3.0f, 3, 3)) *
                                                   glm::two_pi<float>());
              glm::vec4 c = mix(rgb(0.18f, 0.01f, 0.02f), rgb(0.45f, 0.04f, 0.06f), folds);
              return Texel{c * (0.9f + 0.1f * n.fractal(u * 32.0f, v * 32.0f, 32, 2)), folds};
          }}},
        {"gold",
         {64, 64, 1.0f,
          [](float u, float v, const Noise& n) {
              float brushed = n.fractal(u * 2.0f, v * 32.0f, 2, 3);
              return Texel{mix(rgb(0.80f, 0.58f, 0.16f), rgb(1.0f, 0.88f, 0.45f), brushed),
                           0.5f + 0.1f * brushed};
          }}},
        {"marble_white",
         {128, 128, 1.0f,
          [](float u, float v, const Noise& n) {
              float veins = std::fabs(
                  std::sin((u * 3.0f + n.fractal(u * 4.0f, v * 4.0f, 4, 5) * 4.0f) * glm::pi<float>()));
              glm::vec4 c = mix(rgb(0.80f, 0.80f, 0.84f), rgb(1.0f, 1.0f, 1.0f), smooth(0.0f, 0.4f, veins));
              return Texel{c, 0.5f + 0.2f * veins};
          }}},
    };
    return table;
}

} // namespace

const std::vector<std::string>& TextureFactory::names() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> all;
        for (const auto& entry : recipes())
            all.push_back(entry.first);
        return all;
    }();
    return list;
}

bool TextureFactory::has(const std::string& name) {
    return recipes().count(name) != 0;
}

std::string TextureFactory::colourPath(const std::string& name) {
    return "textures/" + name + ".tga";
}

std::string TextureFactory::normalPath(const std::string& name) {
    return "textures/" + name + "_n.tga";
}

bool TextureFactory::build(const std::string& name, Image& colour, Image& normalMap) {
    auto found = recipes().find(name);
    if (found == recipes().end())
        return false;
    const Recipe& recipe = found->second;
    // Each picture has its own seed, so no two share a pattern.
    std::uint32_t seed = 2166136261u;
    for (char c : name)
        seed = (seed ^ static_cast<std::uint8_t>(c)) * 16777619u;
    Noise noise(seed);
    colour = Image(recipe.width, recipe.height);
    Image height(recipe.width, recipe.height);
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(recipe.width);
            float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(recipe.height);
            Texel t = recipe.texel(u, v, noise);
            colour.set(x, y, t.colour);
            // Heights stay near the middle: the parallax shift is meant as a hint.
            float h = 0.5f + (std::clamp(t.height, 0.0f, 1.0f) - 0.5f) * 0.5f;
            height.set(x, y, glm::vec4(h, h, h, 1.0f));
        }
    }
    normalMap = normalsFromHeight(height, recipe.bump * 1.2f);
    return true;
}

Image TextureFactory::normalsFromHeight(const Image& height, float strength) {
    int w = height.getWidth();
    int h = height.getHeight();
    Image out(w, h);
    auto at = [&](int x, int y) { return height.get((x + w) % w, (y + h) % h).r; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float dx = (at(x - 1, y) - at(x + 1, y)) * strength;
            float dy = (at(x, y - 1) - at(x, y + 1)) * strength;
            glm::vec3 n = glm::normalize(glm::vec3(dx, dy, 1.0f));
            out.set(x, y, glm::vec4(n * 0.5f + 0.5f, at(x, y)));
        }
    }
    return out;
}

Image TextureFactory::loadingPicture() {
    const int size = 256;
    Image picture(size, size);
    Noise noise(1234u);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / size;
            float v = (static_cast<float>(y) + 0.5f) / size;
            glm::vec4 c = mix(rgb(0.95f, 0.55f, 0.30f), rgb(0.15f, 0.10f, 0.35f), smooth(0.2f, 1.0f, v));
            float hill = 0.22f + 0.04f * std::sin(u * 7.0f);
            if (v < hill)
                c = mix(rgb(0.10f, 0.22f, 0.06f), rgb(0.20f, 0.35f, 0.10f),
                        noise.fractal(u * 16, v * 16, 16, 3));
            float trunkHalf = 0.035f + 0.03f * smooth(0.45f, 0.2f, v);
            if (std::fabs(u - 0.5f) < trunkHalf && v > 0.15f && v < 0.6f)
                c = mix(rgb(0.18f, 0.10f, 0.05f), rgb(0.35f, 0.22f, 0.12f),
                        noise.fractal(u * 32, v * 4, 32, 3));
            float crown =
                std::hypot((u - 0.5f) * 1.1f, v - 0.66f) + 0.08f * (noise.fractal(u * 8, v * 8, 8, 4) - 0.5f);
            if (crown < 0.24f)
                c = mix(rgb(0.05f, 0.20f, 0.05f), rgb(0.30f, 0.52f, 0.15f),
                        noise.fractal(u * 24, v * 24, 24, 3));
            picture.set(x, y, c);
        }
    }
    return picture;
}
