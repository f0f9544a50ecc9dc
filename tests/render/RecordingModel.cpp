#include "RecordingModel.h"

RecordingModel::RecordingModel(const std::string& name, std::vector<std::string>* events)
    : GameModel(name, glm::mat4(1.0f)), events(events) {}

RecordingModel::PassState RecordingModel::capture() const {
    PassState state{};
    state.projection = projMatrix;
    state.view = viewMatrix;
    state.light = lightMatrix;
    state.lightView = lightViewMatrix;
    state.model = modelMatrix;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &state.framebuffer);
    glGetBooleanv(GL_COLOR_WRITEMASK, state.colorMask);
    glGetIntegerv(GL_VIEWPORT, state.viewport);
    glGetIntegerv(GL_CULL_FACE_MODE, &state.culledFace);
    return state;
}

void RecordingModel::drawShadow() {
    shadowPasses.push_back(capture());
    if (events)
        events->push_back("shadow:" + name);
}

void RecordingModel::draw() {
    mainPasses.push_back(capture());
    if (events)
        events->push_back("draw:" + name);
}

void RecordingModel::updateObject(double time) {
    updateTimes.push_back(time);
}

void RecordingModel::useShadow(int on) {
    shadowSwitches.push_back(on);
}

void RecordingModel::useAlpha(int on) {
    alphaSwitches.push_back(on);
}

#ifndef LULLVANE_PHONG
void RecordingModel::useNormalMapping(int on) {
    normalMappingSwitches.push_back(on);
}
#endif
