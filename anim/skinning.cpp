// anim/skinning.cpp -- vertex positions from the posed skeleton; clones copy their source.
#include "anim/skinning.h"

#include <algorithm>

#include "model/model.h"

namespace {

void clearVectorsOf(Vertex& v) {
    for (int k = 0; k < 3; ++k) v.normal[k] = v.tangentS[k] = v.tangentT[k] = 0;
}

} // namespace

void skinVertices(Model& model, int mesh, bool clearVectors) {
    if (model.numJoints <= 0 || mesh < 0 || mesh >= model.numMeshes) return;
    const size_t m = static_cast<size_t>(mesh);
    std::vector<Vertex>& vs = model.verts[m];
    const std::vector<VertexWeight>& ws = model.weights[m];
    const int vertCount = std::min(model.numVerts[m], static_cast<int>(vs.size()));
    const int total = std::min(model.numVertsTotal[m], static_cast<int>(vs.size()));
    const int weightTotal = static_cast<int>(ws.size());
    const int jointTotal = std::min(model.numJoints, static_cast<int>(model.joints.size()));
    const int vertexCount = static_cast<int>(vs.size());
    const Joint* joints = model.joints.data();
    for (int i = 0; i < vertCount; ++i) {
        Vertex& vx = vs[static_cast<size_t>(i)];
        if (clearVectors && i < total) clearVectorsOf(vx);
        if (vx.weightCount <= 0) continue;
        float p[3] = {0, 0, 0};
        // The reader drops vertices whose weight range leaves the array; the checks here keep
        // a hand-built model from reading outside it all the same.
        const int end = static_cast<int>(std::min<long long>(static_cast<long long>(vx.weightStart) + vx.weightCount, weightTotal));
        for (int w = std::max(vx.weightStart, 0); w < end; ++w) {
            const VertexWeight& wt = ws[static_cast<size_t>(w)];
            if (wt.joint < 0 || wt.joint >= jointTotal) continue;
            const Joint& j = joints[wt.joint];
            const float* r = j.rot;
            const float* q = wt.pos;
            p[0] += wt.bias * (r[0] * q[0] + r[3] * q[1] + r[6] * q[2] + j.pos[0]);
            p[1] += wt.bias * (r[1] * q[0] + r[4] * q[1] + r[7] * q[2] + j.pos[1]);
            p[2] += wt.bias * (r[2] * q[0] + r[5] * q[1] + r[8] * q[2] + j.pos[2]);
        }
        vx.pos[0] = p[0];
        vx.pos[1] = p[1];
        vx.pos[2] = p[2];
        for (int c : vx.cloneList) {
            if (c < 0 || c >= vertexCount) continue;
            float* dst = vs[static_cast<size_t>(c)].pos;
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
        }
    }
    if (clearVectors)
        for (int i = std::max(vertCount, 0); i < total; ++i) clearVectorsOf(vs[static_cast<size_t>(i)]);
}

void Model::skinMesh(int mesh) { skinVertices(*this, mesh, false); }
