// tools/demo/mesh_builder.cpp -- vertices, wound triangles and tubes for the demo's meshes.
#include "tools/demo/mesh_builder.h"

namespace demo {

int BuildMesh::addVertex(Vec3 pos, float u, float t, std::vector<Influence> influences) {
    BuildVertex v;
    v.pos = pos;
    v.u = u;
    v.t = t;
    v.influences = std::move(influences);
    verts.push_back(std::move(v));
    return static_cast<int>(verts.size()) - 1;
}

void BuildMesh::addTriangle(int a, int b, int c, Vec3 outward) {
    Vec3 pa = verts[static_cast<size_t>(a)].pos, pb = verts[static_cast<size_t>(b)].pos,
         pc = verts[static_cast<size_t>(c)].pos;
    bool counterClockwise = dot(cross(pb - pa, pc - pa), outward) > 0;
    bool wantCounterClockwise = winding == Winding::CounterClockwiseOutside;
    if (counterClockwise == wantCounterClockwise)
        tris.push_back({a, b, c});
    else
        tris.push_back({a, c, b});
}

namespace {

bool isTip(const TubeRing& r) { return r.halfWidth <= 0 && r.halfHeight <= 0; }

// The ring's vertices from the underside (angle 0) round by the side to the top and back;
// the last one repeats the first with u at the end of the span.
std::vector<int> addRingVertices(BuildMesh& mesh, const TubeRing& ring, const TubeStyle& style) {
    std::vector<int> ids;
    for (int k = 0; k <= style.sides; ++k) {
        float a = 2 * kPi * k / style.sides;
        Vec3 p = ring.centre + ring.side * (ring.halfWidth * std::sin(a)) - ring.up * (ring.halfHeight * std::cos(a));
        float u = style.uStart + style.uSpan * k / style.sides;
        ids.push_back(mesh.addVertex(p, u, ring.t, ring.influences));
    }
    return ids;
}

Vec3 outwardOf(const BuildMesh& mesh, std::initializer_list<int> ids, Vec3 axisPoint, Vec3 axisDir) {
    Vec3 c;
    for (int i : ids) c = c + mesh.verts[static_cast<size_t>(i)].pos * (1.0f / ids.size());
    Vec3 radial = c - axisPoint;
    radial = radial - axisDir * dot(radial, axisDir);
    return radial;
}

} // namespace

void addTube(BuildMesh& mesh, const std::vector<TubeRing>& rings, const TubeStyle& style) {
    std::vector<std::vector<int>> ids;
    for (const TubeRing& r : rings) ids.push_back(addRingVertices(mesh, r, style));
    for (size_t i = 0; i + 1 < rings.size(); ++i) {
        const std::vector<int>& a = ids[i];
        const std::vector<int>& b = ids[i + 1];
        Vec3 axisPoint = lerp(rings[i].centre, rings[i + 1].centre, 0.5f);
        Vec3 axisDir = normalize(rings[i + 1].centre - rings[i].centre);
        bool tipA = isTip(rings[i]), tipB = isTip(rings[i + 1]);
        for (int k = 0; k < style.sides; ++k) {
            int a0 = a[static_cast<size_t>(k)], a1 = a[static_cast<size_t>(k + 1)];
            int b0 = b[static_cast<size_t>(k)], b1 = b[static_cast<size_t>(k + 1)];
            // Near a tip the radial direction still points out of the cone's side.
            Vec3 coneAxisPoint = tipA ? rings[i + 1].centre : (tipB ? rings[i].centre : axisPoint);
            if (!tipA) mesh.addTriangle(a0, a1, b1, outwardOf(mesh, {a0, a1, b1}, coneAxisPoint, axisDir));
            if (!tipB) mesh.addTriangle(a0, b1, b0, outwardOf(mesh, {a0, b1, b0}, coneAxisPoint, axisDir));
        }
    }
}

} // namespace demo
