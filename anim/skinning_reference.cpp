// anim/skinning_reference.cpp -- skinning and per-vertex vectors, one step at a time, for comparison.
#include "anim/skinning_reference.h"

#include <algorithm>

#include "base/fast_math.h"
#include "model/model.h"
#include "base/gl_capabilities.h"

namespace {

void scaleBy(float v[3], float s) {
    for (int k = 0; k < 3; ++k) v[k] *= s;
}

void toUnit(float v[3]) { scaleBy(v, fastInvSqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])); }

bool validVertex(int index, int total) { return index >= 0 && index < total; }

} // namespace

void referenceSkinMesh(Model& model, int mesh) {
    if (model.numJoints <= 0 || mesh < 0 || mesh >= model.numMeshes) return;
    std::vector<Vertex>& vs = model.verts[static_cast<size_t>(mesh)];
    const std::vector<VertexWeight>& ws = model.weights[static_cast<size_t>(mesh)];
    const int vertCount = std::min(model.numVerts[static_cast<size_t>(mesh)], static_cast<int>(vs.size()));
    for (int i = 0; i < vertCount; ++i) {
        Vertex& vx = vs[static_cast<size_t>(i)];
        if (vx.weightCount <= 0) continue;
        float p[3] = {0, 0, 0};
        // Weights outside the array are left out; a negative start begins at weight 0.
        const long long end = static_cast<long long>(vx.weightStart) + vx.weightCount;
        for (long long w = std::max(vx.weightStart, 0); w < end && w < static_cast<long long>(ws.size()); ++w) {
            const VertexWeight& wt = ws[static_cast<size_t>(w)];
            if (wt.joint < 0 || wt.joint >= model.numJoints || wt.joint >= static_cast<int>(model.joints.size())) continue;
            const Joint& j = model.joints[static_cast<size_t>(wt.joint)];
            for (int k = 0; k < 3; ++k)
                p[k] += wt.bias * (j.rot[k] * wt.pos[0] + j.rot[3 + k] * wt.pos[1] + j.rot[6 + k] * wt.pos[2] + j.pos[k]);
        }
        std::copy(p, p + 3, vx.pos);
        for (int c : vx.cloneList)
            if (validVertex(c, static_cast<int>(vs.size()))) std::copy(p, p + 3, vs[static_cast<size_t>(c)].pos);
    }
}

void referenceUpdateMeshVectors(Model& model, int mesh, const GlCapabilities& caps) {
    if (mesh < 0 || mesh >= model.numMeshes || !model.meshLoaded[static_cast<size_t>(mesh)]) return;
    const size_t m = static_cast<size_t>(mesh);
    const bool skinned = model.numJoints > 0;
    if (!skinned && model.frameBuilt[m]) return;
    if (skinned) referenceSkinMesh(model, mesh);
    std::vector<Vertex>& vs = model.verts[m];
    const int total = std::min(model.numVertsTotal[m], static_cast<int>(vs.size()));
    for (int i = 0; i < total; ++i) {
        Vertex& v = vs[static_cast<size_t>(i)];
        std::fill(v.normal, v.normal + 3, 0.0f);
        std::fill(v.tangentS, v.tangentS + 3, 0.0f);
        std::fill(v.tangentT, v.tangentT + 3, 0.0f);
    }
    model.frameBuilt[m] = 1;
    const int triCount = std::min({model.numTris[m], static_cast<int>(model.tris[m].size()),
                                   static_cast<int>(model.indices[m].size() / 3)});
    for (int t = 0; t < triCount; ++t) {
        Triangle& tri = model.tris[m][static_cast<size_t>(t)];
        const int* corner = &model.indices[m][3 * static_cast<size_t>(t)];
        bool valid = true;
        for (int k = 0; k < 3; ++k) valid = valid && validVertex(tri.v[k], total) && validVertex(corner[k], total);
        if (!valid) continue;
        const float* p0 = vs[static_cast<size_t>(tri.v[0])].pos;
        const float* p1 = vs[static_cast<size_t>(tri.v[1])].pos;
        const float* p2 = vs[static_cast<size_t>(tri.v[2])].pos;
        const Vertex& c0 = vs[static_cast<size_t>(corner[0])];
        const Vertex& c1 = vs[static_cast<size_t>(corner[1])];
        const Vertex& c2 = vs[static_cast<size_t>(corner[2])];
        float e1[3], e2[3], normal[3], s[3], tv[3];
        for (int k = 0; k < 3; ++k) {
            e1[k] = p1[k] - p0[k];
            e2[k] = p0[k] - p2[k];
        }
        const float du1 = c1.u - c0.u, du2 = c0.u - c2.u, dv1 = c0.v - c1.v, dv2 = c2.v - c0.v;
        crossProduct(e1, e2, normal);
        for (int k = 0; k < 3; ++k) {
            s[k] = dv2 * e1[k] - dv1 * e2[k];
            tv[k] = du1 * e2[k] - du2 * e1[k];
        }
        if (dv2 * du1 - dv1 * du2 < 0) {
            scaleBy(s, -1);
            scaleBy(tv, -1);
        }
        const float n = fastInvSqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        scaleBy(normal, skinned ? n : -n);
        toUnit(s);
        toUnit(tv);
        std::copy(normal, normal + 3, tri.normal);
        std::copy(s, s + 3, tri.tangentS);
        std::copy(tv, tv + 3, tri.tangentT);
        for (int c : tri.triCloneList) {
            if (!validVertex(c, total)) continue;
            Vertex& v = vs[static_cast<size_t>(c)];
            for (int k = 0; k < 3; ++k) {
                v.normal[k] += normal[k];
                v.tangentS[k] += s[k];
                v.tangentT[k] += tv[k];
            }
        }
    }
    const bool unitTangents = caps.hasEnvDot3 && caps.hasCubeMap && caps.hasMultitexture && (model.hasHeight[m] || model.hasLocal[m]);
    for (int i = 0; i < total; ++i) {
        Vertex& v = vs[static_cast<size_t>(i)];
        toUnit(v.normal);
        if (unitTangents) {
            toUnit(v.tangentS);
            toUnit(v.tangentT);
        }
    }
}
