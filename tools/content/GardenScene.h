#pragma once

#include "SceneDescription.h"

// Scene 2: the misty garden. A valley cuts it in two; the bridge that crosses
// it appears when the first teddy is touched. The dog rests on the far side,
// the doors wait at the far end. Models and bodies both go to "FirstScene.DAE".
class GardenScene {
public:
    static SceneDescription build();
};
