// tests/light_vectors_test.cpp -- the lighting passes' CPU side: which path a mesh takes,
// the tangent-space vectors, the filter values, the light-facing lists and the scratch arrays.
#include <gtest/gtest.h>

#include <cmath>

#include "model/model.h"
#include "render/logic/light_vectors.h"
#include "scene/scene.h"

using render::Highlight;
using render::LightPath;

namespace {

GlCapabilities fullCaps(int units, int combiners = 0, int combine4 = 1, int dot3 = 1) {
    GlCapabilities caps;
    caps.hasCubeMap = caps.hasMultitexture = 1;
    caps.hasEnvDot3 = dot3;
    caps.hasCombine4 = combine4;
    caps.maxTextureUnits = units;
    caps.hasRegisterCombiners = combiners > 0;
    caps.maxGeneralCombiners = combiners;
    return caps;
}

// A vertex at `pos` whose tangent frame is turned: S along y, T along z, normal along x.
Vertex turnedVertex(float x, float y, float z) {
    Vertex v;
    v.pos[0] = x, v.pos[1] = y, v.pos[2] = z;
    v.tangentS[1] = 1;
    v.tangentT[2] = 1;
    v.normal[0] = 1;
    return v;
}

void expectNear(const float* got, std::initializer_list<float> want, float tolerance) {
    int i = 0;
    for (float w : want) EXPECT_NEAR(got[i++], w, tolerance) << "component " << i - 1;
}

} // namespace

