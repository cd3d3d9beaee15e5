// tools/demo/creature_rig.cpp -- skeleton and walk cycle of the demo creature.
#include "tools/demo/creature_rig.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

constexpr float kCircleRadius = 26.0f;
constexpr float kGaitHz = 1.0f;      // steps per second; ten per lap keeps the loop whole
constexpr float kWaveLength = 60.0f; // of the sideways body wave
constexpr float kLegHipZ = 8.0f;

struct SectionKey {
    float s, halfWidth, halfHeight;
};

// Profile from tail tip to snout; cosine blends between keys keep the skin smooth.
const SectionKey kProfile[] = {
    {-54.5f, 0.0f, 0.0f}, {-53.5f, 0.45f, 0.45f}, {-40, 1.4f, 1.5f},   {-25, 2.6f, 2.8f},   {-10, 4.3f, 4.0f},
    {0, 5.4f, 4.5f},      {10, 5.8f, 4.6f},       {20, 5.0f, 4.2f},    {26, 3.6f, 3.4f},    {30, 4.2f, 3.6f},
    {35, 4.6f, 3.5f},     {39, 3.6f, 2.6f},       {41.6f, 1.9f, 1.4f}, {42.5f, 0.0f, 0.0f},
};

Vec3 legHip(float x, float side) { return {x, 3.5f * side, kLegHipZ}; }
Vec3 legKnee(float x, float side) { return {x + (x > 10 ? 1.0f : -1.0f), 10.5f * side, 8.5f}; }

std::vector<RigJoint> buildSkeleton() {
    std::vector<RigJoint> j(joint::Count);
    auto spine = [](float s) { return Vec3{s, 0, spineHeight(s)}; };
    j[joint::Origin] = {"origin", -1, {0, 0, 0}, 0};
    j[joint::Pelvis] = {"pelvis", joint::Origin, spine(0), 63};
    j[joint::Spine] = {"spine", joint::Pelvis, spine(10), 63};
    j[joint::Chest] = {"chest", joint::Spine, spine(20), 63};
    j[joint::Neck] = {"neck", joint::Chest, spine(28), 63};
    j[joint::Head] = {"head", joint::Neck, spine(34), 63};
    j[joint::Lure] = {"lure", joint::Head, lureStalkPoints()[0] + Vec3{1.0f, 0, 1.0f}, 56};
    j[joint::Tail1] = {"tail1", joint::Pelvis, spine(-8), 63};
    j[joint::Tail2] = {"tail2", joint::Tail1, spine(-17), 63};
    j[joint::Tail3] = {"tail3", joint::Tail2, spine(-26), 63};
    j[joint::Tail4] = {"tail4", joint::Tail3, spine(-35), 63};
    j[joint::Tail5] = {"tail5", joint::Tail4, spine(-44), 63};
    j[joint::ThighFL] = {"thigh_fl", joint::Chest, legHip(18, 1), 56};
    j[joint::ShinFL] = {"shin_fl", joint::ThighFL, legKnee(18, 1), 56};
    j[joint::ThighFR] = {"thigh_fr", joint::Chest, legHip(18, -1), 56};
    j[joint::ShinFR] = {"shin_fr", joint::ThighFR, legKnee(18, -1), 56};
    j[joint::ThighBL] = {"thigh_bl", joint::Pelvis, legHip(-1, 1), 56};
    j[joint::ShinBL] = {"shin_bl", joint::ThighBL, legKnee(-1, 1), 56};
    j[joint::ThighBR] = {"thigh_br", joint::Pelvis, legHip(-1, -1), 56};
    j[joint::ShinBR] = {"shin_br", joint::ThighBR, legKnee(-1, -1), 56};
    return j;
}

// The spine's centre line at time t: the circle walk plus the sideways wave and the bob.
Vec3 spineCurve(float s, float t) {
    float lap = 2 * kPi * t / kWalkSeconds;
    float a = lap + s / kCircleRadius;
    Vec3 onCircle{kCircleRadius * std::cos(a), kCircleRadius * std::sin(a), 0};
    Vec3 inward{-std::cos(a), -std::sin(a), 0};
    float gait = 2 * kPi * kGaitHz * t;
    float wave = gait - 2 * kPi * s / kWaveLength;
    float amplitude = s > 20 ? std::max(0.3f, 1.2f - (s - 20) * 0.04f) : 1.2f + std::max(0.0f, -s) * 0.055f;
    float tailLift = 0.6f * std::sin(wave + 1.0f) * clamp01((-s - 10) / 40);
    float bob = 0.35f * std::sin(2 * gait) * (s > -10 ? 1.0f : 0.5f);
    return onCircle + inward * (amplitude * std::sin(wave)) + Vec3{0, 0, spineHeight(s) + bob + tailLift};
}

Mat3 spineFrame(float s, float t) { return frameFromForward(spineCurve(s + 0.5f, t) - spineCurve(s - 0.5f, t)); }

