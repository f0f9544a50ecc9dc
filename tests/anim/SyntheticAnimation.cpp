#include "SyntheticAnimation.h"

#include <algorithm>

namespace {

template <typename Key> Key* copyOut(const std::vector<Key>& keys, unsigned& count) {
    count = static_cast<unsigned>(keys.size());
    if (keys.empty()) {
        return nullptr;
    }
    Key* out = new Key[keys.size()];
    std::copy(keys.begin(), keys.end(), out);
    return out;
}

} // namespace

aiAnimation* makeAnimation(double duration, double ticksPerSecond, const std::vector<ChannelKeys>& channels) {
    aiAnimation* animation = new aiAnimation();
    animation->mName = aiString("Take 001");
    animation->mDuration = duration;
    animation->mTicksPerSecond = ticksPerSecond;
    animation->mNumChannels = static_cast<unsigned>(channels.size());
    animation->mChannels = channels.empty() ? nullptr : new aiNodeAnim*[channels.size()];
    for (size_t i = 0; i < channels.size(); ++i) {
        aiNodeAnim* channel = new aiNodeAnim();
        channel->mNodeName = aiString(channels[i].node);
        channel->mPositionKeys = copyOut(channels[i].positions, channel->mNumPositionKeys);
        channel->mRotationKeys = copyOut(channels[i].rotations, channel->mNumRotationKeys);
        channel->mScalingKeys = copyOut(channels[i].scalings, channel->mNumScalingKeys);
        animation->mChannels[i] = channel;
    }
    return animation;
}

ChannelKeys xTrack(const std::string& node, const std::vector<std::pair<double, float>>& keys) {
    ChannelKeys channel;
    channel.node = node;
    for (const auto& key : keys) {
        channel.positions.push_back(aiVectorKey(key.first, aiVector3D(key.second, 0.0f, 0.0f)));
    }
    return channel;
}

aiMatrix4x4 aiTranslation(float x, float y, float z) {
    aiMatrix4x4 m;
    m.a4 = x;
    m.b4 = y;
    m.c4 = z;
    return m;
}
