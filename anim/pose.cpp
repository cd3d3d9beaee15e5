// anim/pose.cpp -- animate: the skeleton pose of version 10 and version 6 animations at a time.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/animation.h"
#include "anim/channel_keys.h"
#include "base/pose_math.h"
#include "model/model.h"

namespace {

struct FramePair {
    int frame0 = 0;
    int frame1 = 0;
    float frac = 0;
};

// The two frames around `time` (wrapped to the animation's length). False for an animation
// that has no frames, no usable frame rate or no finite time: the joints then stay as they are.
bool framesAt(const AnimationV10& anim, double time, FramePair& out) {
    if (anim.numFrames <= 0 || anim.frameRate == 0.0f || !std::isfinite(anim.frameRate)) return false;
    const float length = static_cast<float>(anim.numFrames) / anim.frameRate;
    if (length == 0.0f || !std::isfinite(length) || !std::isfinite(time)) return false;
    double u = std::fmod(time, static_cast<double>(length)) / length;
    if (u < 0) u += 1;
    const double f = u * length * anim.frameRate;
    if (!(f >= 0)) return false;
    // u may round up to exactly 1 for a tiny negative remainder: hold the last frame then.
    if (f >= anim.numFrames) {
        out.frame0 = anim.numFrames - 1;
        out.frac = 0;
    } else {
        out.frame0 = static_cast<int>(f);
        out.frac = static_cast<float>(f - out.frame0);
    }
    out.frame1 = out.frame0 + 1 < anim.numFrames ? out.frame0 + 1 : out.frame0;
    return true;
}

// Component k of a frame; components the frame does not hold read as 0, as zero-filled arrays would.
float component(const AnimationV10& anim, int frame, long long k) {
    if (frame < 0 || static_cast<size_t>(frame) >= anim.frames.size()) return 0.0f;
    const std::vector<float>& values = anim.frames[static_cast<size_t>(frame)];
    if (k < 0 || k >= static_cast<long long>(values.size())) return 0.0f;
    return values[static_cast<size_t>(k)];
}

// w of a unit quaternion from x, y, z; the negative root, 0 when the radicand is negative.
float completeW(const float q[3]) {
    const float t = 1.0f - q[0] * q[0] - q[1] * q[1] - q[2] * q[2];
    return t < 0 ? 0.0f : -std::sqrt(t);
}

void storePose(Joint& joint, const float pose[16]) {
    memcpy(joint.poseMatrix, pose, sizeof joint.poseMatrix);
    joint.pos[0] = pose[12];
    joint.pos[1] = pose[13];
    joint.pos[2] = pose[14];
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) joint.rot[3 * c + r] = pose[4 * c + r];
}

// The local matrix of one animated joint: base frame, replaced by the animated components.
void localMatrixV10(const AnimationV10& anim, int j, const FramePair& frames, float out[16]) {
    const AnimJointV10& joint = anim.joints[static_cast<size_t>(j)];
    float p[3] = {0, 0, 0}, q0[4] = {0, 0, 0, 0}, q1[4] = {0, 0, 0, 0};
    if (static_cast<size_t>(j) * 6 + 6 <= anim.baseFrame.size()) {
        const float* base = &anim.baseFrame[static_cast<size_t>(j) * 6];
        for (int i = 0; i < 3; ++i) {
            p[i] = base[i];
            q0[i] = q1[i] = base[3 + i];
        }
    }
    if (joint.flags > 0) {
        long long k = joint.startIndex;
        for (int bit = 0; bit < 6; ++bit) {
            if (!(joint.flags & (1 << bit))) continue;
            const float v0 = component(anim, frames.frame0, k);
            const float v1 = component(anim, frames.frame1, k);
            ++k;
            if (bit < 3) {
                p[bit] = (v1 - v0) * frames.frac + v0;
            } else {
                q0[bit - 3] = v0;
                q1[bit - 3] = v1;
            }
        }
    }
    q0[3] = completeW(q0);
    q1[3] = completeW(q1);
    float a[16], b[16];
    quaternionToMatrix(q0, a);
    quaternionToMatrix(q1, b);
    blendRotation(a, b, frames.frac, out);
    out[12] = p[0];
    out[13] = p[1];
    out[14] = p[2];
}

int angleSlot(const std::string& attribute) {
    if (attribute == "pitch") return 0;
    if (attribute == "yaw") return 1;
    if (attribute == "roll") return 2;
    return -1;
}

