#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

FixtureImages::FixtureImages(std::initializer_list<const char*> files) {
    std::filesystem::create_directories(fixtureImageDir);
    unsigned int shade = 40;
    for (const char* file : files) {
        std::ofstream out(path(file), std::ios::binary);
        out << "P6\n4 4\n255\n";
        for (int texel = 0; texel < 16; ++texel) {
            const char rgb[3] = {static_cast<char>(shade), static_cast<char>(255 - shade),
                                 static_cast<char>(texel * 16)};
            out.write(rgb, 3);
        }
        shade = (shade + 70) % 256;
    }
}

FixtureImages::~FixtureImages() {
    std::filesystem::remove_all(fixtureImageDir);
}

std::string FixtureImages::path(const char* file) {
    return std::string(fixtureImageDir) + "/" + file;
}

int countOccurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

namespace {

GLint requireUniform(GLuint program, const char* name) {
    GLint location = glGetUniformLocation(program, name);
    EXPECT_NE(location, -1) << "program " << program << " has no uniform \"" << name << "\"";
    return location;
}

} // namespace

float uniformFloat(GLuint program, const char* name) {
    GLint location = requireUniform(program, name);
    if (location == -1)
        return std::numeric_limits<float>::quiet_NaN();
    float value = 0.0f;
    glGetUniformfv(program, location, &value);
    return value;
}

glm::vec3 uniformVec3(GLuint program, const char* name) {
    GLint location = requireUniform(program, name);
    glm::vec3 value(std::numeric_limits<float>::quiet_NaN());
    if (location != -1)
        glGetUniformfv(program, location, &value[0]);
    return value;
}

glm::mat4 uniformMat4(GLuint program, const char* name) {
    GLint location = requireUniform(program, name);
    glm::mat4 value(std::numeric_limits<float>::quiet_NaN());
    if (location != -1)
        glGetUniformfv(program, location, &value[0][0]);
    return value;
}
