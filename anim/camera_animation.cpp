// anim/camera_animation.cpp -- the camera model: its animation, the refcam and fov channels, its matrix.
#include "anim/camera_animation.h"

#include <algorithm>
#include <cmath>
#include <strings.h>
#include <unordered_set>

#include "model/animation.h"
#include "anim/channel_keys.h"
#include "model/model.h"

CameraClock& cameraClock() {
    static CameraClock clock;
    return clock;
}

namespace {

// Local time inside the animation's span; a span of zero (or none at all) stays at its start.
double localTime(const AnimationV6& anim, double time) {
    const double start = anim.startTime, span = static_cast<double>(anim.endTime) - anim.startTime;
    if (span == 0 || !std::isfinite(span)) return start;
    const double cycles = (time - cameraClock().t0) / span;
    if (!std::isfinite(cycles)) return start;
    return start + span * (cycles - std::trunc(cycles));
}

double frameTime(const AnimChannelV6& c, double localTime) {
    return (localTime - c.startTime) * c.frameRate;
}

// Every channel joint the model lacks becomes a joint (a camera); "bounds" channels name none.
// The joint array may move, so the channels are bound again.
void addCameraJoints(Model& model) {
    if (!model.animV6) return;
    std::unordered_set<std::string> known;
    for (const Joint& joint : model.joints) known.insert(joint.name);
    for (const AnimChannelV6& c : model.animV6->channels) {
        if (c.jointName.find("bounds") != std::string::npos || known.count(c.jointName)) continue;
        Joint joint;
        joint.name = c.jointName;
        joint.parent = 0;
        model.joints.push_back(joint);
        known.insert(c.jointName);
    }
    model.jointFov.assign(model.joints.size(), 0.0f);
    model.bindAnimationV6();
}

// Only the last refcam channel that has keys decides; earlier ones would be overwritten.
const AnimChannelV6* refcamChannel(const AnimationV6& anim, double tl, int& key) {
    for (auto c = anim.channels.rbegin(); c != anim.channels.rend(); ++c) {
        if (strcasecmp(c->jointName.c_str(), "refcam") != 0) continue;
        key = channelKeyIndex(*c, frameTime(*c, tl));
        if (key >= 0) return &*c;
    }
    return nullptr;
}

} // namespace

void Model::loadCameraAnimation(const char* fileName) {
    loadAnimation(fileName);
    addCameraJoints(*this);
}

void Model::loadCameraAnimationText(std::string_view text) {
    loadAnimationText(text);
    addCameraJoints(*this);
}

void Model::updateCameraAnimation(double time) {
    if (!animV6) return;
    if (cameraClock().t0 == 0) cameraClock().t0 = time;
    const double tl = localTime(*animV6, time);
    animate(time);
    int k = -1;
    if (const AnimChannelV6* c = refcamChannel(*animV6, tl, k)) {
        const float key = c->keys[static_cast<size_t>(k)];
        // A key that is no usable string number selects no joint.
        if (key > -2147483648.0f && key < 2147483648.0f) {
            refCam = static_cast<int>(key);
            cameraJoint = refCam >= 0 && refCam < static_cast<int>(c->strings.size())
                              ? findJoint(c->strings[static_cast<size_t>(refCam)].c_str())
                              : -1;
        } else {
            cameraJoint = -1;
        }
    }
    if (cameraJoint < 0 || cameraJoint >= numJoints()) cameraJoint = 0;
    for (const AnimChannelV6& c : animV6->channels) {
        if (strcasecmp(c.attribute.c_str(), "fov") != 0) continue;
        // The bound joint is the one findJoint gives; "bounds" channels have none and are dropped.
        const int j = c.joint;
        if (j < 0 || j >= static_cast<int>(jointFov.size())) continue;
        ChannelKeys keys;
        if (!channelKeysAt(c, frameTime(c, tl), keys)) continue;
        jointFov[static_cast<size_t>(j)] = static_cast<float>((keys.v1 - keys.v0) * keys.frac + keys.v0);
    }
}

void Model::getCameraMatrix(int joint, float out[17]) const {
    if (!animV6 || numJoints() == 0) return;
    const int j = joint < 0 || joint >= numJoints() ? cameraJoint : joint;
    if (j < 0 || j >= numJoints()) return;
    getJointMatrix(j, out);
    out[16] = j < static_cast<int>(jointFov.size()) ? jointFov[static_cast<size_t>(j)] : 0.0f;
}
