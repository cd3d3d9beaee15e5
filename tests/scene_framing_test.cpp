// tests/scene_framing_test.cpp -- Home's framing seen through the free camera's own view, and the
// scene made for one model file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "scene/scene_framing.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A world point in eye space under the free camera, as the frame sets it up: translate
// (-panX, -panY, dolly), rotate pitch - 90 about X, rotate -yaw about Z, translate -focus position.
void toEye(const Scene& s, const float world[3], double eye[3]) {
    Vec3 focus = {0, 0, 0};
    if (s.model_in_focus >= 0 && s.model_in_focus < s.nummodels) focus = s.modelpos[s.model_in_focus];
    double p[3] = {world[0] - focus[0], world[1] - focus[1], world[2] - focus[2]};
    const double a = -s.cameraYaw * kPi / 180, b = (s.cameraPitch - 90) * kPi / 180;
    const double x = std::cos(a) * p[0] - std::sin(a) * p[1], y = std::sin(a) * p[0] + std::cos(a) * p[1];
    p[0] = x, p[1] = y;
    const double y2 = std::cos(b) * p[1] - std::sin(b) * p[2], z2 = std::sin(b) * p[1] + std::cos(b) * p[2];
    eye[0] = p[0] - s.cameraPanX;
    eye[1] = y2 - s.cameraPanY;
    eye[2] = z2 + s.cameraDolly;
}

struct Seen {
    double reach = 0;  // the largest fraction of the half picture a point reaches
    double nearest = 1e30; // the smallest depth
    double centreX = 0, centreY = 0; // where the box's centre lands, in the same fractions
};

std::array<float, 3> centreOf(const Bounds& box) {
    return {(box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2, (box.min[2] + box.max[2]) / 2};
}

Seen look(const Scene& s, const Bounds& box, double aspect) {
    const double t = std::tan(kFreeCameraFov * kPi / 360);
    Seen seen;
    auto project = [&](const float p[3], double& fx, double& fy, double& depth) {
        double eye[3];
        toEye(s, p, eye);
        depth = -eye[2];
        fx = eye[0] / depth / (t * aspect);
        fy = eye[1] / depth / t;
    };
    for (int i = 0; i < 8; ++i) {
        const float p[3] = {i & 1 ? box.max[0] : box.min[0], i & 2 ? box.max[1] : box.min[1],
                            i & 4 ? box.max[2] : box.min[2]};
        double fx, fy, depth;
        project(p, fx, fy, depth);
        seen.reach = std::max({seen.reach, std::fabs(fx), std::fabs(fy)});
        seen.nearest = std::min(seen.nearest, depth);
    }
    double depth;
    project(centreOf(box).data(), seen.centreX, seen.centreY, depth);
    return seen;
}

Bounds boxOf(Vec3 low, Vec3 high) {
    Bounds box;
    box.add(low.data());
    box.add(high.data());
    return box;
}

// A one-mesh model: a single triangle plus one vertex no triangle uses.
std::unique_ptr<Model> triangleModel() {
    auto model = std::make_unique<Model>();
    model->verts.resize(1);
    model->tris.resize(1);
    for (const auto& c : {Vec3{-1, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 0, 4}, Vec3{500, 500, 500}}) {
        Vertex v;
        std::copy(c.begin(), c.end(), v.pos);
        model->verts[0].push_back(v);
    }
    Triangle tri;
    tri.v[0] = 0, tri.v[1] = 1, tri.v[2] = 2;
    model->tris[0].push_back(tri);
    return model;
}

} // namespace

