// anim/skinning.cpp -- vertex positions from the posed skeleton; clones copy their source.
#include "model/model.h"

#include <algorithm>

void Model::skinMesh(int mesh) {
    if (numJoints <= 0 || mesh < 0 || mesh >= numMeshes) return;
    std::vector<Vertex>& vs = verts[static_cast<size_t>(mesh)];
    const std::vector<VertexWeight>& ws = weights[static_cast<size_t>(mesh)];
    const int vertCount = std::min(numVerts[static_cast<size_t>(mesh)], static_cast<int>(vs.size()));
    const int weightTotal = static_cast<int>(ws.size());
    const int jointTotal = std::min(numJoints, static_cast<int>(joints.size()));
    for (int i = 0; i < vertCount; ++i) {
        Vertex& vx = vs[static_cast<size_t>(i)];
        if (vx.weightCount <= 0) continue;
        float p[3] = {0, 0, 0};
        // The reader drops vertices whose weight range leaves the array; the checks here keep
        // a hand-built model from reading outside it all the same.
        const int end = vx.weightStart + vx.weightCount;
        for (int w = std::max(vx.weightStart, 0); w < end && w < weightTotal; ++w) {
            const VertexWeight& wt = ws[static_cast<size_t>(w)];
            if (wt.joint < 0 || wt.joint >= jointTotal) continue;
            const Joint& j = joints[static_cast<size_t>(wt.joint)];
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
            if (c < 0 || c >= static_cast<int>(vs.size())) continue;
            float* dst = vs[static_cast<size_t>(c)].pos;
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
        }
    }
}
