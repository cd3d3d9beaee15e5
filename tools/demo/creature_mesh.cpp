// tools/demo/creature_mesh.cpp -- body tube, legs, crest and lure of the demo creature.
#include "tools/demo/creature_mesh.h"

#include <cmath>

namespace demo {

namespace {

// The two spine joints around s share a ring by distance; beyond the end joints one holds it.
std::vector<Influence> spineInfluences(float s) {
    struct Key {
        float s;
        int joint;
    };
    static const Key keys[] = {{-44, joint::Tail5}, {-35, joint::Tail4}, {-26, joint::Tail3}, {-17, joint::Tail2},
                               {-8, joint::Tail1},  {0, joint::Pelvis},  {10, joint::Spine},  {20, joint::Chest},
                               {28, joint::Neck},   {34, joint::Head}};
    const size_t n = sizeof keys / sizeof keys[0];
    if (s <= keys[0].s) return {{keys[0].joint, 1}};
    if (s >= keys[n - 1].s) return {{keys[n - 1].joint, 1}};
    for (size_t i = 0; i + 1 < n; ++i) {
        if (s > keys[i + 1].s) continue;
        float f = smoothstep(keys[i].s, keys[i + 1].s, s);
        if (f < 0.01f) return {{keys[i].joint, 1}};
        if (f > 0.99f) return {{keys[i + 1].joint, 1}};
        return {{keys[i].joint, 1 - f}, {keys[i + 1].joint, f}};
    }
    return {{keys[n - 1].joint, 1}};
}

BuildMesh bodyMesh() {
    BuildMesh mesh;
    mesh.material = "models/creature/skin";
    std::vector<float> stations;
    const int count = 78;
    for (int i = 0; i <= count; ++i) stations.push_back(mix(kTailTip, kSnoutTip, static_cast<float>(i) / count));
    stations.insert(stations.end() - 1, {42.0f, 42.3f}); // a rounder snout
    stations.insert(stations.begin() + 1, -54.2f);
    std::vector<TubeRing> rings;
    for (float s : stations) {
        TubeRing r;
        r.centre = {s, 0, spineHeight(s)};
        bodySection(s, r.halfWidth, r.halfHeight);
        r.t = (s - kTailTip) / (kSnoutTip - kTailTip);
        r.influences = spineInfluences(s);
        rings.push_back(r);
    }
    TubeStyle style;
    style.sides = 20;
    addTube(mesh, rings, style);
    return mesh;
}

// One leg from inside the body out to the toes; the knee blends thigh into shin.
void addLeg(BuildMesh& mesh, int thigh, float hipX, float side) {
    const std::vector<RigJoint>& sk = creatureSkeleton();
    Vec3 hip = sk[static_cast<size_t>(thigh)].bindPos;
    Vec3 knee = sk[static_cast<size_t>(thigh + 1)].bindPos;
    Vec3 ankle{hipX + (hipX > 10 ? 2.0f : -2.0f), 12.5f * side, 1.8f};
    Vec3 toe = ankle + Vec3{3.2f, 0.6f * side, -1.1f};
    PolylineTube line;
    line.points = {hip - Vec3{0, 2.5f * side, 0}, hip, knee, ankle, toe};
    line.ringsPerSegment = 3;
    std::vector<float> knots{0};
    for (size_t i = 1; i < line.points.size(); ++i)
        knots.push_back(knots.back() + length(line.points[i] - line.points[i - 1]));
    const float radii[] = {2.0f, 1.9f, 1.5f, 1.0f, 0.7f};
    auto radius = [&](float arc, float) {
        for (size_t i = 0; i + 1 < knots.size(); ++i)
            if (arc <= knots[i + 1] + 1e-4f)
                return mix(radii[i], radii[i + 1], (arc - knots[i]) / (knots[i + 1] - knots[i]));
        return radii[4];
    };
    const float kneeArc = knots[2];
    auto influences = [&](float arc, float) -> std::vector<Influence> {
        float shin = smoothstep(kneeArc - 1.5f, kneeArc + 1.5f, arc);
        if (shin < 0.01f) return {{thigh, 1}};
        if (shin > 0.99f) return {{thigh + 1, 1}};
        return {{thigh, 1 - shin}, {thigh + 1, shin}};
    };
    std::vector<TubeRing> rings = ringsAlong(line, radius, influences);
    TubeRing start = rings.front(), end = rings.back();
    start.centre = start.centre - normalize(line.points[1] - line.points[0]) * 0.8f;
    start.halfWidth = start.halfHeight = 0;
    end.centre = end.centre + normalize(toe - ankle) * 0.6f;
    end.halfWidth = end.halfHeight = 0;
    rings.insert(rings.begin(), start);
    rings.push_back(end);
    TubeStyle style;
    style.sides = 10;
    addTube(mesh, rings, style);
}

BuildMesh limbsMesh() {
    BuildMesh mesh;
    mesh.material = "models/creature/limbs";
    addLeg(mesh, joint::ThighFL, 18, 1);
    addLeg(mesh, joint::ThighFR, 18, -1);
    addLeg(mesh, joint::ThighBL, -1, 1);
    addLeg(mesh, joint::ThighBR, -1, -1);
    return mesh;
}

// Crest height at s: a long sail with a saw-tooth top edge.
float crestHeight(float s, float start, float end) {
    float f = (s - start) / (end - start);
    float sail = 4.2f * std::pow(std::sin(kPi * f), 0.8f);
    float saw = std::fabs(std::fmod((s - start) / 3.5f, 1.0f) - 0.5f) * 2; // 1 at the tooth tips
    return sail * (0.7f + 0.3f * saw) + 0.3f;
}

// The crest is a thin wedge standing in the body: two painted sides, a hidden underside
// and two small end faces, so the mesh is closed.
void addCrest(BuildMesh& mesh) {
    const float start = -28, end = 26, step = 0.875f;
    const float halfThick = 0.55f;
    std::vector<int> leftLow, leftTop, rightLow, rightTop, baseL, baseR;
    for (float s = start; s <= end + 1e-3f; s += step) {
        float w, h;
        bodySection(s, w, h);
        float z = spineHeight(s) + h - 0.9f;
        float top = z + crestHeight(s, start, end);
        float u = (s - start) / (end - start);
        std::vector<Influence> inf = spineInfluences(s);
        leftLow.push_back(mesh.addVertex({s, halfThick, z}, u, 0.0f, inf));
        leftTop.push_back(mesh.addVertex({s, 0, top}, u, 0.88f, inf));
        rightLow.push_back(mesh.addVertex({s, -halfThick, z}, u, 0.0f, inf));
        rightTop.push_back(mesh.addVertex({s, 0, top}, u, 0.88f, inf));
        baseL.push_back(mesh.addVertex({s, halfThick, z}, u, 0.02f, inf));
        baseR.push_back(mesh.addVertex({s, -halfThick, z}, u, 0.0f, inf));
    }
    for (size_t i = 0; i + 1 < leftLow.size(); ++i) {
        mesh.addTriangle(leftLow[i], leftLow[i + 1], leftTop[i + 1], {0, 1, 0});
        mesh.addTriangle(leftLow[i], leftTop[i + 1], leftTop[i], {0, 1, 0});
        mesh.addTriangle(rightLow[i], rightLow[i + 1], rightTop[i + 1], {0, -1, 0});
        mesh.addTriangle(rightLow[i], rightTop[i + 1], rightTop[i], {0, -1, 0});
        mesh.addTriangle(baseL[i], baseL[i + 1], baseR[i + 1], {0, 0, -1});
        mesh.addTriangle(baseL[i], baseR[i + 1], baseR[i], {0, 0, -1});
    }
    size_t last = leftLow.size() - 1;
    mesh.addTriangle(leftLow[0], rightLow[0], leftTop[0], {-1, 0, 0});
    mesh.addTriangle(leftLow[last], rightLow[last], leftTop[last], {1, 0, 0});
}

// The stalk leaves the head and carries the light at its tip; it takes the crest's bright
// top band.
void addLureStalk(BuildMesh& mesh) {
    PolylineTube line;
    line.points = lureStalkPoints();
    line.ringsPerSegment = 3;
    auto radius = [](float arc, float total) { return mix(0.55f, 0.3f, arc / total); };
    auto influences = [](float arc, float) -> std::vector<Influence> {
        float lure = smoothstep(0.6f, 1.8f, arc);
        if (lure < 0.01f) return {{joint::Head, 1}};
        if (lure > 0.99f) return {{joint::Lure, 1}};
        return {{joint::Head, 1 - lure}, {joint::Lure, lure}};
    };
    std::vector<TubeRing> rings = ringsAlong(line, radius, influences);
    for (TubeRing& r : rings) r.t = 0.9f + 0.08f * r.t;
    TubeRing tip = rings.back();
    tip.centre = tip.centre + normalize(line.points[3] - line.points[2]) * 0.4f;
    tip.halfWidth = tip.halfHeight = 0;
    TubeRing base = rings.front();
    base.centre = base.centre - Vec3{0, 0, 1.0f};
    base.halfWidth = base.halfHeight = 0;
    rings.insert(rings.begin(), base);
    rings.push_back(tip);
    TubeStyle style;
    style.sides = 8;
    style.uStart = 0.45f;
    style.uSpan = 0.1f;
    addTube(mesh, rings, style);
}

BuildMesh finMesh() {
    BuildMesh mesh;
    mesh.material = "models/creature/fin";
    addCrest(mesh);
    addLureStalk(mesh);
    return mesh;
}

} // namespace

std::vector<BuildMesh> creatureMeshes() { return {bodyMesh(), limbsMesh(), finMesh()}; }

std::vector<Vec3> skinPositions(const BuildMesh& mesh, const std::vector<JointPose>& modelPose) {
    const std::vector<RigJoint>& sk = creatureSkeleton();
    std::vector<Vec3> out;
    out.reserve(mesh.verts.size());
    for (const BuildVertex& v : mesh.verts) {
        Vec3 p;
        for (const Influence& in : v.influences) {
            const JointPose& j = modelPose[static_cast<size_t>(in.joint)];
            Vec3 local = v.pos - sk[static_cast<size_t>(in.joint)].bindPos;
            p = p + (j.pos + j.rot * local) * in.bias;
        }
        out.push_back(p);
    }
    return out;
}

} // namespace demo
