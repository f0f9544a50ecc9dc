#pragma once

#include "SceneDescription.h"

// The title diorama: the game's name in gold block letters on a dark-red
// velvet stage, laid out for the intro camera.
class IntroScene {
public:
    static SceneDescription build();
};
