#pragma once

#include "SceneDescription.h"

// The dog of the garden, "hundboese.dae": body, head, tail and four legs as
// separate nodes straight under the root, each with its own key frames for a
// trot. The game poses every part by its own local transform only, places the
// whole dog at its rest point, turns it upright (-90 degrees about X) and
// shrinks it to an eighth, so the geometry is modelled Z-up at eight times its
// size, its paws at z = 0 and its nose towards -y.
class DogModel {
public:
    static SceneDescription build();
    // Length of one trot in seconds.
    static constexpr float cycle = 0.8f;
};
