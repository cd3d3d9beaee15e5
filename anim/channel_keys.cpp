// anim/channel_keys.cpp -- key selection of version 6 channels, held to the range and the keys.
#include "anim/channel_keys.h"

#include <cmath>

int channelKeyIndex(const AnimChannelV6& channel, double ft, bool* inRange) {
    const double numKeys = static_cast<double>(channel.keys.size());
    if (numKeys == 0 || !std::isfinite(ft)) return -1;
    // Worked in double so that no frame number, however large, overflows an int.
    double k = std::trunc(ft);
    bool inside = true;
    if (k > channel.rangeEnd) {
        k = channel.rangeEnd;
        inside = false;
    }
    if (k < channel.rangeStart) {
        k = channel.rangeStart;
        inside = false;
    }
    k -= channel.rangeStart;
    if (k >= numKeys) k = numKeys - 1;
    if (k < 0) k = 0;
    if (inRange) *inRange = inside;
    return static_cast<int>(k);
}

bool channelKeysAt(const AnimChannelV6& channel, double ft, ChannelKeys& out) {
    bool inRange = false;
    const int k = channelKeyIndex(channel, ft, &inRange);
    if (k < 0) return false;
    const size_t index = static_cast<size_t>(k);
    out.v0 = channel.keys[index];
    out.v1 = index + 1 < channel.keys.size() && inRange ? channel.keys[index + 1] : out.v0;
    out.frac = ft - std::trunc(ft);
    return true;
}
