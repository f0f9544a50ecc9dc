#pragma once

#include "scene/GameModel.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

// A model without meshes that records what the render engine asks of it and
// the GL state it is drawn in.
class RecordingModel : public GameModel {
public:
    struct PassState {
        glm::mat4 projection;
        glm::mat4 view;
        glm::mat4 light;
        glm::mat4 lightView;
        glm::mat4 model;
        GLint framebuffer;
        GLboolean colorMask[4];
        GLint viewport[4];
        GLint culledFace;
    };

    // events, shared by several models, receives "shadow:<name>" and
    // "draw:<name>" in call order.
    RecordingModel(const std::string& name, std::vector<std::string>* events);

    void drawShadow() override;
    void draw() override;
    void updateObject(double time) override;
    void useShadow(int on) override;
    void useAlpha(int on) override;
#ifndef LULLVANE_PHONG
    void useNormalMapping(int on) override;
#endif

    std::vector<PassState> shadowPasses;
    std::vector<PassState> mainPasses;
    std::vector<double> updateTimes;
    std::vector<int> shadowSwitches;
    std::vector<int> alphaSwitches;
    std::vector<int> normalMappingSwitches;

private:
    PassState capture() const;

    std::vector<std::string>* events;
};
