// anim/mesh_vectors.cpp -- per-frame skinning and per-vertex normal, S and T of every mesh; no GL.
#include <algorithm>

#include "base/fast_math_inline.h"
#include "anim/skinning.h"
#include "model/model.h"
#include "base/gl_capabilities.h"

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

struct FaceVectors {
    float normal[3];
    float s[3];
    float t[3];
};

// Normal, S and T of one face from its corner positions and texture coordinates (v negated).
void faceVectors(const float* p0, const float* p1, const float* p2, const Vertex& c0, const Vertex& c1,
                 const Vertex& c2, bool staticModel, const uint8_t* table, FaceVectors& out) {
    const float e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const float e2[3] = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
    const float du1 = c1.u - c0.u, du2 = c0.u - c2.u;
    const float dv1 = c0.v - c1.v, dv2 = c2.v - c0.v;
    fastmath::cross(e1, e2, out.normal);
    for (int i = 0; i < 3; ++i) {
        out.s[i] = dv2 * e1[i] - dv1 * e2[i];
        out.t[i] = du1 * e2[i] - du2 * e1[i];
    }
    if (dv2 * du1 - dv1 * du2 < 0) {
        scale(out.s, -1);
        scale(out.t, -1);
    }
    const float n = fastmath::invSqrt(table, out.normal[0] * out.normal[0] + out.normal[1] * out.normal[1] + out.normal[2] * out.normal[2]);
    scale(out.normal, staticModel ? -n : n);
    normalise(table, out.s);
    normalise(table, out.t);
}

bool tangentsNormalised(const Model& model, int mesh, const GlCapabilities& caps) {
    return caps.hasEnvDot3 && caps.hasCubeMap && caps.hasMultitexture &&
           (model.hasHeight[static_cast<size_t>(mesh)] || model.hasLocal[static_cast<size_t>(mesh)]);
}

} // namespace

void Model::updateMeshVectors(int mesh, const GlCapabilities& caps) {
    if (mesh < 0 || mesh >= numMeshes || static_cast<size_t>(mesh) >= meshLoaded.size() || !meshLoaded[static_cast<size_t>(mesh)])
        return;
    const size_t m = static_cast<size_t>(mesh);
    const bool staticModel = numJoints <= 0;
    if (staticModel && frameBuilt[m]) return; // static vectors are computed once per load
    std::vector<Vertex>& vs = verts[m];
    const int total = std::min(numVertsTotal[m], static_cast<int>(vs.size()));
    if (staticModel) {
        for (int i = 0; i < total; ++i) clearVectors(vs[static_cast<size_t>(i)]);
    } else {
        skinVertices(*this, mesh, true);
    }
    frameBuilt[m] = 1;
    const uint8_t* table = invSqrtTable();
    std::vector<Triangle>& ts = tris[m];
    const std::vector<int>& draw = indices[m];
    const int triCount = std::min({numTris[m], static_cast<int>(ts.size()), static_cast<int>(draw.size() / 3)});
    for (int t = 0; t < triCount; ++t) {
        Triangle& tri = ts[static_cast<size_t>(t)];
        const int* corner = &draw[3 * static_cast<size_t>(t)];
        bool inside = true;
        for (int k = 0; k < 3; ++k) inside = inside && tri.v[k] >= 0 && tri.v[k] < total && corner[k] >= 0 && corner[k] < total;
        if (!inside) continue;
        FaceVectors f;
        faceVectors(vs[static_cast<size_t>(tri.v[0])].pos, vs[static_cast<size_t>(tri.v[1])].pos,
                    vs[static_cast<size_t>(tri.v[2])].pos, vs[static_cast<size_t>(corner[0])],
                    vs[static_cast<size_t>(corner[1])], vs[static_cast<size_t>(corner[2])], staticModel, table, f);
        for (int k = 0; k < 3; ++k) {
            tri.normal[k] = f.normal[k];
            tri.tangentS[k] = f.s[k];
            tri.tangentT[k] = f.t[k];
        }
        for (int c : tri.triCloneList) {
            if (c < 0 || c >= total) continue;
            Vertex& v = vs[static_cast<size_t>(c)];
            add(v.normal, f.normal);
            add(v.tangentS, f.s);
            add(v.tangentT, f.t);
        }
    }
    const bool unitTangents = tangentsNormalised(*this, mesh, caps);
    for (int i = 0; i < total; ++i) {
        Vertex& v = vs[static_cast<size_t>(i)];
        normalise(table, v.normal);
        if (unitTangents) {
            normalise(table, v.tangentS);
            normalise(table, v.tangentT);
        }
    }
}

void Model::updateAllMeshes(const GlCapabilities& caps) {
    if (meshLoaded.empty()) return;
    if (numJoints > 0 && !animV6 && !animV10) {
        for (Joint& joint : joints) {
            std::copy(joint.bindPos, joint.bindPos + 3, joint.pos);
            std::copy(joint.bindRot, joint.bindRot + 9, joint.rot);
        }
    }
    for (int m = 0; m < numMeshes; ++m) updateMeshVectors(m, caps);
}
