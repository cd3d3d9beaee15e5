// tests/render_logic_test.cpp -- the GL-free decisions of the renderer: the lighting path of a
// mesh, and the records the passes must never read out of range.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "model/model.h"
#include "render/logic/light_vectors.h"
#include "render/logic/marker_geometry.h"
#include "scene/scene.h"

using render::Highlight;
using render::LightPath;

namespace {

GlCapabilities fullCaps(int units, int combiners = 0, int combine4 = 1, int dot3 = 1) {
    GlCapabilities caps;
    caps.hasCubeMap = caps.hasMultitexture = 1;
    caps.hasEnvDot3 = dot3, caps.hasCombine4 = combine4, caps.maxTextureUnits = units;
    caps.hasRegisterCombiners = combiners > 0, caps.maxGeneralCombiners = combiners;
    return caps;
}

} // namespace

// The pixel tests reach the paths Mesa offers; here the choices it cannot show.
TEST(LightPlan, PathAndHighlightFollowUnitsCombinersAndMaterials) {
    const render::MeshMaterials all{true, true, true}, noNormal{true, false, true}, noDiffuse{false, true, true};
    struct Case { const char* what; GlCapabilities caps; bool filtered; render::MeshMaterials materials;
                  LightPath path; Highlight highlight; bool diffuse; } cases[] = {
        {"filtered, combiners", fullCaps(4, 8), true, all, LightPath::FourUnit, Highlight::FourUnitCombiners, true},
        {"filtered, 3 units", fullCaps(3), true, all, LightPath::PerVertex, Highlight::None, false},
        {"plain, 4 units without combine4", fullCaps(4, 0, 0), false, all, LightPath::ThreeUnit, Highlight::None, true},
        {"2 combiners, no combine4", fullCaps(2, 2, 0), false, all, LightPath::TwoUnit, Highlight::TwoUnitCombiners, true},
        {"no dot3", fullCaps(4, 0, 1, 0), false, all, LightPath::PerVertex, Highlight::None, false},
        {"no normal map", fullCaps(4), false, noNormal, LightPath::PerVertex, Highlight::None, false},
        {"highlight only", fullCaps(4), true, noDiffuse, LightPath::FourUnit, Highlight::FourUnitEnvironment, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const render::LightPlan plan = render::planLightMesh(c.caps, c.filtered, c.materials, true, false);
        EXPECT_EQ(plan.path, c.path);
        EXPECT_EQ(plan.highlight, c.highlight);
        EXPECT_EQ(plan.diffuse, c.diffuse);
        EXPECT_EQ(plan.facingList, c.highlight != Highlight::None);
        EXPECT_EQ(plan.filterValues, c.filtered && c.diffuse);
    }
    // Specular switch off: no highlight; shadows keep the highlight but need no facing list.
    EXPECT_EQ(render::planLightMesh(fullCaps(4), false, all, false, false).highlight, Highlight::None);
    const render::LightPlan shadowed = render::planLightMesh(fullCaps(4), false, all, true, true);
    EXPECT_EQ(shadowed.highlight, Highlight::FourUnitEnvironment);
    EXPECT_FALSE(shadowed.facingList);
}

// No NaN for a light or eye on the vertex; the filter's weight and frame (a step where far <= near).
TEST(LightVectors, NoNaNOnTheVertexAndTheFilterInTheLightsFrame) {
    Vertex v;
    v.pos[0] = 1, v.pos[1] = 2, v.pos[2] = 3;
    v.tangentS[1] = v.tangentT[2] = v.normal[0] = 1;
    const float at[3] = {1, 2, 3}, eye[3] = {1, 2, 13};
    float ts[3], ha[3];
    render::tangentSpaceLightVectors(&v, 1, at, eye, ts, ha);
    EXPECT_EQ(std::vector<float>(ts, ts + 3), std::vector<float>(3, 0.0f));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ha[i], i == 1 ? 3 : 0, 1e-3f); // the eye's unit vector alone
    const float weights[][4] = {{10, 20, 100, 1}, {60, 20, 100, 0.5f}, {500, 20, 100, 0}, {10, 50, 30, 1}, {40, 50, 30, 0}};
    for (const auto& w : weights) EXPECT_NEAR(render::filterWeight(w[0], w[1], w[2]), w[3], 1e-5f) << w[0] << " " << w[1];
    Light light;
    const float orientation[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0}; // x along world y, y along z, z along x
    std::copy(orientation, orientation + 9, light.orientation);
    light.light_nearradius = 10, light.light_farradius = 30;
    v.pos[2] = 23;
    float texcoord[3], colour[4];
    render::filterSpaceValues(&v, 1, light, at, texcoord, colour);
    EXPECT_EQ(std::vector<float>(texcoord, texcoord + 3), (std::vector<float>{0, 20, 0}));
    EXPECT_NEAR(colour[3], 0.5f, 1e-3f);
}

// Only triangles facing the light, with their draw indices; records out of range are never read.
TEST(LightFacing, OnlyTrianglesFacingTheLightListedWithTheirDrawIndices) {
    Model model;
    ASSERT_TRUE(model.allocateMeshes(1));
    model.verts[0].resize(5);
    model.tris[0].resize(3);
    model.tris[0][0].normal[2] = 1;  // faces a light above
    model.tris[0][1].normal[2] = -1; // faces away
    model.tris[0][2].normal[0] = 1;  // edge-on counts as facing
    model.tris[0][2].v[0] = 99;      // outside the mesh: skipped
    model.indices[0] = {4, 1, 2, 0, 2, 3, 1, 2, 3};
    std::vector<unsigned int> list;
    const float light[3] = {0, 0, 10};
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list, (std::vector<unsigned int>{4, 1, 2}));
    model.tris[0][2].v[0] = 1;
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list, (std::vector<unsigned int>{4, 1, 2, 1, 2, 3}));
    model.indices[0].resize(4); // shorter than the triangles: the list ends there
    render::buildLightFacingList(model, 0, light, list);
    EXPECT_EQ(list.size(), 3u);
    model.joints.resize(3); // bones only to parents inside the skeleton
    model.joints[0].parent = -1, model.joints[1].parent = 0, model.joints[2].parent = 7;
    render::MarkerLine bone;
    for (int j : {0, 2, 3}) EXPECT_FALSE(render::boneLine(model, j, bone)) << j;
    EXPECT_TRUE(render::boneLine(model, 1, bone));
}
