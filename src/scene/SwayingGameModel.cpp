#include "scene/SwayingGameModel.h"

#include <cstdlib>
#include <ctime>
#include <utility>

SwayingGameModel::SwayingGameModel(std::string name, glm::mat4 modelMatrix)
    : GameModel(std::move(name), modelMatrix) {
    strength = 0.1f;
    specularColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
}

SwayingGameModel::~SwayingGameModel() = default;

int SwayingGameModel::random(int low, int high) {
    static bool init = false;
    if (!init) {
        std::srand(static_cast<unsigned int>(std::time(nullptr)));
        init = true;
    }
    return std::rand() % (high - low + 1) + low;
}

void SwayingGameModel::activate() {
    glUseProgram(shaderProgram);
    if (shaderProgram != 0) {
        elapsedTimeLocation = glGetAttribLocation(shaderProgram, "elapsedTime");
        swayStrengthLocation = glGetAttribLocation(shaderProgram, "swayStrength");
    }
    swayTime = static_cast<float>(random(10000, 180000));
    GameModel::activate();
}

// Until the first activation both locations are -1 and nothing is written.
void SwayingGameModel::setSwayAttributes() {
    if (elapsedTimeLocation != -1)
        glVertexAttrib1f(static_cast<GLuint>(elapsedTimeLocation), swayTime / clockRestart);
    if (swayStrengthLocation != -1)
        glVertexAttrib1f(static_cast<GLuint>(swayStrengthLocation), strength);
}

void SwayingGameModel::drawShadow() {
    float t = swayTime;
    if (t >= clockEnd)
        t = clockRestart;
    drawnSinceShadow = false;
    swayTime = t + 10.0f;

    glUseProgram(shadowShaderProgram);
    glBindVertexArray(vertexArray);
    setSwayAttributes();

    glDisable(GL_CULL_FACE);
    GameModel::drawShadow();
    glEnable(GL_CULL_FACE);
    glBindVertexArray(0);
}

void SwayingGameModel::draw() {
    if (drawnSinceShadow) {
        float t = swayTime;
        if (t >= clockEnd)
            t = clockRestart;
        swayTime = t + 1.0f;
    }
    drawnSinceShadow = true;

    glUseProgram(shaderProgram);
    glBindVertexArray(vertexArray);
    setSwayAttributes();

    glDisable(GL_CULL_FACE);
    GameModel::draw();
    glEnable(GL_CULL_FACE);
    glBindVertexArray(0);
}
