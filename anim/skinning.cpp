// anim/skinning.cpp -- vertex positions from the posed skeleton; clones copy their source.
#include "anim/skinning.h"

#include "model/model.h"

namespace {

void clearVectorsOf(Vertex& v) {
    for (int k = 0; k < 3; ++k) v.normal[k] = v.tangentS[k] = v.tangentT[k] = 0;
}

} // namespace

// Weight ranges, weight joints and clone list entries were checked when the mesh was loaded; a
// mesh whose load stopped half-way is not loaded and stays as it is.
void skinVertices(Model& model, int mesh, bool clearVectors) {
    if (model.numJoints() == 0 || mesh < 0 || mesh >= model.numMeshes()) return;
    const size_t m = static_cast<size_t>(mesh);
    if (!model.meshLoaded[m]) return;
    Vertex* vs = model.verts[m].data();
    const VertexWeight* ws = model.weights[m].data();
    const int vertCount = model.numVerts[m];
    const int total = model.numVertsTotal(mesh);
    const int* cloneStart = model.cloneStart[m].data();
    const int* clones = model.cloneItems[m].data();
    const Joint* joints = model.joints.data();
    for (int i = 0; i < vertCount; ++i) {
        Vertex& vx = vs[i];
        if (clearVectors) clearVectorsOf(vx);
        if (vx.weightCount <= 0) continue;
        float p[3] = {0, 0, 0};
        const VertexWeight* w = ws + vx.weightStart;
        for (const VertexWeight* end = w + vx.weightCount; w != end; ++w) {
            const Joint& j = joints[w->joint];
            const float* r = j.rot;
            const float* q = w->pos;
            p[0] += w->bias * (r[0] * q[0] + r[3] * q[1] + r[6] * q[2] + j.pos[0]);
            p[1] += w->bias * (r[1] * q[0] + r[4] * q[1] + r[7] * q[2] + j.pos[1]);
            p[2] += w->bias * (r[2] * q[0] + r[5] * q[1] + r[8] * q[2] + j.pos[2]);
        }
        vx.pos[0] = p[0];
        vx.pos[1] = p[1];
        vx.pos[2] = p[2];
        for (int c = cloneStart[i]; c < cloneStart[i + 1]; ++c) {
            float* dst = vs[clones[c]].pos;
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
        }
    }
    if (clearVectors)
        for (int i = vertCount; i < total; ++i) clearVectorsOf(vs[i]);
}

void Model::skinMesh(int mesh) { skinVertices(*this, mesh, false); }
