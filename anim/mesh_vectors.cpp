// anim/mesh_vectors.cpp -- per-frame skinning and per-vertex normal, S and T of every mesh; no GL.
#include <algorithm>

#include "anim/skinning.h"
#include "base/face_frame.h"
#include "base/fast_math_inline.h"
#include "base/gl_capabilities.h"
#include "model/model.h"

namespace {

void scale(float v[3], float s) {
    v[0] *= s;
    v[1] *= s;
    v[2] *= s;
}

void normalise(const uint8_t* table, float v[3]) {
    scale(v, fastmath::invSqrt(table, v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
}

void add(float to[3], const float v[3]) {
    to[0] += v[0];
    to[1] += v[1];
    to[2] += v[2];
}

void clearVectors(Vertex& v) {
    for (int k = 0; k < 3; ++k) v.normal[k] = v.tangentS[k] = v.tangentT[k] = 0;
}

bool tangentsNormalised(const Model& model, int mesh, const GlCapabilities& caps) {
    return caps.hasEnvDot3 && caps.hasCubeMap && caps.hasMultitexture &&
           (model.hasHeight[static_cast<size_t>(mesh)] || model.hasLocal[static_cast<size_t>(mesh)]);
}

} // namespace

// The indices were checked when the mesh was loaded: every triangle corner, draw index and clone
// list entry names a vertex of the mesh.
void Model::updateMeshVectors(int mesh, const GlCapabilities& caps) {
    if (mesh < 0 || mesh >= numMeshes() || !meshLoaded[static_cast<size_t>(mesh)]) return;
    const size_t m = static_cast<size_t>(mesh);
    const bool staticModel = numJoints() == 0;
    if (staticModel && frameBuilt[m]) return; // static vectors are computed once per load
    Vertex* vs = verts[m].data();
    const size_t total = verts[m].size();
    if (staticModel) {
        for (size_t i = 0; i < total; ++i) clearVectors(vs[i]);
    } else {
        skinVertices(*this, mesh, true);
    }
    frameBuilt[m] = 1;
    const uint8_t* table = invSqrtTable();
    std::vector<Triangle>& ts = tris[m];
    const int* draw = indices[m].data();
    const int* receiverStart = triCloneStart[m].data();
    const int* receivers = triCloneItems[m].data();
    const float normalSign = staticModel ? -1.0f : 1.0f;
    for (size_t t = 0; t < ts.size(); ++t) {
        Triangle& tri = ts[t];
        const int* corner = draw + 3 * t;
        const Vertex& c0 = vs[corner[0]];
        const Vertex& c1 = vs[corner[1]];
        const Vertex& c2 = vs[corner[2]];
        const float uv0[2] = {c0.u, c0.v}, uv1[2] = {c1.u, c1.v}, uv2[2] = {c2.u, c2.v};
        FaceFrame f;
        computeFaceFrame(vs[tri.v[0]].pos, vs[tri.v[1]].pos, vs[tri.v[2]].pos, uv0, uv1, uv2, normalSign, table, f);
        for (int k = 0; k < 3; ++k) {
            tri.normal[k] = f.normal[k];
            tri.tangentS[k] = f.s[k];
            tri.tangentT[k] = f.t[k];
        }
        for (int r = receiverStart[t]; r < receiverStart[t + 1]; ++r) {
            Vertex& v = vs[receivers[r]];
            add(v.normal, f.normal);
            add(v.tangentS, f.s);
            add(v.tangentT, f.t);
        }
    }
    const bool unitTangents = tangentsNormalised(*this, mesh, caps);
    for (size_t i = 0; i < total; ++i) {
        Vertex& v = vs[i];
        normalise(table, v.normal);
        if (unitTangents) {
            normalise(table, v.tangentS);
            normalise(table, v.tangentT);
        }
    }
}

void Model::setBindPose() {
    for (Joint& joint : joints) {
        std::copy(joint.bindPos, joint.bindPos + 3, joint.pos);
        std::copy(joint.bindRot, joint.bindRot + 9, joint.rot);
    }
}

void Model::updateAllMeshes(const GlCapabilities& caps) {
    if (numJoints() > 0 && !animV6 && !animV10) setBindPose();
    for (int m = 0; m < numMeshes(); ++m) updateMeshVectors(m, caps);
}
