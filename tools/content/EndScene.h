#pragma once

#include "SceneDescription.h"

// Scene 3, the end: a floating ring of white marble and gold in which the
// bloom can glow. Models and bodies go to "End.DAE".
class EndScene {
public:
    static SceneDescription build();
};
