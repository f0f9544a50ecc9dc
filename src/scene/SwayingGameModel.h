#pragma once

#include "scene/GameModel.h"

// Wheat that sways in the wind: drawn with the sway programs, which read the
// sway clock from generic attribute "elapsedTime" and the strength from
// "swayStrength", and drawn without back-face culling.
class SwayingGameModel : public GameModel {
public:
    SwayingGameModel(std::string name, glm::mat4 modelMatrix);
    ~SwayingGameModel() override;

    void activate() override;
    // The clock advances by 10 steps per shadow pass and by 1 for a main pass
    // that follows another main pass; 5000 steps are 1.0 of "elapsedTime".
    void draw() override;
    void drawShadow() override;

    // Uniform in [low, high]; seeds the C generator from the clock on first use.
    static int random(int low, int high);

    // Where the clock starts again after reaching its end.
    static constexpr float clockRestart = 5000.0f;
    static constexpr float clockEnd = 900000.0f;

    float swayTime = 0.0f;
    GLint elapsedTimeLocation = -1;
    GLint swayStrengthLocation = -1;
    bool drawnSinceShadow = false;

private:
    void setSwayAttributes();
};