float* targetField(Joint& joint, ChannelTarget target) {
    switch (target) {
    case ChannelTarget::X: return &joint.animX;
    case ChannelTarget::Y: return &joint.animY;
    case ChannelTarget::Z: return &joint.animZ;
    case ChannelTarget::Pitch: return &joint.animPitch;
    case ChannelTarget::Yaw: return &joint.animYaw;
    case ChannelTarget::Roll: return &joint.animRoll;
    case ChannelTarget::None: break;
    }
    return nullptr;
}

// One channel at `time`. A channel whose end time equals its start time has no length to wrap
// the time into and is left out, as is one without keys.
void applyChannel(const AnimChannelV6& c, double time, std::vector<Joint>& joints, int numJoints) {
    const float duration = c.endTime - c.startTime;
    if (duration == 0.0f || !std::isfinite(duration) || !std::isfinite(time)) return;
    double u = std::fmod(time, static_cast<double>(duration)) / duration;
    if (u < 0) u += 1;
    if (c.target == ChannelTarget::None || c.joint < 0 || c.joint >= numJoints) return;
    const double ft = (static_cast<double>(duration) * u + c.startTime) * c.frameRate;
    ChannelKeys keys;
    if (!channelKeysAt(c, ft, keys)) return;
    Joint& joint = joints[static_cast<size_t>(c.joint)];
    const int slot = angleSlot(c.attribute);
    if (slot >= 0) {
        // Unwrapped so that 350 to 10 degrees turns through 0, not through 180.
        if (keys.v1 - keys.v0 > 180) keys.v1 -= 360;
        if (keys.v1 - keys.v0 < -180) keys.v1 += 360;
        joint.angleFrom[slot] = keys.v0;
        joint.angleTo[slot] = keys.v1;
        joint.angleBlend = static_cast<float>(keys.frac);
    }
    *targetField(joint, c.target) = static_cast<float>((keys.v1 - keys.v0) * keys.frac + keys.v0);
}

// Every joint in index order: parent pose x translation x the blended turn. A parent after its
// child gives that child the parent's pose of the previous frame.
void poseV6(std::vector<Joint>& joints, int count) {
    for (int i = 0; i < count; ++i) {
        Joint& joint = joints[static_cast<size_t>(i)];
        float pose[16], local[16], from[16], to[16], turn[16];
        identityMatrix(pose);
        if (joint.hasParentName && joint.parent >= 0 && joint.parent < count)
            memcpy(pose, joints[static_cast<size_t>(joint.parent)].poseMatrix, sizeof pose);
        identityMatrix(local);
        local[12] = joint.animX;
        local[13] = joint.animY;
        local[14] = joint.animZ;
        multiplyColumnMajor(pose, local, pose);
        eulerToMatrix(joint.angleFrom[1], joint.angleFrom[0], joint.angleFrom[2], from);
        eulerToMatrix(joint.angleTo[1], joint.angleTo[0], joint.angleTo[2], to);
        blendRotation(from, to, joint.angleBlend, turn);
        multiplyColumnMajor(pose, turn, pose);
        storePose(joint, pose);
    }
}

// The bound joints in hierarchy order; a joint whose parent entry is unbound is skipped.
void poseV10(const AnimationV10& anim, const FramePair& frames, std::vector<Joint>& joints, int count) {
    const int animJoints = static_cast<int>(anim.joints.size());
    for (int j = 0; j < animJoints; ++j) {
        const AnimJointV10& aj = anim.joints[static_cast<size_t>(j)];
        if (aj.meshJoint < 0 || aj.meshJoint >= count) continue;
        const float* parentPose = nullptr;
        if (aj.parent >= 0) {
            const int bound = aj.parent < animJoints ? anim.joints[static_cast<size_t>(aj.parent)].meshJoint : -1;
            if (bound < 0 || bound >= count) continue;
            parentPose = joints[static_cast<size_t>(bound)].poseMatrix;
        }
        float local[16], pose[16];
        localMatrixV10(anim, j, frames, local);
        if (parentPose)
            multiplyColumnMajor(parentPose, local, pose);
        else
            memcpy(pose, local, sizeof pose);
        storePose(joints[static_cast<size_t>(aj.meshJoint)], pose);
    }
}

} // namespace

void Model::animate(double time) {
    const int count = numJoints();
    if (animV6) {
        for (const AnimChannelV6& c : animV6->channels) applyChannel(c, time, joints, count);
        poseV6(joints, count);
        return;
    }
    FramePair frames;
    if (animV10 && framesAt(*animV10, time, frames)) poseV10(*animV10, frames, joints, count);
}
