// tests/shadow_volume_test.cpp -- light-facing triangles, silhouettes, the shadow volume's caps
// and sides, the edge-overlay lines and the stencil method ranking, without a GL context.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

#include "model/model.h"
#include "render/logic/stencil_method.h"
#include "shadow/shadow_volume.h"
#include "tests/analysis_meshes.h"
#include "tests/support/volume_shapes.h"

namespace {

using analysis_meshes::MeshShape;
using volume_shapes::cube;
using volume_shapes::fin;
using volume_shapes::prepare;
using volume_shapes::square;
using Point = std::array<float, 4>;

void setLight(Model& model, float x, float y, float z) {
    model.lightPosModel[0] = x, model.lightPosModel[1] = y, model.lightPosModel[2] = z;
}

void addPolygons(const std::vector<float>& vertices, int corners, std::vector<std::vector<Point>>& out) {
    for (size_t i = 0; i + 4 * static_cast<size_t>(corners) <= vertices.size(); i += 4 * static_cast<size_t>(corners)) {
        std::vector<Point> polygon;
        for (size_t c = 0; c < static_cast<size_t>(corners); ++c)
            polygon.push_back({vertices[i + 4 * c], vertices[i + 4 * c + 1], vertices[i + 4 * c + 2], vertices[i + 4 * c + 3]});
        out.push_back(polygon);
    }
}

// A closed, consistently wound surface uses every directed edge as often as its reverse.
// Returns the number of directed edges that do not balance.
int unbalancedEdges(const shadow::VolumeGeometry& g) {
    std::vector<std::vector<Point>> polygons;
    addPolygons(g.nearCaps, 3, polygons);
    addPolygons(g.farCaps, 3, polygons);
    addPolygons(g.sides, 4, polygons);
    std::map<std::pair<Point, Point>, int> count;
    for (const auto& p : polygons)
        for (size_t k = 0; k < p.size(); ++k) {
            const Point& a = p[k];
            const Point& b = p[(k + 1) % p.size()];
            if (a == b) continue;
            ++count[{a, b}];
            --count[{b, a}];
        }
    int unbalanced = 0;
    for (const auto& entry : count) unbalanced += entry.second != 0;
    return unbalanced;
}

} // namespace

TEST(ShadowVolume, ClosedOpenAndNonManifoldMeshesGiveClosedVolumesForEveryLight) {
    struct Case {
        const char* name;
        MeshShape shape;
        int joints;
    };
    analysis_meshes::GridOptions grid;
    grid.columns = grid.rows = 6;
    grid.seamColumn = 2, grid.mirrorColumn = 4, grid.duplicateEvery = 7;
    const Case cases[] = {
        {"cube", cube(), 0},
        {"square", square(), 0},
        {"fin", fin(), 0},
        {"grid with seams and duplicates", analysis_meshes::gridMesh(grid), 0},
        {"random, three or more triangles on edges", analysis_meshes::randomMesh(7, 40, 120, 0), 0},
        {"random skinned", analysis_meshes::randomMesh(11, 40, 120, 3), 3},
    };
    const float lights[][3] = {{0.3f, 0.7f, 5.0f}, {-4, 0.5f, 0.2f}, {0.1f, 0.2f, 0.3f}, {2, -3, -6}};
    for (const Case& c : cases) {
        Model model;
        prepare(model, {c.shape}, c.joints);
        for (const auto& light : lights) {
            SCOPED_TRACE(std::string(c.name) + ", light " + std::to_string(light[0]) + " " + std::to_string(light[2]));
            setLight(model, light[0], light[1], light[2]);
            shadow::markSilhouetteEdges(model, 0);
            shadow::VolumeGeometry g;
            shadow::buildVolumeGeometry(model, 0, g);
            EXPECT_EQ(unbalancedEdges(g), 0);
            EXPECT_EQ(g.nearCaps.size(), g.farCaps.size());
        }
    }
}

