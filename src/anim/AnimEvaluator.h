#pragma once

#include <assimp/matrix4x4.h>
#include <boost/tuple/tuple.hpp>

#include <vector>

struct aiAnimation;

// Turns one keyframe animation into one local matrix per channel for a point
// in time. The animation is not owned and must outlive the evaluator.
class AnimEvaluator {
public:
    explicit AnimEvaluator(const aiAnimation* animation);

    // time: seconds, converted to ticks and wrapped to the animation's
    // duration. Allocates nothing once the transforms have their size.
    void Evaluate(double time);

    // Translation x rotation x scaling of every channel, in channel order.
    const std::vector<aiMatrix4x4>& GetTransformations() const { return transforms; }

private:
    const aiAnimation* animation;
    double lastTime = 0.0;
    // Per channel: the position, rotation and scaling key found last time.
    std::vector<boost::tuple<unsigned, unsigned, unsigned>> lastPositions;
    std::vector<aiMatrix4x4> transforms;
};
