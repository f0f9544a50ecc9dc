#pragma once

#include "SceneDescription.h"

// Scene 1: a child's bedroom at night, seen from a toy's height. The models go
// to "Zimmer.dae", the bodies to the bedroom's region of "Ground.DAE".
class BedroomScene {
public:
    static void build(SceneDescription& models, SceneDescription& physics);
};
