#include "scene/SkyBoxModel.h"

#include <utility>

SkyBoxModel::SkyBoxModel(std::string name, glm::mat4 modelMatrix) : GameModel(std::move(name), modelMatrix) {
    castsShadow = 0;
}

SkyBoxModel::~SkyBoxModel() = default;
