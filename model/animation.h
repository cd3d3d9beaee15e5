// model/animation.h -- the loaded animation records of both MD5anim versions, owned by a Model.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One joint of a version 10 hierarchy. meshJoint is the index of the bound Joint of the
// Model (an index rather than a pointer, so a joint array that moves cannot leave it dangling).
struct AnimJointV10 {
    std::string name;
    bool hasName = false; // false for entries the hierarchy block never reached
    int parent = 0;       // -1 for a root
    int flags = 0;        // 1, 2, 4: position x, y, z animated; 8, 16, 32: orientation x, y, z
    int startIndex = 0;   // first animated component of this joint within a frame
    int meshJoint = -1;   // -1: unbound
};

struct AnimationV10 {
    int numFrames = 0;
    int numJoints = 0;
    float frameRate = 24.0f;
    int numAnimatedComponents = 0;
    std::vector<float> bounds;              // numFrames x 6: min x, y, z, max x, y, z
    std::vector<float> baseFrame;           // numJoints x 6: position, quaternion x, y, z
    std::vector<std::vector<float>> frames; // numFrames arrays; each numAnimatedComponents long once sized
    std::vector<AnimJointV10> joints;       // numJoints entries
};

// The Joint field a version 6 channel drives.
enum class ChannelTarget { None, X, Y, Z, Pitch, Yaw, Roll };

// Longest text a channel string holds; longer strings in the file are cut to it.
constexpr size_t kChannelStringMax = 29;

struct AnimChannelV6 {
    std::string jointName;
    std::string attribute;
    ChannelTarget target = ChannelTarget::None;
    int joint = -1; // index of the bound Joint, -1: unbound
    float startTime = 0;
    float endTime = 0;
    float frameRate = 0;
    int rangeStart = 0;
    int rangeEnd = 0;
    int numKeys = 0;
    std::vector<float> keys; // numKeys entries
    int numStrings = 0;
    std::vector<std::string> strings; // numStrings entries, each at most kChannelStringMax long
};

struct AnimationV6 {
    int numChannels = 0;
    std::vector<AnimChannelV6> channels; // numChannels entries
    int rangeStart = 0;
    int rangeEnd = 0;
    float startTime = 500000.0f;
    float endTime = 0.0f;
};
