// tests/render_logic_test.cpp -- the GL-free parts of the renderer: normalisation cube texels,
// marker lines and the index range a mesh may be drawn with.
#include <gtest/gtest.h>

#include <cmath>

#include "model/model.h"
#include "render/logic/cube_directions.h"
#include "render/logic/marker_geometry.h"

namespace {

void expectVec(const float* got, float x, float y, float z) {
    EXPECT_NEAR(got[0], x, 1e-5f);
    EXPECT_NEAR(got[1], y, 1e-5f);
    EXPECT_NEAR(got[2], z, 1e-5f);
}

} // namespace

// The centre texels are read back from GL in the render pass tests; here the corners and rows.
TEST(NormalisationCube, CornersPointIntoTheCornerAndRowsRunDown) {
    for (int face = 0; face < render::kCubeFaces; ++face) {
        std::vector<uint8_t> texels = render::normalisationCubeFace(face, 128);
        ASSERT_EQ(texels.size(), 128u * 128u * 3u);
        // A corner texel points into the corner of its face: all three components large.
        float d[3];
        render::cubeFaceDirection(face, 128, 0, 0, d);
        EXPECT_NEAR(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 1.0f, 1e-5f);
        for (float c : d) EXPECT_GT(std::fabs(c), 0.57f);
    }
    // Rows go down on the side faces: row 0 of +X and +Z points up (y > 0).
    float d[3];
    render::cubeFaceDirection(0, 128, 64, 0, d);
    EXPECT_GT(d[1], 0.5f);
    render::cubeFaceDirection(4, 128, 0, 64, d);
    EXPECT_LT(d[0], -0.5f);
    EXPECT_TRUE(render::normalisationCubeFace(6, 4).empty());
    EXPECT_TRUE(render::normalisationCubeFace(0, 0).empty());
    EXPECT_EQ(render::packUnitComponent(-1.0f), 1);
    EXPECT_EQ(render::packUnitComponent(0.0f), 128);
}

TEST(MarkerGeometry, AxesAreTwoUnitsAlongTheRotationColumns) {
    const float pos[3] = {1, 2, 3};
    const float rot[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1}; // 90 degrees about Z
    render::MarkerLine axes[3];
    render::jointAxes(pos, rot, axes);
    expectVec(axes[0].from, 1, 2, 3);
    expectVec(axes[0].to, 1, 4, 3);
    expectVec(axes[1].to, -1, 2, 3);
    expectVec(axes[2].to, 1, 2, 5);
}

TEST(MarkerGeometry, CameraFrustumOpensAlongTheFirstColumn) {
    const float pos[3] = {10, 0, 0};
    const float rot[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    render::CameraFrustum f = render::cameraFrustum(pos, rot);
    const float corner[5][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}, {1, 1}}; // the loop closes
    for (int i = 0; i < 5; ++i) expectVec(f.nearLoop[i], 8, 2 * corner[i][0], 2 * corner[i][1]);
    for (int i = 0; i < 4; ++i) {
        expectVec(f.edges[i].from, 12, 4 * corner[i][0], 4 * corner[i][1]);
        expectVec(f.edges[i].to, f.nearLoop[i][0], f.nearLoop[i][1], f.nearLoop[i][2]);
    }
}

TEST(MarkerGeometry, BonesOnlyToParentsInsideTheSkeleton) {
    Model model;
    model.joints.resize(3);
    model.joints[0].parent = -1, model.joints[1].parent = 0, model.joints[2].parent = 7;
    model.joints[0].pos[2] = 4;
    model.joints[1].pos[0] = 1;
    render::MarkerLine bone;
    for (int j : {0, 2, 3}) EXPECT_FALSE(render::boneLine(model, j, bone)) << j;
    ASSERT_TRUE(render::boneLine(model, 1, bone));
    expectVec(bone.from, 0, 0, 4);
    expectVec(bone.to, 1, 0, 0);
}
