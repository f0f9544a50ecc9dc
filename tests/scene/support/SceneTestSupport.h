#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <initializer_list>
#include <string>

#ifdef LULLVANE_TEST_DIR
inline std::string fixturePath(const char* file) {
    return std::string(LULLVANE_TEST_DIR) + "/fixtures/" + file;
}
#endif

// The fixtures name their images relative to the working directory, as the
// game's scene files do, under this directory.
constexpr const char* fixtureImageDir = "scene-fixture-images";

// Writes small single-colour PPM images into fixtureImageDir (created in the
// working directory) and removes the directory again on destruction.
class FixtureImages {
public:
    explicit FixtureImages(std::initializer_list<const char*> files);
    ~FixtureImages();
    FixtureImages(const FixtureImages&) = delete;
    FixtureImages& operator=(const FixtureImages&) = delete;

    // "scene-fixture-images/<file>", as the fixtures write it.
    static std::string path(const char* file);
};

// Number of non-overlapping occurrences of needle in text.
int countOccurrences(const std::string& text, const std::string& needle);

// Values read back from a linked program; a uniform the program lacks is a
// test failure and reads as NaN.
float uniformFloat(GLuint program, const char* name);
glm::vec3 uniformVec3(GLuint program, const char* name);
glm::mat4 uniformMat4(GLuint program, const char* name);
