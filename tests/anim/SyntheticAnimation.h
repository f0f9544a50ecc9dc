#pragma once

#include <assimp/anim.h>

#include <memory>
#include <string>
#include <vector>

// Hand-built animations for the animation tests.
struct ChannelKeys {
    std::string node;
    std::vector<aiVectorKey> positions;
    std::vector<aiQuatKey> rotations;
    std::vector<aiVectorKey> scalings;
};

// The caller owns the result (delete, or hand it to an aiScene).
aiAnimation* makeAnimation(double duration, double ticksPerSecond, const std::vector<ChannelKeys>& channels);

inline std::unique_ptr<aiAnimation> makeOwnedAnimation(double duration, double ticksPerSecond,
                                                       const std::vector<ChannelKeys>& channels) {
    return std::unique_ptr<aiAnimation>(makeAnimation(duration, ticksPerSecond, channels));
}

// A channel that only moves along x: one position key per (time, x) pair.
ChannelKeys xTrack(const std::string& node, const std::vector<std::pair<double, float>>& keys);

// A translation as Assimp's row-major matrix.
aiMatrix4x4 aiTranslation(float x, float y, float z);
