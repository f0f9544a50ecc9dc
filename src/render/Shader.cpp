#include "render/Shader.h"

#include "render/RenderEngine.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

// Every program shares one attribute layout. A scene model's shadow program is
// fed through the locations looked up in its main program, and the sway time and
// strength are constant attribute values set once for both passes, so the same
// name must sit at the same index everywhere. The full-screen passes share one
// layout as well.
struct AttributeSlot {
    const char* name;
    GLuint index;
};

const AttributeSlot attributeLayout[] = {
    {"vertex", 0},    {"elapsedTime", 1},  {"normal", 2},      {"texCoord", 3},      {"tangent", 4},
    {"bitangent", 5}, {"swayStrength", 6}, {"bloomVertex", 0}, {"bloomTexCoord", 2},
};

// Samplers start on the units the draws bind their textures to. In a scene
// model program the shadow map owns unit 0 and the colour texture and normal
// map follow it; a sampler2DShadow and a sampler2D left on one unit would make
// every draw of the program fail. The shadow programs and the full-screen
// passes read their one texture from unit 0. The shadow pass cannot set the
// sampler itself: it writes the location looked up in the main program.
struct SamplerUnit {
    const char* name;
    GLint unit;
    GLint unitBesideShadowMap;
};

const SamplerUnit samplerUnits[] = {
    {"ShadowMap", 0, 0}, {"texture", 0, 1}, {"normalmap", 0, 2}, {"bloomTexture", 0, 0}};

bool readSource(const std::string& path, std::string& source) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        source.clear();
        return false;
    }
    std::stringstream content;
    content << in.rdbuf();
    source = content.str();
    return true;
}

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1)
        return std::string();
    std::vector<char> log(static_cast<size_t>(length));
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    return std::string(log.data());
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1)
        return std::string();
    std::vector<char> log(static_cast<size_t>(length));
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return std::string(log.data());
}

GLuint compileStage(GLenum stage, const std::string& path) {
    std::string source;
    if (!readSource(path, source))
        std::cerr << "Could not read shader source: " << path << std::endl;
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE)
        std::cerr << "Shader " << path << " did not compile:" << std::endl << shaderLog(shader) << std::endl;
    return shader;
}

void presetSamplerUnits(GLuint program) {
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(program);
    const bool withShadowMap = glGetUniformLocation(program, "ShadowMap") != -1;
    for (const SamplerUnit& sampler : samplerUnits) {
        GLint location = glGetUniformLocation(program, sampler.name);
        if (location != -1)
            glUniform1i(location, withShadowMap ? sampler.unitBesideShadowMap : sampler.unit);
    }
    glUseProgram(static_cast<GLuint>(previous));
}

} // namespace

Shader::Shader(const char* vertexFile, const char* fragmentFile, const char* name)
    : vertexFile(vertexFile), fragmentFile(fragmentFile), name(name) {}

Shader::~Shader() = default;

GLint Shader::getShaderHandle() {
    if (handle != -1)
        return handle;
    handle = static_cast<GLint>(setupShader(vertexFile, fragmentFile));
    updateUniforms();
    RenderEngine::addShader(name.c_str(), this);
    return handle;
}

void Shader::updateUniforms() {
    glUseProgram(static_cast<GLuint>(handle));
    viewLocation = glGetUniformLocation(static_cast<GLuint>(handle), "view");
}

GLuint Shader::setupShader(std::string vertexFile, std::string fragmentFile) {
    GLuint vertexShader = compileStage(GL_VERTEX_SHADER, vertexFile);
    GLuint fragmentShader = compileStage(GL_FRAGMENT_SHADER, fragmentFile);

    GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    for (const AttributeSlot& slot : attributeLayout)
        glBindAttribLocation(program, slot.index, slot.name);
    glBindFragDataLocation(program, 0, "fragColor");
    glLinkProgram(program);

    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        presetSamplerUnits(program);
    else
        std::cerr << "Shader program " << vertexFile << " + " << fragmentFile << " did not link:" << std::endl
                  << programLog(program) << std::endl;
    return program;
}
