// tests/support/synthetic_skin.h -- a generated skinned model and version 10 animation, built in
// memory for the skinning benchmark and the tests that compare the fast loops with the plain ones.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "model/animation.h"
#include "model/model.h"

namespace synthetic {

inline uint32_t hashOf(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// A torus of columns x rows vertices (2 x columns x rows triangles) skinned to a chain of
// `jointCount` joints along its ring with 1 to 4 weights per vertex. About one vertex in 33
// gets a clone that draws its later triangles, and every triangle gives its vectors to the
// vertices that draw its corners, as the geometry analysis leaves them.
inline void buildTorusModel(Model& model, int columns, int rows, int jointCount) {
    const float kPi = 3.14159265f;
    model.release();
    model.allocateMeshes(1);
    model.joints.assign(static_cast<size_t>(jointCount), Joint{});
    for (int j = 0; j < jointCount; ++j) {
        Joint& joint = model.joints[static_cast<size_t>(j)];
        joint.name = "joint" + std::to_string(j);
        joint.parent = j - 1;
        const float a = 2 * kPi * (j + 0.5f) / jointCount;
        joint.bindPos[0] = 10 * std::cos(a);
        joint.bindPos[1] = 10 * std::sin(a);
        const float c = std::cos(a), s = std::sin(a);
        const float rot[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
        std::copy(rot, rot + 9, joint.bindRot);
        std::copy(joint.bindPos, joint.bindPos + 3, joint.pos);
        std::copy(rot, rot + 9, joint.rot);
    }
    const int numVerts = columns * rows;
    const int numTris = 2 * numVerts;
    std::vector<Vertex>& vs = model.verts[0];
    std::vector<VertexWeight>& ws = model.weights[0];
    vs.resize(static_cast<size_t>(numVerts));
    for (int i = 0; i < columns; ++i)
        for (int r = 0; r < rows; ++r) {
            const int index = i * rows + r;
            Vertex& v = vs[static_cast<size_t>(index)];
            const float a = 2 * kPi * i / columns, b = 2 * kPi * r / rows;
            const float p[3] = {(10 + 3 * std::cos(b)) * std::cos(a), (10 + 3 * std::cos(b)) * std::sin(a), 3 * std::sin(b)};
            v.u = static_cast<float>(i) / columns;
            v.v = static_cast<float>(r) / rows;
            std::copy(p, p + 3, v.pos);
            const int count = 1 + static_cast<int>(hashOf(static_cast<uint32_t>(index)) % 4);
            v.weightStart = static_cast<int>(ws.size());
            v.weightCount = count;
            const int nearest = (i * jointCount / columns) % jointCount;
            float biasLeft = 1;
            for (int w = 0; w < count; ++w) {
                VertexWeight weight;
                weight.joint = (nearest + w) % jointCount;
                weight.bias = w + 1 == count ? biasLeft : biasLeft * 0.6f;
                biasLeft -= weight.bias;
                const Joint& joint = model.joints[static_cast<size_t>(weight.joint)];
                const float d[3] = {p[0] - joint.bindPos[0], p[1] - joint.bindPos[1], p[2] - joint.bindPos[2]};
                for (int k = 0; k < 3; ++k)
                    weight.pos[k] = joint.bindRot[3 * k] * d[0] + joint.bindRot[3 * k + 1] * d[1] + joint.bindRot[3 * k + 2] * d[2];
                ws.push_back(weight);
            }
        }
    std::vector<Triangle>& ts = model.tris[0];
    std::vector<int>& draw = model.indices[0];
    ts.resize(static_cast<size_t>(numTris));
    draw.resize(3 * static_cast<size_t>(numTris));
    std::vector<int> uses(static_cast<size_t>(numVerts), 0);
    std::vector<int> cloneOf(static_cast<size_t>(numVerts), -1), cloneTri(static_cast<size_t>(numVerts), 0);
    int t = 0;
    for (int i = 0; i < columns; ++i)
        for (int r = 0; r < rows; ++r) {
            const int a = i * rows + r, b = ((i + 1) % columns) * rows + r;
            const int c = i * rows + (r + 1) % rows, d = ((i + 1) % columns) * rows + (r + 1) % rows;
            const int quad[2][3] = {{a, b, d}, {a, d, c}};
            for (const auto& corners : quad) {
                Triangle& tri = ts[static_cast<size_t>(t)];
                for (int k = 0; k < 3; ++k) {
                    int drawn = corners[k];
                    tri.v[k] = drawn;
                    const size_t source = static_cast<size_t>(drawn);
                    const bool split = hashOf(static_cast<uint32_t>(drawn) + 77777u) % 33 == 0;
                    if (split && uses[source]++ >= 3) {
                        if (cloneOf[source] < 0) {
                            Vertex clone;
                            clone.u = vs[source].u;
                            clone.v = vs[source].v;
                            std::copy(vs[source].pos, vs[source].pos + 3, clone.pos);
                            cloneOf[source] = static_cast<int>(vs.size());
                            cloneTri[source] = t;
                            vs.push_back(clone);
                        }
                        drawn = cloneOf[source];
                    }
                    draw[3 * static_cast<size_t>(t) + static_cast<size_t>(k)] = drawn;
                }
                ++t;
            }
        }
    model.numVerts[0] = numVerts;
    model.clearCloneLists(0);
    std::vector<int>& cloneStart = model.cloneStart[0];
    for (int i = 0; i < numVerts; ++i) {
        cloneStart[static_cast<size_t>(i)] = static_cast<int>(model.cloneItems[0].size());
        if (cloneOf[static_cast<size_t>(i)] < 0) continue;
        model.cloneItems[0].push_back(cloneOf[static_cast<size_t>(i)]);
        model.cloneTriItems[0].push_back(cloneTri[static_cast<size_t>(i)]);
    }
    std::fill(cloneStart.begin() + numVerts, cloneStart.end(), static_cast<int>(model.cloneItems[0].size()));
    // Every triangle gives its vectors to the vertices that draw its corners.
    for (int tr = 0; tr <= numTris; ++tr) model.triCloneStart[0][static_cast<size_t>(tr)] = 3 * tr;
    model.triCloneItems[0] = draw;
    model.meshLoaded[0] = 1;
    model.hasLocal[0] = 1;
}

// A version 10 animation of every joint of the model, all six components animated, bound.
inline void attachWaveAnimation(Model& model, int numFrames, float frameRate) {
    auto anim = std::make_unique<AnimationV10>();
    const int count = model.numJoints();
    anim->numFrames = numFrames;
    anim->numJoints = count;
    anim->frameRate = frameRate;
    anim->numAnimatedComponents = 6 * count;
    anim->baseFrame.assign(6 * static_cast<size_t>(count), 0.0f);
    anim->bounds.assign(6 * static_cast<size_t>(numFrames), 0.0f);
    anim->joints.resize(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        AnimJointV10& joint = anim->joints[static_cast<size_t>(j)];
        joint.name = model.joints[static_cast<size_t>(j)].name;
        joint.hasName = true;
        joint.parent = j - 1;
        joint.flags = 63;
        joint.startIndex = 6 * j;
    }
    anim->frames.resize(static_cast<size_t>(numFrames));
    for (int f = 0; f < numFrames; ++f) {
        std::vector<float>& frame = anim->frames[static_cast<size_t>(f)];
        frame.resize(6 * static_cast<size_t>(count));
        for (int j = 0; j < count; ++j) {
            const float phase = 0.3f * std::sin(6.2831853f * f / numFrames + j);
            float* c = &frame[6 * static_cast<size_t>(j)];
            c[0] = j == 0 ? 10.0f : 1.5f;
            c[1] = 0.2f * phase;
            c[2] = 0.1f * phase;
            c[3] = 0.05f * phase;
            c[4] = 0.1f * phase;
            c[5] = std::sin(3.14159265f / count) + 0.02f * phase;
        }
    }
    model.animV10 = std::move(anim);
    model.bindAnimationV10();
}

} // namespace synthetic
