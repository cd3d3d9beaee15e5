// tests/support/synthetic_skin.h -- a generated skinned model and version 10 animation, built in
// memory for the skinning benchmark and the tests that compare the fast loops with the plain ones.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "model/animation.h"
#include "model/model.h"

namespace synthetic {

inline size_t at(int i) { return static_cast<size_t>(i); }

inline uint32_t hashOf(uint32_t x) {
    x = (x ^ (x >> 16)) * 0x7feb352dU;
    x = (x ^ (x >> 15)) * 0x846ca68bU;
    return x ^ (x >> 16);
}

// A torus of columns x rows vertices (2 x columns x rows triangles) skinned to a chain of
// `jointCount` joints along its ring with 1 to 4 weights per vertex. About one vertex in 33
// gets a clone that draws its later triangles, and every triangle gives its vectors to the
// vertices that draw its corners, as the geometry analysis leaves them.
inline void buildTorusModel(Model& model, int columns, int rows, int jointCount) {
    const float kPi = 3.14159265f;
    model.release();
    model.allocateMeshes(1);
    model.joints.assign(at(jointCount), Joint{});
    for (int j = 0; j < jointCount; ++j) {
        Joint& joint = model.joints[at(j)];
        joint.name = "joint" + std::to_string(j), joint.parent = j - 1;
        const float a = 2 * kPi * (j + 0.5f) / jointCount, c = std::cos(a), s = std::sin(a);
        const float pos[3] = {10 * c, 10 * s, 0}, rot[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
        std::copy(pos, pos + 3, joint.bindPos);
        std::copy(pos, pos + 3, joint.pos);
        std::copy(rot, rot + 9, joint.bindRot);
        std::copy(rot, rot + 9, joint.rot);
    }
    const int numVerts = columns * rows, numTris = 2 * numVerts;
    std::vector<Vertex>& vs = model.verts[0];
    std::vector<VertexWeight>& ws = model.weights[0];
    vs.resize(at(numVerts));
    for (int i = 0; i < columns; ++i)
        for (int r = 0; r < rows; ++r) {
            const int index = i * rows + r;
            Vertex& v = vs[at(index)];
            const float a = 2 * kPi * i / columns, b = 2 * kPi * r / rows;
            const float p[3] = {(10 + 3 * std::cos(b)) * std::cos(a), (10 + 3 * std::cos(b)) * std::sin(a), 3 * std::sin(b)};
            v.u = static_cast<float>(i) / columns, v.v = static_cast<float>(r) / rows;
            std::copy(p, p + 3, v.pos);
            v.weightStart = static_cast<int>(ws.size());
            v.weightCount = 1 + static_cast<int>(hashOf(static_cast<uint32_t>(index)) % 4);
            float biasLeft = 1;
            for (int w = 0; w < v.weightCount; ++w) {
                VertexWeight weight;
                weight.joint = ((i * jointCount / columns) % jointCount + w) % jointCount;
                weight.bias = w + 1 == v.weightCount ? biasLeft : biasLeft * 0.6f;
                biasLeft -= weight.bias;
                const Joint& joint = model.joints[at(weight.joint)];
                const float d[3] = {p[0] - joint.bindPos[0], p[1] - joint.bindPos[1], p[2] - joint.bindPos[2]};
                for (int k = 0; k < 3; ++k)
                    weight.pos[k] = joint.bindRot[3 * k] * d[0] + joint.bindRot[3 * k + 1] * d[1] + joint.bindRot[3 * k + 2] * d[2];
                ws.push_back(weight);
            }
        }
    std::vector<Triangle>& ts = model.tris[0];
    std::vector<int>& draw = model.indices[0];
    ts.resize(at(numTris)), draw.resize(3 * at(numTris));
    std::vector<int> uses(at(numVerts), 0), cloneOf(at(numVerts), -1), cloneTri(at(numVerts), 0);
    int t = 0;
    for (int i = 0; i < columns; ++i)
        for (int r = 0; r < rows; ++r) {
            const int a = i * rows + r, b = ((i + 1) % columns) * rows + r;
            const int c = i * rows + (r + 1) % rows, d = ((i + 1) % columns) * rows + (r + 1) % rows;
            const int quad[2][3] = {{a, b, d}, {a, d, c}};
            for (const auto& corners : quad) {
                for (int k = 0; k < 3; ++k) {
                    const int source = ts[at(t)].v[k] = corners[k];
                    int drawn = source;
                    if (hashOf(static_cast<uint32_t>(source) + 77777u) % 33 == 0 && uses[at(source)]++ >= 3) {
                        if (cloneOf[at(source)] < 0) {
                            Vertex clone; // position and texture coordinates of its source, no weights
                            clone.u = vs[at(source)].u, clone.v = vs[at(source)].v;
                            std::copy(vs[at(source)].pos, vs[at(source)].pos + 3, clone.pos);
                            cloneOf[at(source)] = static_cast<int>(vs.size()), cloneTri[at(source)] = t;
                            vs.push_back(clone);
                        }
                        drawn = cloneOf[at(source)];
                    }
                    draw[3 * at(t) + at(k)] = drawn;
                }
                ++t;
            }
        }
    model.numVerts[0] = numVerts;
    model.clearCloneLists(0);
    std::vector<int>& cloneStart = model.cloneStart[0];
    for (int i = 0; i < numVerts; ++i) {
        cloneStart[at(i)] = static_cast<int>(model.cloneItems[0].size());
        if (cloneOf[at(i)] < 0) continue;
        model.cloneItems[0].push_back(cloneOf[at(i)]);
        model.cloneTriItems[0].push_back(cloneTri[at(i)]);
    }
    std::fill(cloneStart.begin() + numVerts, cloneStart.end(), static_cast<int>(model.cloneItems[0].size()));
    for (int tr = 0; tr <= numTris; ++tr) model.triCloneStart[0][at(tr)] = 3 * tr;
    model.triCloneItems[0] = draw;
    model.meshLoaded[0] = model.hasLocal[0] = 1;
}

// A version 10 animation of every joint of the model, all six components animated, bound.
inline void attachWaveAnimation(Model& model, int numFrames, float frameRate) {
    auto anim = std::make_unique<AnimationV10>();
    const int count = model.numJoints();
    anim->numFrames = numFrames, anim->numJoints = count, anim->frameRate = frameRate;
    anim->numAnimatedComponents = 6 * count;
    anim->baseFrame.assign(6 * at(count), 0.0f);
    anim->bounds.assign(6 * at(numFrames), 0.0f);
    anim->joints.resize(at(count));
    for (int j = 0; j < count; ++j) {
        AnimJointV10& joint = anim->joints[at(j)];
        joint.name = model.joints[at(j)].name, joint.hasName = true;
        joint.parent = j - 1, joint.flags = 63, joint.startIndex = 6 * j;
    }
    anim->frames.assign(at(numFrames), std::vector<float>(6 * at(count)));
    for (int f = 0; f < numFrames; ++f)
        for (int j = 0; j < count; ++j) {
            const float phase = 0.3f * std::sin(6.2831853f * f / numFrames + j);
            const float c[6] = {j == 0 ? 10.0f : 1.5f, 0.2f * phase, 0.1f * phase, 0.05f * phase, 0.1f * phase,
                                std::sin(3.14159265f / count) + 0.02f * phase};
            std::copy(c, c + 6, &anim->frames[at(f)][6 * at(j)]);
        }
    model.animV10 = std::move(anim);
    model.bindAnimationV10();
}

} // namespace synthetic
