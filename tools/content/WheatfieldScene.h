#pragma once

#include "SceneDescription.h"

// Scene 4: a fenced wheat field under a sky box. The models go to
// "Wheatfield.DAE", the bodies to the field's region of "Ground.DAE", well
// apart from the bedroom's.
class WheatfieldScene {
public:
    static void build(SceneDescription& models, SceneDescription& physics);
};