TEST(ShadowVolume, FacingSilhouettesAndCapsOfTheSquare) {
    Model model;
    prepare(model, {square()});
    struct Case {
        const char* name;
        float light[3];
        int lit, sides;
    };
    const Case cases[] = {
        {"above", {0.5f, 0.25f, 2}, 2, 4},
        {"below", {0.5f, 0.25f, -2}, 0, 0},
        {"in the plane", {5, 0, 0}, 0, 0}, // not facing: no volume
    };
    shadow::VolumeGeometry above;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setLight(model, c.light[0], c.light[1], c.light[2]);
        shadow::markSilhouetteEdges(model, 0);
        int lit = 0;
        for (const Triangle& t : model.tris[0]) lit += t.facesLight;
        EXPECT_EQ(lit, c.lit);
        shadow::VolumeGeometry g;
        shadow::buildVolumeGeometry(model, 0, g);
        EXPECT_EQ(g.capCount(), c.lit);
        EXPECT_EQ(g.sideCount(), c.sides);
        if (&c == &cases[0]) above = g;
    }
    // Above: the near cap is the triangle itself; the far cap runs the other way round, each
    // corner the direction away from the light, at w = 0.
    const shadow::VolumeGeometry& g = above;
    const std::vector<float> nearFirst = {-1, -1, 0, 1, 1, -1, 0, 1, 1, 1, 0, 1};
    const std::vector<float> farFirst = {-1.5f, -1.25f, -2, 0, 0.5f, 0.75f, -2, 0, 0.5f, -1.25f, -2, 0};
    EXPECT_EQ(std::vector<float>(g.nearCaps.begin(), g.nearCaps.begin() + 12), nearFirst);
    EXPECT_EQ(std::vector<float>(g.farCaps.begin(), g.farCaps.begin() + 12), farFirst);
}

TEST(ShadowVolume, OnlyLoadedMeshesWithADiffuseMapOrNoSpecularMapCast) {
    Model model;
    prepare(model, {square(), square(), square()});
    model.hasSpecular[1] = 1; // specular alone: no shadow
    model.hasSpecular[2] = model.hasDiffuse[2] = 1;
    setLight(model, 0, 0, 3);
    shadow::markAllSilhouettes(model);
    const int expected[] = {2, 0, 2};
    for (int m = 0; m < 3; ++m) {
        shadow::VolumeGeometry g;
        shadow::buildVolumeGeometry(model, m, g);
        EXPECT_EQ(g.capCount(), expected[m]) << "mesh " << m;
    }
    model.meshLoaded[0] = 0;
    shadow::VolumeGeometry g;
    shadow::buildVolumeGeometry(model, 0, g);
    EXPECT_EQ(g.capCount(), 0);
}

// A model whose load stopped halfway skips post-processing; a hand-built or damaged one may
// name vertices and triangles that do not exist. None may be read.
TEST(ShadowVolume, RecordsOutOfRangeGiveNoVolumeAndNoSilhouette) {
    struct Case {
        const char* name;
        void (*damage)(Model&);
    };
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
        setLight(model, 0, 0, 3);
        EXPECT_FALSE(shadow::meshIndicesInRange(model, 0)) << c.name;
        shadow::markAllSilhouettes(model);
        shadow::VolumeGeometry g;
        shadow::buildVolumeGeometry(model, 0, g);
        EXPECT_EQ(g.capCount() + g.sideCount(), 0) << c.name;
        std::vector<float> lines;
        shadow::silhouetteEdgeLines(model, 0, lines);
        EXPECT_TRUE(lines.empty()) << c.name;
    }
    Model model;
    EXPECT_FALSE(shadow::meshIndicesInRange(model, 0));
    shadow::markAllSilhouettes(model);
}

TEST(EdgeLines, OpenEdgesAreTheEdgesWithoutASecondTriangleInEdgeOrder) {
    struct Case {
        const char* name;
        MeshShape shape;
        size_t open;
    };
    const Case cases[] = {{"cube", cube(), 0}, {"square", square(), 4}, {"fin", fin(), 7}};
    for (const Case& c : cases) {
        Model model;
        prepare(model, {c.shape});
        std::vector<float> lines, expected;
        for (const Edge& e : model.edges[0]) {
            if (e.tri1 != -1) continue;
            for (int v : {e.v0, e.v1}) expected.insert(expected.end(), model.verts[0][static_cast<size_t>(v)].pos, model.verts[0][static_cast<size_t>(v)].pos + 3);
        }
        shadow::openEdgeLines(model, 0, lines);
        EXPECT_EQ(lines, expected) << c.name;
        EXPECT_EQ(lines.size(), c.open * 6) << c.name;
    }
}

TEST(StencilMethod, RichestMethodTheCapabilitiesAllow) {
    struct Case {
        int wrap, twoSide, separate;
        render::StencilMethod expected;
    };
    const Case cases[] = {
        {1, 1, 1, render::StencilMethod::TwoSided},    {1, 0, 1, render::StencilMethod::SeparateOps},
        {1, 0, 0, render::StencilMethod::TwoPasses},   {0, 1, 1, render::StencilMethod::TwoPasses},
    };
    for (const Case& c : cases) {
        GlCapabilities caps;
        caps.hasStencilWrap = c.wrap;
        caps.hasTwoSideStencil = c.twoSide;
        caps.hasSeparateStencil = c.separate;
        EXPECT_EQ(render::chooseStencilMethod(caps), c.expected) << c.wrap << c.twoSide << c.separate;
    }
}