TEST(Framing, TheBoxFillsTwoThirdsOfItsTighterSideInTheMiddleOfThePicture) {
    struct Case {
        Bounds box;
        float yaw, pitch;
        double aspect;
        Vec3 focusPos;
    } cases[] = {
        {boxOf({-10, -10, 0}, {10, 10, 80}), 0, 0, 4.0 / 3, {0, 0, 0}},      // tall: the height decides
        {boxOf({-200, -5, 0}, {200, 5, 10}), 30, 20, 4.0 / 3, {0, 0, 0}},    // wide: the width decides
        {boxOf({100, 50, -20}, {140, 90, 30}), 250, -35, 0.5, {120, 70, 0}}, // off the origin, a narrow window
        {boxOf({3, 3, 3}, {3, 3, 3}), 10, 10, 1.0, {0, 0, 0}},               // a single point
    };
    for (const Case& c : cases) {
        Scene scene;
        addModelSlot(scene);
        scene.modelpos[0] = c.focusPos;
        scene.cameraYaw = c.yaw;
        scene.cameraPitch = c.pitch;
        frameBounds(scene, c.box, kFreeCameraFov, c.aspect);
        EXPECT_FLOAT_EQ(scene.cameraYaw, c.yaw); // the camera keeps its direction
        EXPECT_FLOAT_EQ(scene.cameraPitch, c.pitch);
        const Seen seen = look(scene, c.box, c.aspect);
        EXPECT_NEAR(seen.centreX, 0, 1e-4);
        EXPECT_NEAR(seen.centreY, 0, 1e-4);
        EXPECT_GT(seen.nearest, 1.0); // beyond the near plane
        if (c.box.max[0] > c.box.min[0]) {
            EXPECT_NEAR(seen.reach, kFramedFill, 1e-3);
        }
    }
}

TEST(Framing, HomeFramesTheFocusModelsTrianglesUnderItsPlacement) {
    Scene scene;
    addModelSlot(scene);
    EXPECT_FALSE(frameModelInFocus(scene, 1.0)); // a model without vertices: nothing to frame
    scene.models[0] = triangleModel();
    scene.modelpos[0] = {50, 0, 0};
    scene.modelangle[0] = 90;
    updateModelPlacement(scene, 0);
    scene.animatedCamera = 1;
    ASSERT_TRUE(frameModelInFocus(scene, 1.0));
    EXPECT_EQ(scene.animatedCamera, 0); // the framing must be seen
    Bounds box;
    ASSERT_TRUE(modelBounds(*scene.models[0], box));
    // Turned by 90 degrees and moved: x from -1..1 became y; the unused vertex is left out.
    for (auto [got, want] : {std::pair{box.min[0], 50}, {box.max[0], 50}, {box.min[1], -1}, {box.max[2], 4}})
        EXPECT_NEAR(got, want, 1e-4);
    EXPECT_NEAR(look(scene, box, 1.0).reach, kFramedFill, 1e-3);
    scene.model_in_focus = -1;
    EXPECT_FALSE(frameModelInFocus(scene, 1.0));
}

TEST(Framing, AModelFileGetsASceneOfItsOwnLitFromAboveAndInFront) {
    const fs::path bob = fs::path(OSTRELLE_TESTDATA_DIR) / "md5" / "bob";
    if (!fs::exists(bob / "Bob.md5mesh")) GTEST_SKIP() << "no test data at " << bob;
    Scene scene;
    makeModelScene(scene, (bob / "Bob.md5mesh").string(), (bob / "Bob.md5anim").string());
    EXPECT_EQ(scene.basepath, bob.string() + "/");
    ASSERT_EQ(scene.nummodels, 1);
    EXPECT_EQ(scene.modelanim[0], (bob / "Bob.md5anim").string());
    ASSERT_EQ(scene.numlights, 1);
    loadSceneModels(scene);
    placeModelSceneLightAndCamera(scene, 4.0 / 3);
    ASSERT_GT(scene.models[0]->numMeshes(), 0);

    Bounds box;
    ASSERT_TRUE(modelBounds(*scene.models[0], box));
    EXPECT_NEAR(look(scene, box, 4.0 / 3).reach, kFramedFill, 1e-3);
    const Light& light = scene.lights[0];
    EXPECT_EQ(light.lightpos[3], 1.0f);
    EXPECT_GT(light.lightpos[2], box.max[2]); // above
    double lightEye[3], centreEye[3];
    toEye(scene, light.lightpos, lightEye);
    toEye(scene, centreOf(box).data(), centreEye);
    EXPECT_GT(lightEye[2], centreEye[2]); // nearer the viewer than the model
    EXPECT_GT(-lightEye[2], 1.0); // and still in front of the camera
}
