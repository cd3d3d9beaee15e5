// tools/demo/creature_rig.h -- the demo creature's skeleton and its walk: a four-legged
// lizard that walks a circle round the model origin, body swaying, tail waving, lure bobbing.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/demo_math.h"

namespace demo {

struct RigJoint {
    std::string name;
    int parent = -1;
    Vec3 bindPos;   // model space; every bind rotation is the identity
    int flags = 63; // animated components in the walk (1, 2, 4 position; 8, 16, 32 rotation)
};

struct JointPose {
    Vec3 pos;
    Mat3 rot;
};

namespace joint {
enum : int {
    Origin, Pelvis, Spine, Chest, Neck, Head, Lure, Tail1, Tail2, Tail3, Tail4, Tail5,
    ThighFL, ShinFL, ThighFR, ShinFR, ThighBL, ShinBL, ThighBR, ShinBR, Count
};
}

constexpr float kWalkSeconds = 10.0f; // one lap of the circle
constexpr float kWalkFrameRate = 24.0f;
constexpr int kWalkFrames = 241; // the last frame repeats the first, so the loop shows no jump

const std::vector<RigJoint>& creatureSkeleton();

// Height of the spine above the ground at bind, by distance s along the body (head +X).
float spineHeight(float s);
// Half width and half height of the body's cross-section at s; zero beyond the two tips.
void bodySection(float s, float& halfWidth, float& halfHeight);
constexpr float kSnoutTip = 42.5f;
constexpr float kTailTip = -54.5f;

// Where the light sits in the lure joint's frame: just beyond the stalk's tip.
Vec3 lureLightOffset();
// The stalk's centre line at bind, base to tip.
std::vector<Vec3> lureStalkPoints();

// Joint transforms relative to their parents at time `seconds` of the walk.
std::vector<JointPose> walkLocalPose(float seconds);
// The bind pose relative to parents (the walk's base frame).
std::vector<JointPose> bindLocalPose();
// Model-space transforms from parent-relative ones.
std::vector<JointPose> toModelSpace(const std::vector<JointPose>& local);

} // namespace demo
