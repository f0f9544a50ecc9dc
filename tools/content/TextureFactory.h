#pragma once

#include "Image.h"

#include <string>
#include <vector>

// The game's procedural pictures. Every material of the scenes is named after
// one of them and uses two files: the colour picture (diffuse channel) and a
// tangent-space normal map with the height in its alpha (emissive channel).
class TextureFactory {
public:
    static const std::vector<std::string>& names();
    static bool has(const std::string& name);
    // Paths relative to the game directory, as the scene files name them.
    static std::string colourPath(const std::string& name);
    static std::string normalPath(const std::string& name);

    // False for a name that is not one of ours.
    static bool build(const std::string& name, Image& colour, Image& normalMap);
    // The loading picture of the earlier game: a tree under an evening sky.
    static Image loadingPicture();
    // Normals from the slope of a height field (in the red channel of height),
    // the height kept in alpha; the picture wraps around at its edges.
    static Image normalsFromHeight(const Image& height, float strength);
};
