#pragma once

#include <string>

class SceneDescription;

// Writes a scene as a Y-up COLLADA 1.4.1 document: the visual scene with its
// meshes, materials and node animations for the model importer, and the static
// rigid bodies with their shapes for the physics reader.
class ColladaWriter {
public:
    static std::string toText(const SceneDescription& scene);
    // False, after printing why, when the file cannot be written.
    static bool write(const SceneDescription& scene, const std::string& path);
};
