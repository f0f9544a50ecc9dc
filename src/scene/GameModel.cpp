#include "scene/GameModel.h"

#include "moves/GameModelMove.h"
#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"
#include "render/Shader.h"
#include "scene/GameAsset.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <utility>

std::vector<GameAsset*> GameModel::aGlobalAssets;

GameModel::GameModel(std::string name, glm::mat4 modelMatrix)
    : modelMatrix(modelMatrix),
      biasMatrix(glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)), glm::vec3(0.5f))),
      name(std::move(name)) {}

// The queue owns the moves still in it.
GameModel::~GameModel() {
    clearMoves();
}

void GameModel::activate() {
    glUseProgram(shaderProgram);
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glUseProgram(shaderProgram);

    // Program 0 is no program object: a model without a shader keeps every
    // location at -1 instead of raising GL errors.
    if (shaderProgram != 0) {
        lightPositionLocation = glGetUniformLocation(shaderProgram, "lightPosition");
        lightColorLocation = glGetUniformLocation(shaderProgram, "lightColor");
        ambientColorLocation = glGetUniformLocation(shaderProgram, "ambientColor");
        fogColorLocation = glGetUniformLocation(shaderProgram, "fogColor");
        fogDensityLocation = glGetUniformLocation(shaderProgram, "fogDensity");
        mistColorLocation = glGetUniformLocation(shaderProgram, "mistColor");
        mistDensityLocation = glGetUniformLocation(shaderProgram, "mistDensity");
        mistLevelLocation = glGetUniformLocation(shaderProgram, "mistLevel");
        ambientMatLocation = glGetUniformLocation(shaderProgram, "ambientMat");
        diffuseMatLocation = glGetUniformLocation(shaderProgram, "diffuseMat");
        specularMatLocation = glGetUniformLocation(shaderProgram, "specularMat");
        specularColorLocation = glGetUniformLocation(shaderProgram, "specularColor");
        specularExpLocation = glGetUniformLocation(shaderProgram, "specularExp");
        useAlphaLocation = glGetUniformLocation(shaderProgram, "useAlpha");
        activeShadowLocation = glGetUniformLocation(shaderProgram, "activeShadow");
    }

    updateEnvironmentUniforms();

    if (shaderProgram != 0) {
        modelLocation = glGetUniformLocation(shaderProgram, "model");
        projViewModelLocation = glGetUniformLocation(shaderProgram, "ProjViewModel");
        viewModelLocation = glGetUniformLocation(shaderProgram, "ViewModel");
        lightViewLocation = glGetUniformLocation(shaderProgram, "LightView");
        texModelLocation = glGetUniformLocation(shaderProgram, "TexModel");
        shadowMapLocation = glGetUniformLocation(shaderProgram, "ShadowMap");
    }

    if (shadowShaderProgram != 0) {
        glUseProgram(shadowShaderProgram);
        shadowProjViewModelLocation = glGetUniformLocation(shadowShaderProgram, "ProjViewModel");
        shadowUseAlphaLocation = glGetUniformLocation(shadowShaderProgram, "useAlpha");
    }

    useAlpha(alphaDefault);
    useShadow(castsShadow);

    for (GameAsset* asset : gameAssets)
        asset->activate();
    glBindVertexArray(0);

    // Tools and tests draw models without any physics world.
    int id = -1;
    if (PhysicsLoader::activeLoader != nullptr)
        id = PhysicsLoader::activeLoader->getPhysicsId(getId().c_str());
    setPhysicsId(id);

    std::cout << getId() << " has Id: " << physicsId << std::endl;

    shadowMapErrorLabel = "glError bind ShadowMap in GameModel:\"" + name + "\"";
    activated = true;
}

void GameModel::setPhysicsId(int id) {
    physicsId = id;
}

std::string GameModel::getId() {
    return name;
}

void GameModel::setShadowFBO(unsigned int fbo) {
    shadowFBO = fbo;
}

void GameModel::updateEnvironmentUniforms() {
    glUseProgram(shaderProgram);
    if (shaderProgram == 0)
        return;
    glUniform3fv(lightPositionLocation, 1, glm::value_ptr(lightPosition));
    glUniform4fv(lightColorLocation, 1, glm::value_ptr(lightColor));
    glUniform4fv(ambientColorLocation, 1, glm::value_ptr(ambientColor));
    glUniform4fv(fogColorLocation, 1, glm::value_ptr(fogColor));
    glUniform4fv(mistColorLocation, 1, glm::value_ptr(mistColor));
    glUniform4fv(specularColorLocation, 1, glm::value_ptr(specularColor));
    glUniform1f(fogDensityLocation, fogDensity);
    glUniform1f(mistDensityLocation, mistDensity);
    glUniform1f(mistLevelLocation, mistLevel);
    glUniform1f(ambientMatLocation, ambientMat);
    glUniform1f(diffuseMatLocation, diffuseMat);
    glUniform1f(specularMatLocation, specularMat);
    glUniform1f(specularExpLocation, specularExp);
}

void GameModel::updateObject(double time) {
    deltaTime = time - lastTime;
    lastTime = time;

    auto it = moves.begin();
    while (it != moves.end()) {
        GameModelMove* move = *it;
        if (move->isFinished()) {
            delete move;
            it = moves.erase(it);
        } else {
            modelMatrix = move->getMove(deltaTime, modelMatrix);
            ++it;
        }
    }
}

