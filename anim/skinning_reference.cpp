// anim/skinning_reference.cpp -- skinning and per-vertex vectors, one step at a time, for comparison.
#include "anim/skinning_reference.h"

#include <algorithm>

#include "base/face_frame.h"
#include "base/fast_math.h"
#include "base/gl_capabilities.h"
#include "model/model.h"

namespace {

void scaleBy(float v[3], float s) {
    for (int k = 0; k < 3; ++k) v[k] *= s;
}

void toUnit(float v[3]) { scaleBy(v, fastInvSqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])); }

} // namespace

void referenceSkinMesh(Model& model, int mesh) {
    if (model.numJoints() == 0 || mesh < 0 || mesh >= model.numMeshes()) return;
    const size_t m = static_cast<size_t>(mesh);
    if (!model.meshLoaded[m]) return;
    std::vector<Vertex>& vs = model.verts[m];
    const std::vector<VertexWeight>& ws = model.weights[m];
    for (int i = 0; i < model.numVerts[m]; ++i) {
        Vertex& vx = vs[static_cast<size_t>(i)];
        if (vx.weightCount <= 0) continue;
        float p[3] = {0, 0, 0};
        for (int w = vx.weightStart; w < vx.weightStart + vx.weightCount; ++w) {
            const VertexWeight& wt = ws[static_cast<size_t>(w)];
            const Joint& j = model.joints[static_cast<size_t>(wt.joint)];
            for (int k = 0; k < 3; ++k)
                p[k] += wt.bias * (j.rot[k] * wt.pos[0] + j.rot[3 + k] * wt.pos[1] + j.rot[6 + k] * wt.pos[2] + j.pos[k]);
        }
        std::copy(p, p + 3, vx.pos);
        for (int c = model.cloneStart[m][static_cast<size_t>(i)]; c < model.cloneStart[m][static_cast<size_t>(i) + 1]; ++c)
            std::copy(p, p + 3, vs[static_cast<size_t>(model.cloneItems[m][static_cast<size_t>(c)])].pos);
    }
}

void referenceUpdateMeshVectors(Model& model, int mesh, const GlCapabilities& caps) {
    if (mesh < 0 || mesh >= model.numMeshes() || !model.meshLoaded[static_cast<size_t>(mesh)]) return;
    const size_t m = static_cast<size_t>(mesh);
    const bool skinned = model.numJoints() > 0;
    if (!skinned && model.frameBuilt[m]) return;
    if (skinned) referenceSkinMesh(model, mesh);
    std::vector<Vertex>& vs = model.verts[m];
    for (Vertex& v : vs) {
        std::fill(v.normal, v.normal + 3, 0.0f);
        std::fill(v.tangentS, v.tangentS + 3, 0.0f);
        std::fill(v.tangentT, v.tangentT + 3, 0.0f);
    }
    model.frameBuilt[m] = 1;
    for (int t = 0; t < model.numTris(mesh); ++t) {
        Triangle& tri = model.tris[m][static_cast<size_t>(t)];
        const int* corner = &model.indices[m][3 * static_cast<size_t>(t)];
        const Vertex& c0 = vs[static_cast<size_t>(corner[0])];
        const Vertex& c1 = vs[static_cast<size_t>(corner[1])];
        const Vertex& c2 = vs[static_cast<size_t>(corner[2])];
        const float uv0[2] = {c0.u, c0.v}, uv1[2] = {c1.u, c1.v}, uv2[2] = {c2.u, c2.v};
        FaceFrame f;
        computeFaceFrame(vs[static_cast<size_t>(tri.v[0])].pos, vs[static_cast<size_t>(tri.v[1])].pos,
                         vs[static_cast<size_t>(tri.v[2])].pos, uv0, uv1, uv2, skinned ? 1.0f : -1.0f, invSqrtTable(), f);
        std::copy(f.normal, f.normal + 3, tri.normal);
        std::copy(f.s, f.s + 3, tri.tangentS);
        std::copy(f.t, f.t + 3, tri.tangentT);
        const size_t first = static_cast<size_t>(model.triCloneStart[m][static_cast<size_t>(t)]);
        const size_t last = static_cast<size_t>(model.triCloneStart[m][static_cast<size_t>(t) + 1]);
        for (size_t r = first; r < last; ++r) {
            Vertex& v = vs[static_cast<size_t>(model.triCloneItems[m][r])];
            for (int k = 0; k < 3; ++k) {
                v.normal[k] += f.normal[k];
                v.tangentS[k] += f.s[k];
                v.tangentT[k] += f.t[k];
            }
        }
    }
    const bool unitTangents = caps.hasEnvDot3 && caps.hasCubeMap && caps.hasMultitexture && (model.hasHeight[m] || model.hasLocal[m]);
    for (Vertex& v : vs) {
        toUnit(v.normal);
        if (unitTangents) {
            toUnit(v.tangentS);
            toUnit(v.tangentT);
        }
    }
}
