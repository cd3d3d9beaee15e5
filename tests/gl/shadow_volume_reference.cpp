// tests/gl/shadow_volume_reference.cpp -- one glBegin/glEnd per cap and one quad list per mesh,
// straight from the triangles and edges: the reference for the batched shadow volumes.
#include "shadow_volume_reference.h"

#include <GL/gl.h>

#include "model/model.h"
#include "shadow/shadow_volume.h"

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

void point(const float* p) { glVertex4f(p[0], p[1], p[2], 1.0f); }

void atInfinity(const float* p, const float* light) {
    glVertex4f(p[0] - light[0], p[1] - light[1], p[2] - light[2], 0.0f);
}

} // namespace

void sendVolumeOnePrimitiveAtATime(const Model& model, int mesh, const shadow::VolumeGeometry&, bool& depthLess) {
    if (!shadow::castsShadow(model, mesh) || !shadow::meshIndicesInRange(model, mesh)) return;
    const std::vector<Vertex>& verts = model.verts[at(mesh)];
    const std::vector<Triangle>& tris = model.tris[at(mesh)];
    const float* light = model.lightPosModel;
    for (const Triangle& t : tris) {
        if (!t.facesLight) continue;
        const float* p0 = verts[at(t.v[0])].pos;
        const float* p1 = verts[at(t.v[1])].pos;
        const float* p2 = verts[at(t.v[2])].pos;
        glBegin(GL_TRIANGLES);
        atInfinity(p0, light);
        atInfinity(p2, light);
        atInfinity(p1, light);
        glEnd();
        glDepthFunc(GL_LESS);
        glBegin(GL_TRIANGLES);
        point(p0);
        point(p1);
        point(p2);
        glEnd();
        glDepthFunc(GL_LEQUAL);
        depthLess = false;
    }
    glBegin(GL_QUADS);
    for (const Edge& e : model.edges[at(mesh)]) {
        if (!e.isSilhouette) continue;
        const float* q0 = verts[at(e.v0)].pos;
        const float* q1 = verts[at(e.v1)].pos;
        if ((e.v0 < e.v1 && tris[at(e.tri0)].facesLight) || (e.tri1 == -1 && e.v0 > e.v1)) {
            point(q1);
            point(q0);
            atInfinity(q0, light);
            atInfinity(q1, light);
        } else if (e.v0 < e.v1 && e.tri1 != -1 && tris[at(e.tri1)].facesLight) {
            point(q0);
            point(q1);
            atInfinity(q1, light);
            atInfinity(q0, light);
        }
    }
    glEnd();
}
