#pragma once

#include "SceneDescription.h"

// The title diorama: a small dark-red velvet hall round the intro camera, the
// game's name in gold block letters on a ledge before each of its four walls,
// so the name reads whichever way the mouse has turned the first look.
class IntroScene {
public:
    static SceneDescription build();
};
