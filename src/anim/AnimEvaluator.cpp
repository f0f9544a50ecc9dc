#include "anim/AnimEvaluator.h"

#include <assimp/anim.h>

#include <cmath>

namespace {

// The search resumes where the previous frame stopped while time runs
// forward, so a frame usually advances zero or one key.
template <typename Key> unsigned findKey(const Key* keys, unsigned count, unsigned start, double t) {
    unsigned index = start < count ? start : 0;
    while (index + 1 < count && keys[index + 1].mTime <= t) {
        ++index;
    }
    return index;
}

// Interpolation factor from key index towards the next key, wrapping past the
// last key to the first. diff receives the span; when it is not positive the
// key is used as it stands.
template <typename Key>
float keyFactor(const Key* keys, unsigned count, unsigned index, double t, double duration, double& diff) {
    const Key& key = keys[index];
    const Key& next = keys[(index + 1) % count];
    diff = next.mTime - key.mTime;
    if (diff < 0.0) {
        diff += duration;
    }
    if (diff > 0.0) {
        return static_cast<float>((t - key.mTime) / diff);
    }
    return 0.0f;
}

aiQuaternion slerp(const aiQuaternion& from, aiQuaternion to, float f) {
    float cosom = from.x * to.x + from.y * to.y + from.z * to.z + from.w * to.w;
    if (cosom < 0.0f) {
        cosom = -cosom;
        to.x = -to.x;
        to.y = -to.y;
        to.z = -to.z;
        to.w = -to.w;
    }
    float a;
    float b;
    if (1.0f - cosom > 0.0001f) {
        const float omega = std::acos(cosom);
        const float sinom = std::sin(omega);
        a = std::sin((1.0f - f) * omega) / sinom;
        b = std::sin(f * omega) / sinom;
    } else {
        a = 1.0f - f;
        b = f;
    }
    return aiQuaternion(a * from.w + b * to.w, a * from.x + b * to.x, a * from.y + b * to.y,
                        a * from.z + b * to.z);
}

} // namespace

AnimEvaluator::AnimEvaluator(const aiAnimation* animation)
    : animation(animation), lastPositions(animation && animation->mChannels ? animation->mNumChannels : 0,
                                          boost::make_tuple(0u, 0u, 0u)) {}

void AnimEvaluator::Evaluate(double time) {
    const unsigned channelCount = static_cast<unsigned>(lastPositions.size());
    if (transforms.size() != channelCount) {
        transforms.resize(channelCount, aiMatrix4x4());
    }
    if (channelCount == 0) {
        return;
    }

    const double ticksPerSecond = animation->mTicksPerSecond != 0.0 ? animation->mTicksPerSecond : 25.0;
    const double duration = animation->mDuration;
    double t = 0.0;
    if (duration > 0.0) {
        t = std::fmod(time * ticksPerSecond, duration);
    }
    const bool forward = t >= lastTime;

    for (unsigned c = 0; c < channelCount; ++c) {
        const aiNodeAnim* channel = animation->mChannels[c];
        aiVector3D position(0.0f, 0.0f, 0.0f);
        aiQuaternion rotation(1.0f, 0.0f, 0.0f, 0.0f);
        aiVector3D scaling(1.0f, 1.0f, 1.0f);
        boost::tuple<unsigned, unsigned, unsigned>& last = lastPositions[c];

        if (channel && channel->mNumPositionKeys > 0 && channel->mPositionKeys) {
            const unsigned count = channel->mNumPositionKeys;
            const unsigned index = findKey(channel->mPositionKeys, count, forward ? last.get<0>() : 0, t);
            double diff = 0.0;
            const float f = keyFactor(channel->mPositionKeys, count, index, t, duration, diff);
            const aiVector3D& key = channel->mPositionKeys[index].mValue;
            if (diff > 0.0) {
                const aiVector3D& next = channel->mPositionKeys[(index + 1) % count].mValue;
                position = key + (next - key) * f;
            } else {
                position = key;
            }
            last.get<0>() = index;
        }

        if (channel && channel->mNumRotationKeys > 0 && channel->mRotationKeys) {
            const unsigned count = channel->mNumRotationKeys;
            const unsigned index = findKey(channel->mRotationKeys, count, forward ? last.get<1>() : 0, t);
            double diff = 0.0;
            const float f = keyFactor(channel->mRotationKeys, count, index, t, duration, diff);
            const aiQuaternion& key = channel->mRotationKeys[index].mValue;
            if (diff > 0.0) {
                rotation = slerp(key, channel->mRotationKeys[(index + 1) % count].mValue, f);
            } else {
                rotation = key;
            }
            last.get<1>() = index;
        }

        if (channel && channel->mNumScalingKeys > 0 && channel->mScalingKeys) {
            const unsigned count = channel->mNumScalingKeys;
            const unsigned index = findKey(channel->mScalingKeys, count, forward ? last.get<2>() : 0, t);
            scaling = channel->mScalingKeys[index].mValue;
            last.get<2>() = index;
        }

        const float w = rotation.w;
        const float x = rotation.x;
        const float y = rotation.y;
        const float z = rotation.z;
        aiMatrix4x4& m = transforms[c];
        m.a1 = (1.0f - 2.0f * (y * y + z * z)) * scaling.x;
        m.a2 = 2.0f * (x * y - z * w) * scaling.y;
        m.a3 = 2.0f * (x * z + y * w) * scaling.z;
        m.a4 = position.x;
        m.b1 = 2.0f * (x * y + z * w) * scaling.x;
        m.b2 = (1.0f - 2.0f * (x * x + z * z)) * scaling.y;
        m.b3 = 2.0f * (y * z - x * w) * scaling.z;
        m.b4 = position.y;
        m.c1 = 2.0f * (x * z - y * w) * scaling.x;
        m.c2 = 2.0f * (y * z + x * w) * scaling.y;
        m.c3 = (1.0f - 2.0f * (x * x + y * y)) * scaling.z;
        m.c4 = position.z;
        m.d1 = 0.0f;
        m.d2 = 0.0f;
        m.d3 = 0.0f;
        m.d4 = 1.0f;
    }
    lastTime = t;
}