TEST(LightPlan, PathAndHighlightFollowUnitsCombinersAndMaterials) {
    const render::MeshMaterials all{true, true, true}, noNormal{true, false, true}, noDiffuse{false, true, true};
    const GlCapabilities rc8 = fullCaps(4, 8), rc2 = fullCaps(2, 2), rc2NoCombine4 = fullCaps(2, 2, 0),
                         noDot3 = fullCaps(4, 0, 1, 0), noCombine4 = fullCaps(4, 0, 0);
    struct Case {
        const char* what;
        GlCapabilities caps;
        bool filtered;
        render::MeshMaterials materials;
        LightPath path;
        Highlight highlight;
        bool diffuse;
    };
    const Case cases[] = {
        {"filtered, 4 units", fullCaps(4), true, all, LightPath::FourUnit, Highlight::FourUnitEnvironment, true},
        {"filtered, combiners", rc8, true, all, LightPath::FourUnit, Highlight::FourUnitCombiners, true},
        {"filtered, 3 units", fullCaps(3), true, all, LightPath::PerVertex, Highlight::None, false},
        {"filtered, 2 units", fullCaps(2), true, all, LightPath::TwoUnit, Highlight::TwoUnitEnvironment, true},
        {"plain, 8 units", fullCaps(8), false, all, LightPath::ThreeUnit, Highlight::FourUnitEnvironment, true},
        {"plain, 3 units", fullCaps(3), false, all, LightPath::ThreeUnit, Highlight::None, true},
        {"plain, 4 units without combine4", noCombine4, false, all, LightPath::ThreeUnit, Highlight::None, true},
        {"plain, 2 units, 2 combiners", rc2, false, all, LightPath::TwoUnit, Highlight::TwoUnitCombiners, true},
        {"2 combiners, no combine4", rc2NoCombine4, false, all, LightPath::TwoUnit, Highlight::TwoUnitCombiners, true},
        {"plain, 1 unit", fullCaps(1), false, all, LightPath::PerVertex, Highlight::None, false},
        {"no dot3", noDot3, false, all, LightPath::PerVertex, Highlight::None, false},
        {"no normal map", fullCaps(4), false, noNormal, LightPath::PerVertex, Highlight::None, false},
        {"highlight only", fullCaps(4), true, noDiffuse, LightPath::FourUnit, Highlight::FourUnitEnvironment, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const render::LightPlan plan = render::planLightMesh(c.caps, c.filtered, c.materials, true, false);
        EXPECT_EQ(plan.path, c.path);
        EXPECT_EQ(plan.highlight, c.highlight);
        EXPECT_EQ(plan.diffuse, c.diffuse);
        // The facing list is built exactly for the highlight that draws it.
        EXPECT_EQ(plan.facingList, c.highlight != Highlight::None);
        EXPECT_EQ(plan.filterValues, c.filtered && c.diffuse);
    }
    // Specular switch off, or shadows on: no list; shadows keep the highlight itself.
    EXPECT_EQ(render::planLightMesh(fullCaps(4), false, all, false, false).highlight, Highlight::None);
    const render::LightPlan shadowed = render::planLightMesh(fullCaps(4), false, all, true, true);
    EXPECT_EQ(shadowed.highlight, Highlight::FourUnitEnvironment);
    EXPECT_FALSE(shadowed.facingList);
}

TEST(LightVectors, TangentFrameAndHalfAngleScaledByThree) {
    const Vertex verts[2] = {turnedVertex(0, 0, 0), turnedVertex(1, 0, 0)};
    const float light[3] = {0, 3, 4}, eye[3] = {5, 0, 0};
    float ts[6], ha[6];
    render::tangentSpaceLightVectors(verts, 2, light, eye, ts, ha);
    // l = (0, 3, 4): (l.S, l.T, l.N) = (3, 4, 0); v = (5, 0, 0) turns into (0, 0, 5).
    expectNear(ts, {3, 4, 0}, 1e-5f);
    expectNear(ha, {3 * 0.6f, 3 * 0.8f, 3 * 1.0f}, 1e-3f);
    expectNear(ts + 3, {3, 4, -1}, 1e-5f); // l = (-1, 3, 4), still unnormalised in tslight
}

TEST(LightVectors, LightOrEyeOnTheVertexGivesNoNaN) {
    const Vertex verts[1] = {turnedVertex(1, 2, 3)};
    const float at[3] = {1, 2, 3}, eye[3] = {1, 2, 13};
    float ts[3], ha[3];
    render::tangentSpaceLightVectors(verts, 1, at, eye, ts, ha);
    for (float c : ts) EXPECT_EQ(c, 0.0f);
    expectNear(ha, {0, 3, 0}, 1e-3f); // only the eye's unit vector (0, 0, 1) remains: T along z
}

TEST(FilterValues, WeightFallsFromNearToFarRadius) {
    struct Case {
        float dist, nearRadius, farRadius, weight;
    };
    const Case cases[] = {
        {10, 20, 100, 1},   {20, 20, 100, 1},  {60, 20, 100, 0.5f}, {99, 20, 100, 0.0125f},
        {100, 20, 100, 0},  {500, 20, 100, 0}, // beyond the far radius
        {10, 50, 30, 1},    {40, 50, 30, 0},   {30, 50, 30, 0},     // far <= near
    };
    for (const Case& c : cases)
        EXPECT_NEAR(render::filterWeight(c.dist, c.nearRadius, c.farRadius), c.weight, 1e-5f)
            << c.dist << " in " << c.nearRadius << ".." << c.farRadius;
}

TEST(FilterValues, CoordinatesInTheLightsFrameAndColourCarriesTheWeight) {
    Light light;
    // Columns: x along world y, y along world z, z along world x.
    const float orientation[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
    std::copy(orientation, orientation + 9, light.orientation);
    light.lightcolor_d[0] = 0.25f, light.lightcolor_d[1] = 0.5f, light.lightcolor_d[2] = 0.75f;
    light.light_nearradius = 10, light.light_farradius = 30;
    const Vertex verts[1] = {turnedVertex(1, 2, 23)};
    const float lightPos[3] = {1, 2, 3};
    float texcoord[3], colour[4];
    render::filterSpaceValues(verts, 1, light, lightPos, texcoord, colour);
    // d = (0, 0, 20): c1.d = 0, c2.d = 20, c3.d = 0.
    expectNear(texcoord, {0, 20, 0}, 1e-5f);
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[2], 0.75f);
    EXPECT_NEAR(colour[3], 0.5f, 1e-3f);
}

TEST(LightFacing, OnlyTrianglesFacingTheLightListedWithTheirDrawIndices) {
    Model model;
    ASSERT_TRUE(model.allocateMeshes(1));
    model.verts[0].resize(5);
    model.verts[0][4].pos[2] = 1; // clone of vertex 0 used as a draw index
    model.tris[0].resize(3);
    model.tris[0][0].normal[2] = 1;  // faces a light above
    model.tris[0][1].normal[2] = -1; // faces away
    model.tris[0][2].normal[0] = 1;  // edge-on: dot product 0 counts as facing
    model.tris[0][2].v[0] = 99;      // an index outside the mesh is skipped, never read
    model.indices[0] = {4, 1, 2, 0, 2, 3, 1, 2, 3};
    std::vector<unsigned int> list;
    const float light[3] = {0, 0, 10};
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list, (std::vector<unsigned int>{4, 1, 2}));
    model.tris[0][2].v[0] = 1;
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list, (std::vector<unsigned int>{4, 1, 2, 1, 2, 3}));
    // A draw index array shorter than the triangles ends the list instead of running past it.
    model.indices[0].resize(4);
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list.size(), 3u);
}

TEST(LightScratch, ArraysOnlyGrowAndKeepTheirStorage) {
    render::LightScratch scratch;
    ASSERT_TRUE(scratch.reserve(100, 50, true));
    EXPECT_EQ(scratch.tslight.size(), 300u);
    EXPECT_EQ(scratch.vertexcolor.size(), 400u);
    EXPECT_GE(scratch.facing.capacity(), 150u);
    const float* tslight = scratch.tslight.data();
    const float* colour = scratch.vertexcolor.data();
    scratch.vertexcolor[7] = 0.5f;
    // A smaller mesh keeps the arrays: no allocation, nothing moved, vertexcolor kept.
    ASSERT_TRUE(scratch.reserve(10, 5, true));
    EXPECT_EQ(scratch.tslight.data(), tslight);
    EXPECT_EQ(scratch.vertexcolor.data(), colour);
    EXPECT_EQ(scratch.tslight.size(), 300u);
    EXPECT_EQ(scratch.vertexcolor[7], 0.5f);
    // A plain light's scratch never makes the filter arrays.
    render::LightScratch plain;
    ASSERT_TRUE(plain.reserve(10, 5, false));
    EXPECT_TRUE(plain.vertexcolor.empty());
    EXPECT_TRUE(plain.cubemaptexcoord.empty());
}
