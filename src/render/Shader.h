#pragma once

#include <GL/glew.h>

#include <string>

// One GLSL program named by its two source files and a registry name. The
// program is compiled on the first getShaderHandle(), which also registers the
// shader in RenderEngine::compiledShader; construction touches no GL state.
class Shader {
public:
    Shader(const char* vertexFile, const char* fragmentFile, const char* name);
    virtual ~Shader();

    virtual GLint getShaderHandle();
    // Makes the program current and looks up "view".
    virtual void updateUniforms();

    // Compiles and links one program; a missing or broken source still gives a
    // program handle (the failure is reported on the error stream).
    static GLuint setupShader(std::string vertexFile, std::string fragmentFile);

    GLint viewLocation = -1;
    GLint handle = -1;
    std::string vertexFile;
    std::string fragmentFile;
    std::string name;
};
