// tools/demo/camera_files.cpp -- the MD5Version 6 camera animation: a slow orbit round the
// scene with a breathing field of view, and the "refcam" channel that names the camera joint.
#include <cmath>
#include <functional>

#include "tools/demo/demo_files.h"
#include "tools/demo/text_out.h"

namespace demo {

namespace {

constexpr float kOrbitSeconds = 24.0f;
constexpr float kKeyRate = 10.0f;
constexpr int kKeyCount = 241; // one more than the orbit's key steps: the last pair still blends
const Vec3 kLookAt{0, 0, 8};

struct CameraKey {
    Vec3 pos; // relative to the camera offset
    float yaw, pitch, roll, fov;
};

CameraKey cameraAt(float t) {
    float orbit = 2 * kPi * t / kOrbitSeconds;
    float angle = -kPi / 3 + orbit;
    float radius = 112 + 15 * std::sin(2 * orbit);
    float height = 50 + 12 * std::sin(orbit);
    Vec3 eye{radius * std::cos(angle), radius * std::sin(angle), height};
    Vec3 toTarget = kLookAt - eye;
    CameraKey k;
    k.pos = eye - kCameraOffset;
    // Yaw keeps climbing past 360 so neighbouring keys never differ by more than a step.
    k.yaw = angle * 180 / kPi + 180;
    k.pitch = std::atan2(-toTarget.z, std::hypot(toTarget.x, toTarget.y)) * 180 / kPi;
    k.roll = 0;
    k.fov = 46 + 6 * std::sin(4 * orbit);
    return k;
}

std::string keyLines(const std::function<float(const CameraKey&)>& pick) {
    std::string out;
    for (int i = 0; i < kKeyCount; ++i) {
        float t = i / kKeyRate;
        out += (i % 8 == 0 ? "\t\t" : " ") + num(pick(cameraAt(t)), 4);
        if (i % 8 == 7 || i + 1 == kKeyCount) out += "\n";
    }
    return out;
}

std::string channelHeader(int index, const char* jointName, const char* attribute, int keyCount, int rangeEnd) {
    std::string out = "channel " + std::to_string(index) + " {\n";
    out += std::string("\tjoint \"") + jointName + "\"\n\tattribute \"" + attribute + "\"\n";
    out += "\tstarttime 0\n\tendtime " + num(kOrbitSeconds) + "\n\tframerate " + num(kKeyRate) + "\n";
    out += "\trange 0 " + std::to_string(rangeEnd) + "\n";
    out += "\tkeys " + std::to_string(keyCount) + "\n";
    return out;
}

} // namespace

bool writeCameraAnimation(const std::string& dir) {
    struct Channel {
        const char* attribute;
        std::function<float(const CameraKey&)> pick;
    };
    const Channel channels[] = {
        {"x", [](const CameraKey& k) { return k.pos.x; }},     {"y", [](const CameraKey& k) { return k.pos.y; }},
        {"z", [](const CameraKey& k) { return k.pos.z; }},     {"yaw", [](const CameraKey& k) { return k.yaw; }},
        {"pitch", [](const CameraKey& k) { return k.pitch; }}, {"roll", [](const CameraKey& k) { return k.roll; }},
        {"fov", [](const CameraKey& k) { return k.fov; }},
    };
    const int count = sizeof channels / sizeof channels[0];
    std::string out = "MD5Version 6\ncommandline \"-range 0 " + std::to_string(kKeyCount - 1) + "\"\n\n";
    out += "numchannels " + std::to_string(count + 1) + "\n\n";
    for (int i = 0; i < count; ++i) {
        out += channelHeader(i, kCameraJoint, channels[i].attribute, kKeyCount, kKeyCount - 1);
        out += keyLines(channels[i].pick) + "}\n\n";
    }
    // The camera in use: key 0 names string 0 for the whole orbit.
    out += channelHeader(count, "refcam", "index", 1, 0);
    out += "\t\t0\n\tstrings 1\n\t \"" + std::string(kCameraJoint) + "\"\n}\n";
    return writeTextFile(dir + "/" + path::kCamera, out);
}

} // namespace demo