void GameModel::draw() {
    if (!activated)
        activate();
    if (gameAssets.empty())
        return;

    glUseProgram(shaderProgram);
    useShadow(shadowActive);
    glBindVertexArray(vertexArray);

    glm::mat4 projViewModel = projMatrix * viewMatrix * modelMatrix;
    glm::mat4 viewModel = viewMatrix * modelMatrix;
    glm::mat4 texModel = biasMatrix * lightMatrix;
    glUniformMatrix4fv(projViewModelLocation, 1, GL_FALSE, glm::value_ptr(projViewModel));
    glUniformMatrix4fv(viewModelLocation, 1, GL_FALSE, glm::value_ptr(viewModel));
    glUniformMatrix4fv(texModelLocation, 1, GL_FALSE, glm::value_ptr(texModel));
    glUniformMatrix4fv(lightViewLocation, 1, GL_FALSE, glm::value_ptr(lightViewMatrix));
    glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(modelMatrix));

    updateEnvironmentUniforms();
    glUseProgram(shaderProgram);

    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shadowMap);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (shadowMapLocation != -1)
        glUniform1i(shadowMapLocation, 0);
    RenderEngine::checkForErrors(shadowMapErrorLabel.c_str());

    for (GameAsset* asset : gameAssets)
        asset->draw();

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(0);
    glUseProgram(0);
}

void GameModel::drawShadow() {
    if (castsShadow == 0 || shadowFBO == 0 || shadowMap == 0)
        return;
    if (!activated)
        activate();
    if (gameAssets.empty())
        return;

    glUseProgram(shadowShaderProgram);
    glBindVertexArray(vertexArray);
    glm::mat4 projViewModel = projMatrix * viewMatrix * modelMatrix;
    glUniformMatrix4fv(shadowProjViewModelLocation, 1, GL_FALSE, glm::value_ptr(projViewModel));

    for (GameAsset* asset : gameAssets)
        asset->drawShadow();
    glBindVertexArray(0);
    glUseProgram(0);
}

glm::mat4* GameModel::getModelMatrix() {
    return &modelMatrix;
}

glm::mat4* GameModel::getViewMatrix() {
    return &viewMatrix;
}

glm::mat4* GameModel::getProjMatrix() {
    return &projMatrix;
}

void GameModel::setModelMatrix(glm::mat4 m) {
    modelMatrix = m;
}

void GameModel::setViewMatrix(glm::mat4& m) {
    viewMatrix = m;
}

void GameModel::setProjMatrix(glm::mat4& m) {
    projMatrix = m;
}

void GameModel::useAlpha(int on) {
    float value = on != 0 ? 1.0f : 0.0f;
    if (useAlphaLocation != -1) {
        glUseProgram(shaderProgram);
        glUniform1f(useAlphaLocation, value);
    }
    if (shadowUseAlphaLocation != -1) {
        glUseProgram(shadowShaderProgram);
        glUniform1f(shadowUseAlphaLocation, value);
    }
}

void GameModel::useShadow(int on) {
    shadowActive = on;
    if (activeShadowLocation == -1)
        return;
    // The location belongs to this model's main program. Written into whatever
    // other program is current it would change an unrelated uniform (or raise
    // an error with no program bound), so the value waits for the next draw,
    // which calls this again with the model's own program current.
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    if (current != 0 && static_cast<GLuint>(current) == shaderProgram)
        glUniform1f(activeShadowLocation, on != 0 ? 1.0f : 0.0f);
}

#ifndef LULLVANE_PHONG
void GameModel::useNormalMapping(int on) {
    for (GameAsset* asset : gameAssets)
        asset->useNormalMapping = on != 0;
}
#endif

void GameModel::setLightMatrix(glm::mat4 m) {
    lightMatrix = m;
}

void GameModel::setLightViewMatrix(glm::mat4 m) {
    lightViewMatrix = m;
}

void GameModel::setShadowMap(unsigned int texture) {
    shadowMap = texture;
}

GLuint GameModel::getShaderProgram() {
    return shadowShaderProgram;
}

Shader* GameModel::getShaderObj() {
    return shaderObj;
}

void GameModel::setShaderProgram(Shader* shader) {
    shaderObj = shader;
    shaderProgram = shader != nullptr ? static_cast<GLuint>(shader->getShaderHandle()) : 0;
    for (GameAsset* asset : gameAssets)
        asset->setShaderProgram(shaderProgram);
}

GLuint GameModel::getShadowShader() {
    return shadowShaderProgram;
}

Shader* GameModel::getShadowShaderObj() {
    return shadowShaderObj;
}

void GameModel::setShadowShader(Shader* shader) {
    shadowShaderObj = shader;
    shadowShaderProgram = shader != nullptr ? static_cast<GLuint>(shader->getShaderHandle()) : 0;
    for (GameAsset* asset : gameAssets)
        asset->setShadowShader(shadowShaderProgram);
}

void GameModel::addMove(GameModelMove* move) {
    moves.push_back(move);
}

void GameModel::addMoveFront(GameModelMove* move) {
    moves.insert(moves.begin(), move);
}

bool GameModel::hasMoves() {
    return !moves.empty();
}

void GameModel::clearMoves() {
    for (GameModelMove* move : moves)
        delete move;
    moves.clear();
}

std::vector<GameAsset*>* GameModel::getGameAssets() {
    return &gameAssets;
}

std::vector<GameAsset*>* GameModel::getGlobalAssets() {
    return &aGlobalAssets;
}

void GameModel::addGameAsset(GameAsset* asset) {
    aGlobalAssets.push_back(asset);
    gameAssets.push_back(asset);
}

void GameModel::removeGameAsset(GameAsset*) {}

GameModel* GameModel::FindNode(const char* name) {
    if (name == nullptr)
        return nullptr;
    if (this->name == name)
        return this;
    for (GameModel* child : children) {
        if (child == nullptr)
            continue;
        GameModel* found = child->FindNode(name);
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

std::vector<GameModelMove*> GameModel::getMoves() {
    return moves;
}
