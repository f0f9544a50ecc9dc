// Cost of the render engine's frame on this machine at the game's window size:
// an empty frame (shadow and main pass set-up), the same with bloom, the main
// scene program filling the whole window with shadows on, and the loading
// screen. Prints milliseconds per frame and frames per second for each; the
// game's budget is 60 frames per second.
#include "render/RenderEngine.h"
#include "render/Shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

void measure(const char* label, int frames, const std::function<void()>& frame, GLFWwindow* window) {
    frame();
    glFinish();
    const double start = glfwGetTime();
    for (int i = 0; i < frames; ++i) {
        frame();
        glfwSwapBuffers(window);
        glfwPollEvents();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glFinish();
    const double elapsed = glfwGetTime() - start;
    std::printf("%-34s %8.3f ms per frame %8.1f fps\n", label, 1000.0 * elapsed / frames, frames / elapsed);
}

void setFloat(GLuint program, const char* name, float value) {
    glUniform1f(glGetUniformLocation(program, name), value);
}

void setVec4(GLuint program, const char* name, glm::vec4 value) {
    glUniform4fv(glGetUniformLocation(program, name), 1, glm::value_ptr(value));
}

void setMat4(GLuint program, const char* name, const glm::mat4& value) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(value));
}

// A window-covering grid drawn with the main scene program, as a wall of the
// scene right in front of the camera would be.
struct ScreenWall {
    GLuint vertexArray = 0;
    GLuint buffers[3] = {0, 0, 0};
    GLsizei indexCount = 0;
    GLuint program = 0;

    ScreenWall(GLuint program, GLuint shadowMap) : program(program) {
        const int cells = 32;
        std::vector<float> positions, normals, uvs;
        std::vector<GLuint> indices;
        for (int y = 0; y <= cells; ++y)
            for (int x = 0; x <= cells; ++x) {
                float u = static_cast<float>(x) / cells, v = static_cast<float>(y) / cells;
                positions.insert(positions.end(), {u * 2.0f - 1.0f, v * 2.0f - 1.0f, 0.0f});
                normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
                uvs.insert(uvs.end(), {u * 4.0f, v * 4.0f});
            }
        for (int y = 0; y < cells; ++y)
            for (int x = 0; x < cells; ++x) {
                GLuint a = static_cast<GLuint>(y * (cells + 1) + x), b = a + 1, c = a + cells + 1, d = c + 1;
                indices.insert(indices.end(), {a, b, d, a, d, c});
            }
        indexCount = static_cast<GLsizei>(indices.size());
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(3, buffers);
        const std::vector<float>* attributes[2] = {&positions, &normals};
        const char* names[2] = {"vertex", "normal"};
        for (int i = 0; i < 2; ++i) {
            glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(attributes[i]->size() * sizeof(float)),
                         attributes[i]->data(), GL_STATIC_DRAW);
            GLint location = glGetAttribLocation(program, names[i]);
            glVertexAttribPointer(static_cast<GLuint>(location), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
            glEnableVertexAttribArray(static_cast<GLuint>(location));
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
                     indices.data(), GL_STATIC_DRAW);
        glBindVertexArray(0);

        glUseProgram(program);
        const glm::mat4 viewModel = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -4.0f));
        const glm::mat4 bias = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)), glm::vec3(0.5f));
        setMat4(program, "ProjViewModel", glm::mat4(1.0f));
        setMat4(program, "ViewModel", viewModel);
        setMat4(program, "model", glm::mat4(1.0f));
        setMat4(program, "view", viewModel);
        setMat4(program, "TexModel", bias);
        glUniform3f(glGetUniformLocation(program, "lightPosition"), 2.0f, 3.0f, 4.0f);
        setVec4(program, "lightColor", glm::vec4(0.8f, 0.8f, 0.8f, 1.0f));
        setVec4(program, "ambientColor", glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
        setVec4(program, "specularColor", glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
        setVec4(program, "fogColor", glm::vec4(0.1f, 0.1f, 0.15f, 1.0f));
        setVec4(program, "mistColor", glm::vec4(1.45f, 1.2f, 2.35f, 1.0f));
        for (const char* name : {"ambientMat", "diffuseMat", "specularMat", "activeShadow", "useNormalMap"})
            setFloat(program, name, 1.0f);
        setFloat(program, "useAlpha", 0.0f);
        setFloat(program, "specularExp", 30.0f);
        setFloat(program, "fogDensity", 0.01f);
        setFloat(program, "mistDensity", 0.027f);
        setFloat(program, "mistLevel", 2.0f);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, shadowMap);
        glUseProgram(0);
    }

    void draw() const {
        glUseProgram(program);
        glBindVertexArray(vertexArray);
        glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        glUseProgram(0);
    }
};

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    static RenderEngine engine;
    GLFWwindow* window = engine.getWindow();
    Shader defaultShader("shader/ParallaxPhongShader.vert", "shader/ParallaxPhongShader.frag", "Default");
    const GLuint program = static_cast<GLuint>(defaultShader.getShaderHandle());
    const glm::mat4 identity(1.0f);
    std::vector<GameModel*> none;
    engine.setModels(none);

    measure(
        "empty frame (shadow + main set-up)", frames,
        [&] { engine.draw(identity, identity, identity, identity); }, window);
    engine.setBloomMode(1);
    measure(
        "empty frame with bloom", frames, [&] { engine.draw(identity, identity, identity, identity); },
        window);
    engine.setBloomMode(0);

    measure(
        "bright pass alone", frames, [&] { engine.bloomBrightPass(); }, window);
    measure(
        "blur passes alone", frames, [&] { engine.bloomGaussPass(); }, window);

    ScreenWall wall(program, engine.shadowMap);
    measure(
        "main program over the whole window", frames, [&] { wall.draw(); }, window);
    glUseProgram(program);
    setFloat(program, "activeShadow", 0.0f);
    measure(
        "the same without shadow lookups", frames, [&] { wall.draw(); }, window);
    glUseProgram(program);
    setFloat(program, "activeShadow", 1.0f);
    engine.setBloomMode(1);
    measure(
        "whole window + bloom", frames,
        [&] {
            wall.draw();
            engine.draw(identity, identity, identity, identity);
        },
        window);
    engine.setBloomMode(0);
    RenderEngine::checkForErrors("after the render benchmark");
    return 0;
}
