// tests/shadow_volume_test.cpp -- the shadow volume's caps and sides and the edge-overlay lines,
// without a GL context.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "model/model.h"
#include "shadow/shadow_volume.h"
#include "tests/analysis_meshes.h"
#include "tests/support/volume_shapes.h"

namespace {

using namespace volume_shapes;
using Point = std::array<float, 4>;

// Mesh `mesh`'s volume for a light at `light`, silhouettes marked for every mesh.
shadow::VolumeGeometry volumeFrom(Model& model, const float light[3], int mesh = 0) {
    std::copy(light, light + 3, model.lightPosModel);
    shadow::markAllSilhouettes(model);
    shadow::VolumeGeometry g;
    shadow::buildVolumeGeometry(model, mesh, g);
    return g;
}

const float kAbove[3] = {0, 0, 3}; // a light above the square

Point at(const std::vector<float>& v, size_t i) { return {v[i], v[i + 1], v[i + 2], v[i + 3]}; }

// A closed, consistently wound surface uses every directed edge as often as its reverse.
// Returns the number of directed edges that do not balance.
int unbalancedEdges(const shadow::VolumeGeometry& g) {
    std::map<std::pair<Point, Point>, int> count;
    const std::pair<const std::vector<float>*, size_t> lists[] = {{&g.nearCaps, 3}, {&g.farCaps, 3}, {&g.sides, 4}};
    for (const auto& [v, n] : lists)
        for (size_t i = 0; i + 4 * n <= v->size(); i += 4 * n)
            for (size_t k = 0; k < n; ++k) {
                const Point a = at(*v, i + 4 * k), b = at(*v, i + 4 * ((k + 1) % n));
                if (a != b) ++count[{a, b}], --count[{b, a}];
            }
    int unbalanced = 0;
    for (const auto& entry : count) unbalanced += entry.second != 0;
    return unbalanced;
}

} // namespace

TEST(ShadowVolume, ClosedOpenAndNonManifoldMeshesGiveClosedVolumesForEveryLight) {
    struct Case { const char* name; MeshShape shape; int joints; };
    const Case cases[] = {
        {"cube", cube(), 0}, {"square", square(), 0}, {"fin", fin(), 0},
        {"grid with seams and duplicates", analysis_meshes::gridMesh({6, 6, 2, 4, 7}), 0},
        {"random, three or more triangles on edges", analysis_meshes::randomMesh(7, 40, 120, 0), 0},
        {"random skinned", analysis_meshes::randomMesh(11, 40, 120, 3), 3},
    };
    const float lights[][3] = {{0.3f, 0.7f, 5.0f}, {-4, 0.5f, 0.2f}, {0.1f, 0.2f, 0.3f}, {2, -3, -6}};
    for (const Case& c : cases) {
        Model model;
        prepare(model, {c.shape}, c.joints);
        for (const auto& light : lights) {
            const shadow::VolumeGeometry g = volumeFrom(model, light);
            EXPECT_EQ(unbalancedEdges(g), 0) << c.name << ", light " << light[0] << " " << light[2];
            EXPECT_EQ(g.nearCaps.size(), g.farCaps.size()) << c.name;
        }
    }
}

TEST(ShadowVolume, SquareCastsFromAboveOnlyAndOnlyMeshesThatDrawDiffuseCast) {
    Model model;
    prepare(model, {square()});
    const float cases[][5] = {{0.5f, 0.25f, 2, 2, 4}, {0.5f, 0.25f, -2, 0, 0}, {5, 0, 0, 0, 0}}; // above, below, in the plane
    for (const auto& c : cases) {
        const shadow::VolumeGeometry g = volumeFrom(model, c);
        EXPECT_EQ(g.capCount() * 10 + g.sideCount(), c[3] * 10 + c[4]) << c[2];
    }
    Model four; // plain, specular alone (no shadow), diffuse and specular, not loaded
    prepare(four, {square(), square(), square(), square()});
    four.hasSpecular[1] = four.hasSpecular[2] = four.hasDiffuse[2] = 1;
    four.meshLoaded[3] = 0;
    for (int m = 0; m < 4; ++m) EXPECT_EQ(volumeFrom(four, kAbove, m).capCount(), m % 2 ? 0 : 2) << "mesh " << m;
}

// Half-loaded, hand-built or damaged models name records that do not exist: none may be read.
TEST(ShadowVolume, RecordsOutOfRangeGiveNoVolumeAndNoSilhouette) {
    struct Case { const char* name; void (*damage)(Model&); };
    const Case cases[] = {
        {"no edge list", [](Model& m) { m.edges[0].clear(); }},
        {"edge triangle", [](Model& m) { m.edges[0][0].tri1 = 7; }},
        {"edge vertex", [](Model& m) { m.edges[0][1].v1 = -3; }},
        {"triangle corner", [](Model& m) { m.tris[0][1].v[2] = 4; }},
        {"draw index", [](Model& m) { m.indices[0][5] = 99; }},
        {"short draw list", [](Model& m) { m.indices[0].pop_back(); }},
        {"arrays of fewer meshes", [](Model& m) { m.edges.clear(); }},
    };
    for (const Case& c : cases) {
        Model model;
        prepare(model, {square()});
        c.damage(model);
        EXPECT_FALSE(shadow::meshIndicesInRange(model, 0)) << c.name;
        const shadow::VolumeGeometry g = volumeFrom(model, kAbove);
        EXPECT_EQ(g.capCount() + g.sideCount(), 0) << c.name;
        std::vector<float> lines;
        shadow::silhouetteEdgeLines(model, 0, lines);
        EXPECT_TRUE(lines.empty()) << c.name;
    }
    Model model;
    EXPECT_FALSE(shadow::meshIndicesInRange(model, 0));
    shadow::markAllSilhouettes(model);
}

// The fin: its own two edges, the square's four and the diagonal whose third triangle has no partner.
TEST(EdgeLines, OpenEdgesAreTheEdgesWithoutASecondTriangle) {
    const std::pair<MeshShape, size_t> cases[] = {{cube(), 0}, {square(), 4}, {fin(), 7}};
    for (const auto& [shape, open] : cases) {
        Model model;
        prepare(model, {shape});
        std::vector<float> lines;
        shadow::openEdgeLines(model, 0, lines);
        EXPECT_EQ(lines.size(), open * 6);
    }
}
