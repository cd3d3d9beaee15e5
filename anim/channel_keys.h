// anim/channel_keys.h -- the key pair of a version 6 channel at a frame time.
#pragma once

#include "model/animation.h"

struct ChannelKeys {
    float v0 = 0;    // key at the frame
    float v1 = 0;    // the next key, or v0 outside the range and at the last key
    double frac = 0; // ft - fi: the fraction between them
};

// ft is the frame time (seconds x frame rate). The frame is held inside the channel's range and
// its keys. False (nothing to read) when the channel has no keys or ft is not a finite number.
bool channelKeysAt(const AnimChannelV6& channel, double ft, ChannelKeys& out);

// The key index the frame time selects, or -1 under the same conditions as above.
int channelKeyIndex(const AnimChannelV6& channel, double ft, bool* inRange = nullptr);
