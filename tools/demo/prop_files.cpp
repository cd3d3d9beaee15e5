// tools/demo/prop_files.cpp -- the static models: a tiled floor and a broken marble column
// on its plinth with a fallen drum beside it.
#include <cmath>

#include "tools/demo/demo_files.h"
#include "tools/demo/noise.h"
#include "tools/demo/obj_writer.h"
#include "tools/demo/text_out.h"
#include "tools/demo/textures.h"

namespace demo {

namespace {

// A flat grid, fine enough that per-vertex light values stay smooth; the texture repeats
// every `tile` units.
BuildMesh floorMesh() {
    BuildMesh mesh;
    mesh.material = "floor";
    mesh.winding = Winding::CounterClockwiseOutside;
    const int cells = 24;
    const float half = 300, tile = 50;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            float x = -half + 2 * half * i / cells, y = -half + 2 * half * j / cells;
            mesh.addVertex({x, y, 0}, x / tile, y / tile);
        }
    }
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 2, d = a + cells + 1;
            mesh.addTriangle(a, b, c, {0, 0, 1});
            mesh.addTriangle(a, c, d, {0, 0, 1});
        }
    }
    return mesh;
}

// A closed box with each face mapped whole onto the texture, `scale` texture units per unit.
void addBox(BuildMesh& mesh, Vec3 lo, Vec3 hi, float scale) {
    struct Face {
        Vec3 normal, a, b; // a, b span the face
    };
    const Face faces[] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                          {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                          {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}};
    Vec3 centre = lerp(lo, hi, 0.5f), size = hi - lo;
    for (const Face& f : faces) {
        Vec3 faceCentre = centre + Vec3{f.normal.x * size.x, f.normal.y * size.y, f.normal.z * size.z} * 0.5f;
        float ea = dot(size, f.a) * 0.5f, eb = dot(size, f.b) * 0.5f;
        int ids[4];
        const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
        for (int k = 0; k < 4; ++k) {
            Vec3 p = faceCentre + f.a * (ea * su[k]) + f.b * (eb * sv[k]);
            ids[k] = mesh.addVertex(p, 0.5f + su[k] * ea * scale, 0.5f + sv[k] * eb * scale);
        }
        mesh.addTriangle(ids[0], ids[1], ids[2], f.normal);
        mesh.addTriangle(ids[0], ids[2], ids[3], f.normal);
    }
}

float fluteRadius(float angle, float radius) { return radius - 0.55f * (0.5f + 0.5f * std::cos(16 * angle)); }

// A fluted drum along `axis` from `base`; its far end is broken off unevenly when `jagged`.
// The texture's t is `tStart` at the base and climbs one unit per 50 along the axis.
// Both ends are closed: a fan round the centre of each.
void addFlutedDrum(BuildMesh& mesh, Vec3 base, Vec3 axis, Vec3 side, float length, float radius, bool jagged,
                   float tStart) {
    const int segments = 96, rings = 10;
    Vec3 up = cross(axis, side);
    std::vector<std::vector<int>> grid(rings + 1);
    std::vector<float> ends(segments + 1);
    for (int k = 0; k <= segments; ++k) {
        float a = 2 * kPi * k / segments;
        ends[static_cast<size_t>(k)] = jagged ? length - 4.0f * valueNoise(k * 0.12f, 0.5f, 12, 301u) : length;
        if (k == segments) ends[static_cast<size_t>(k)] = ends[0];
        for (int r = 0; r <= rings; ++r) {
            float z = ends[static_cast<size_t>(k)] * r / rings;
            float rr = fluteRadius(a, radius);
            Vec3 p = base + axis * z + (side * std::cos(a) + up * std::sin(a)) * rr;
            grid[static_cast<size_t>(r)].push_back(mesh.addVertex(p, 2.0f * k / segments, tStart + z / 50.0f));
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int k = 0; k < segments; ++k) {
            int a = grid[static_cast<size_t>(r)][static_cast<size_t>(k)],
                b = grid[static_cast<size_t>(r)][static_cast<size_t>(k + 1)];
            int c = grid[static_cast<size_t>(r + 1)][static_cast<size_t>(k + 1)],
                d = grid[static_cast<size_t>(r + 1)][static_cast<size_t>(k)];
            float ang = 2 * kPi * (k + 0.5f) / segments;
            Vec3 out = side * std::cos(ang) + up * std::sin(ang);
            mesh.addTriangle(a, b, c, out);
            mesh.addTriangle(a, c, d, out);
        }
    }
    // End caps, planar-mapped; the broken end's centre sits a little lower than its rim.
    for (int end = 0; end < 2; ++end) {
        float centreZ = end == 0 ? 0.0f : (jagged ? length - 3.0f : length);
        Vec3 normal = end == 0 ? axis * -1.0f : axis;
        int centre = mesh.addVertex(base + axis * centreZ, 0.5f, 0.5f);
        std::vector<int> rim;
        for (int k = 0; k <= segments; ++k) {
            float a = 2 * kPi * k / segments;
            float z = end == 0 ? 0.0f : ends[static_cast<size_t>(k)];
            float rr = fluteRadius(a, radius);
            Vec3 p = base + axis * z + (side * std::cos(a) + up * std::sin(a)) * rr;
            rim.push_back(mesh.addVertex(p, 0.5f + 0.035f * rr * std::cos(a), 0.5f + 0.035f * rr * std::sin(a)));
        }
        for (int k = 0; k < segments; ++k)
            mesh.addTriangle(centre, rim[static_cast<size_t>(k)], rim[static_cast<size_t>(k + 1)], normal);
    }
}

std::vector<BuildMesh> columnMeshes() {
    BuildMesh marble, granite;
    marble.material = "column";
    granite.material = "plinth";
    marble.winding = granite.winding = Winding::CounterClockwiseOutside;
    addBox(granite, {-13, -13, 0}, {13, 13, 4}, 1.0f / 26);
    addBox(granite, {-10, -10, 4}, {10, 10, 6.5f}, 1.0f / 26);
    addFlutedDrum(marble, {0, 0, 6.5f}, {0, 0, 1}, {1, 0, 0}, 40.0f, 7.0f, true, 6.5f / 50.0f);
    // A fallen drum on the floor beside the plinth.
    Vec3 axis = normalize(Vec3{0.3f, 1, 0});
    addFlutedDrum(marble, Vec3{-26, -4, 6.6f}, axis, {0, 0, 1}, 9.0f, 7.0f, false, 0.3f);
    return {marble, granite};
}

} // namespace

bool writeFloor(const std::string& dir) {
    std::vector<BuildMesh> meshes{floorMesh()};
    bool ok = writeTextFile(dir + "/" + path::kFloor, objText(meshes, "floor.mtl"));
    ok = writeTextFile(dir + "/models/floor/floor.mtl", mtlText(meshes)) && ok;
    return writeMaterialMaps(dir + "/models/floor/floor", floorMaps()) && ok;
}

bool writeColumn(const std::string& dir) {
    std::vector<BuildMesh> meshes = columnMeshes();
    bool ok = writeTextFile(dir + "/" + path::kColumn, objText(meshes, "column.mtl"));
    ok = writeTextFile(dir + "/models/column/column.mtl", mtlText(meshes)) && ok;
    ok = writeMaterialMaps(dir + "/models/column/column", columnMaps()) && ok;
    return writeMaterialMaps(dir + "/models/column/plinth", plinthMaps()) && ok;
}

} // namespace demo
