#pragma once

#include "scene/GameModel.h"

// The sky box: an ordinary model that never enters the shadow map and, once
// activated, receives no shadow either.
class SkyBoxModel : public GameModel {
public:
    SkyBoxModel(std::string name, glm::mat4 modelMatrix);
    ~SkyBoxModel() override;
};