// Sprawling gait: the thigh swings about the hip's vertical axis and lifts the knee while
// the foot travels forward; diagonal legs move together, the shins trailing a little.
void poseLeg(std::vector<JointPose>& local, int thigh, float side, float phase, float t) {
    float psi = 2 * kPi * kGaitHz * t + phase;
    float swing = 35.0f * std::sin(psi);
    float lift = 24.0f * std::pow(std::max(0.0f, std::cos(psi)), 1.5f);
    local[static_cast<size_t>(thigh)].rot = rotZ(-side * swing) * rotX(side * lift);
    // The shin undoes the lift, so the foot rises straight up under the knee.
    local[static_cast<size_t>(thigh + 1)].rot = rotX(-side * lift) * rotZ(side * 0.3f * swing);
}

JointPose relativeTo(const JointPose& parent, const JointPose& world) {
    Mat3 inv = transpose(parent.rot);
    return {inv * (world.pos - parent.pos), inv * world.rot};
}

} // namespace

float spineHeight(float s) {
    if (s > 20) return 9.0f + (s - 20) * 0.12f;
    if (s < -8) return 9.0f - (-8 - s) * 0.13f;
    return 9.0f;
}

void bodySection(float s, float& halfWidth, float& halfHeight) {
    halfWidth = halfHeight = 0;
    const size_t n = sizeof kProfile / sizeof kProfile[0];
    for (size_t i = 0; i + 1 < n; ++i) {
        const SectionKey& a = kProfile[i];
        const SectionKey& b = kProfile[i + 1];
        if (s < a.s || s > b.s) continue;
        float f = (1 - std::cos(kPi * (s - a.s) / (b.s - a.s))) / 2;
        halfWidth = mix(a.halfWidth, b.halfWidth, f);
        halfHeight = mix(a.halfHeight, b.halfHeight, f);
        return;
    }
}

std::vector<Vec3> lureStalkPoints() {
    float w, h;
    bodySection(35, w, h);
    Vec3 base{35, 0, spineHeight(35) + h * 0.8f};
    return {base, base + Vec3{2.0f, 0, 3.0f}, base + Vec3{4.5f, 0, 5.5f}, base + Vec3{7.5f, 0, 6.6f}};
}

Vec3 lureLightOffset() {
    Vec3 tip = lureStalkPoints().back();
    return tip + Vec3{1.0f, 0, 0.7f} - creatureSkeleton()[joint::Lure].bindPos;
}

const std::vector<RigJoint>& creatureSkeleton() {
    static const std::vector<RigJoint> skeleton = buildSkeleton();
    return skeleton;
}

std::vector<JointPose> bindLocalPose() {
    const std::vector<RigJoint>& sk = creatureSkeleton();
    std::vector<JointPose> local(sk.size());
    for (size_t i = 0; i < sk.size(); ++i) {
        Vec3 parentPos = sk[i].parent >= 0 ? sk[static_cast<size_t>(sk[i].parent)].bindPos : Vec3{};
        local[i].pos = sk[i].bindPos - parentPos;
    }
    return local;
}

std::vector<JointPose> toModelSpace(const std::vector<JointPose>& local) {
    const std::vector<RigJoint>& sk = creatureSkeleton();
    std::vector<JointPose> world(local.size());
    for (size_t i = 0; i < local.size(); ++i) {
        if (sk[i].parent < 0) {
            world[i] = local[i];
            continue;
        }
        const JointPose& p = world[static_cast<size_t>(sk[i].parent)];
        world[i] = {p.pos + p.rot * local[i].pos, p.rot * local[i].rot};
    }
    return world;
}

std::vector<JointPose> walkLocalPose(float t) {
    const std::vector<RigJoint>& sk = creatureSkeleton();
    std::vector<JointPose> local = bindLocalPose();

    // The spine chain is placed in model space along the curve, then made parent-relative.
    std::vector<JointPose> world(sk.size());
    const int chain[] = {joint::Pelvis, joint::Spine, joint::Chest, joint::Neck,  joint::Head,
                         joint::Tail1,  joint::Tail2, joint::Tail3, joint::Tail4, joint::Tail5};
    for (int j : chain) {
        float s = sk[static_cast<size_t>(j)].bindPos.x;
        world[static_cast<size_t>(j)] = {spineCurve(s, t), spineFrame(s, t)};
    }
    Mat3& head = world[joint::Head].rot;
    head = head * rotZ(14.0f * std::sin(2 * kPi * t / 5.0f)) * rotY(-5.0f * std::sin(2 * kPi * 0.5f * t));
    for (int j : chain) {
        const JointPose& parent = world[static_cast<size_t>(sk[static_cast<size_t>(j)].parent)];
        local[static_cast<size_t>(j)] = relativeTo(parent, world[static_cast<size_t>(j)]);
    }

    local[joint::Lure].rot = rotY(12.0f * std::sin(2 * kPi * t)) * rotX(7.0f * std::sin(2 * kPi * 0.5f * t));
    poseLeg(local, joint::ThighFL, 1, 0, t);
    poseLeg(local, joint::ThighBR, -1, 0, t);
    poseLeg(local, joint::ThighFR, -1, kPi, t);
    poseLeg(local, joint::ThighBL, 1, kPi, t);
    return local;
}

} // namespace demo
