// tools/demo/mesh_builder.h -- triangle meshes under construction: vertices with texture
// coordinates and joint influences, triangles wound for the format they go to, and tubes.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/demo/demo_math.h"

namespace demo {

struct Influence {
    int joint = 0;
    float bias = 1;
};

// Texture coordinate t runs bottom-up: t = 0 is the image's bottom row, as OpenGL samples it.
struct BuildVertex {
    Vec3 pos;
    float u = 0, t = 0;
    std::vector<Influence> influences;
};

// MD5 meshes show faces that are clockwise seen from outside, OBJ ones counter-clockwise.
enum class Winding { ClockwiseOutside, CounterClockwiseOutside };

struct BuildMesh {
    std::string material;
    Winding winding = Winding::ClockwiseOutside;
    std::vector<BuildVertex> verts;
    std::vector<std::array<int, 3>> tris;

    int addVertex(Vec3 pos, float u, float t, std::vector<Influence> influences = {});
    // Adds a, b, c in the order that makes the face point along `outward` for this winding.
    void addTriangle(int a, int b, int c, Vec3 outward);
};

// One cross-section of a tube: an ellipse around `centre` spanned by `side` and `up`.
struct TubeRing {
    Vec3 centre;
    Vec3 side{0, 1, 0};
    Vec3 up{0, 0, 1};
    float halfWidth = 1;
    float halfHeight = 1;
    float t = 0; // texture row of the ring
    std::vector<Influence> influences;
};

struct TubeStyle {
    int sides = 16;
    float uStart = 0; // texture u of angle 0 (the underside); the seam vertex repeats at uStart + uSpan
    float uSpan = 1;
};

// A closed tube through the rings. A ring of zero size is a tip: the band to it is a cone
// of single triangles, so no face has zero area.
void addTube(BuildMesh& mesh, const std::vector<TubeRing>& rings, const TubeStyle& style);

// Rings along a polyline with frames carried from one ring to the next without twist.
// `radius` and `influences` are asked per ring with the arc length from the start.
struct PolylineTube {
    std::vector<Vec3> points;
    int ringsPerSegment = 3;
};
template <class RadiusFn, class InfluenceFn>
std::vector<TubeRing> ringsAlong(const PolylineTube& line, RadiusFn radius, InfluenceFn influences);

// --- template body ---

template <class RadiusFn, class InfluenceFn>
std::vector<TubeRing> ringsAlong(const PolylineTube& line, RadiusFn radius, InfluenceFn influences) {
    std::vector<TubeRing> rings;
    float total = 0;
    for (size_t i = 1; i < line.points.size(); ++i) total += length(line.points[i] - line.points[i - 1]);
    Vec3 carried{0, 0, 1};
    float arc = 0;
    for (size_t seg = 0; seg + 1 < line.points.size(); ++seg) {
        Vec3 a = line.points[seg], b = line.points[seg + 1];
        float segLength = length(b - a);
        bool last = seg + 2 == line.points.size();
        int steps = line.ringsPerSegment + (last ? 1 : 0);
        for (int k = 0; k < steps; ++k) {
            float f = static_cast<float>(k) / line.ringsPerSegment;
            Vec3 dir = normalize(b - a);
            if (k == 0 && seg > 0) dir = normalize(normalize(a - line.points[seg - 1]) + dir);
            Vec3 up = carried - dir * dot(carried, dir);
            if (length(up) < 1e-3f) up = Vec3{1, 0, 0} - dir * dir.x;
            up = normalize(up);
            carried = up;
            TubeRing ring;
            ring.centre = lerp(a, b, f);
            ring.up = up;
            ring.side = cross(up, dir);
            float here = arc + segLength * f;
            float r = radius(here, total);
            ring.halfWidth = r;
            ring.halfHeight = r;
            ring.t = total > 0 ? here / total : 0;
            ring.influences = influences(here, total);
            rings.push_back(ring);
        }
        arc += segLength;
    }
    return rings;
}

} // namespace demo
