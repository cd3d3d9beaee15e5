// tests/scene_framing_test.cpp -- Home's framing seen through the free camera's own view (a model
// file framed alone: the demo picture test), and lights bound to joints.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "scene/scene.h"
#include "scene/scene_framing.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A world point in eye space under the free camera, as the frame sets it up: translate
// (-panX, -panY, dolly), rotate pitch - 90 about X, rotate -yaw about Z, translate -focus position.
std::array<double, 3> toEye(const Scene& s, const float world[3]) {
    Vec3 focus = {0, 0, 0};
    if (s.model_in_focus >= 0 && s.model_in_focus < s.nummodels) focus = s.modelpos[s.model_in_focus];
    const double p[3] = {world[0] - focus[0], world[1] - focus[1], world[2] - focus[2]};
    const double a = -s.cameraYaw * kPi / 180, b = (s.cameraPitch - 90) * kPi / 180;
    const double x = std::cos(a) * p[0] - std::sin(a) * p[1], y = std::sin(a) * p[0] + std::cos(a) * p[1];
    return {x - s.cameraPanX, std::cos(b) * y - std::sin(b) * p[2] - s.cameraPanY,
            std::sin(b) * y + std::cos(b) * p[2] + s.cameraDolly};
}

// Where the box's corners and centre land, in fractions of the half picture.
struct Seen { double reach = 0, nearest = 1e30, centreX = 0, centreY = 0; };

Seen look(const Scene& s, const Bounds& box, double aspect) {
    const double t = std::tan(kFreeCameraFov * kPi / 360);
    Seen seen;
    for (int i = 0; i < 9; ++i) {
        float p[3];
        for (int k = 0; k < 3; ++k) p[k] = i == 8 ? (box.min[k] + box.max[k]) / 2 : (i >> k & 1) ? box.max[k] : box.min[k];
        const std::array<double, 3> eye = toEye(s, p);
        const double fx = eye[0] / -eye[2] / (t * aspect), fy = eye[1] / -eye[2] / t;
        if (i == 8) {
            seen.centreX = fx, seen.centreY = fy;
        } else {
            seen.reach = std::max({seen.reach, std::fabs(fx), std::fabs(fy)});
            seen.nearest = std::min(seen.nearest, -eye[2]);
        }
    }
    return seen;
}

Bounds boxOf(Vec3 low, Vec3 high) {
    Bounds box;
    box.add(low.data()), box.add(high.data());
    return box;
}

Light boundLight(const char* joint, int slot, float offset = 1) {
    Light l;
    l.boneName = joint, l.boneModel = slot;
    l.posoffset[0] = offset, l.lightpos[0] = -7; // along the joint's X; -7 marks "not moved"
    return l;
}

} // namespace

TEST(Framing, TheBoxFillsTwoThirdsOfItsTighterSideInTheMiddleOfThePicture) {
    const struct {
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
    for (const auto& c : cases) {
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
    // One triangle plus one vertex no triangle uses.
    scene.models[0] = std::make_unique<Model>();
    Model& model = *scene.models[0];
    model.verts.resize(1);
    for (const auto& c : {Vec3{-1, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 0, 4}, Vec3{500, 500, 500}}) {
        model.verts[0].emplace_back();
        std::copy(c.begin(), c.end(), model.verts[0].back().pos);
    }
    model.tris.assign(1, std::vector<Triangle>(1));
    model.tris[0][0].v[1] = 1, model.tris[0][0].v[2] = 2;
    scene.modelpos[0] = {50, 0, 0};
    scene.modelangle[0] = 90;
    updateModelPlacement(scene, 0);
    scene.animatedCamera = 1;
    ASSERT_TRUE(frameModelInFocus(scene, 1.0));
    EXPECT_EQ(scene.animatedCamera, 0); // the framing must be seen
    Bounds box;
    ASSERT_TRUE(modelBounds(model, box));
    // Turned by 90 degrees and moved: x from -1..1 became y; the unused vertex is left out.
    for (auto [got, want] : {std::pair{box.min[0], 50}, {box.max[0], 50}, {box.min[1], -1}, {box.max[2], 4}})
        EXPECT_NEAR(got, want, 1e-4);
    EXPECT_NEAR(look(scene, box, 1.0).reach, kFramedFill, 1e-3);
    scene.model_in_focus = -1;
    EXPECT_FALSE(frameModelInFocus(scene, 1.0));
}

// A light follows its joint under the model's placement; a missing joint, slot or model skips only that light.
TEST(BoundLights, FollowTheirJointWithPlacement) {
    Scene scene;
    for (int s = 0; s < 2; ++s) addModelSlot(scene);
    // Two joints at (5, 0, 2) turned 90 degrees about Z; slot 1 without a model.
    const float rz90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    scene.models[0]->joints.resize(2);
    for (Joint& j : scene.models[0]->joints) {
        memcpy(j.rot, rz90, sizeof j.rot);
        j.pos[0] = 5, j.pos[2] = 2;
    }
    scene.models[0]->joints[1].name = "lamp";
    scene.models[1].reset();
    scene.modelpos[0] = {100, 0, 0};
    updateModelPlacement(scene, 0);
    scene.lights = {boundLight("lamp", 0), boundLight("nosuchjoint", 0), boundLight("lamp", 1),
                    boundLight("lamp", 7), boundLight("lamp", 0, 2)};
    scene.numlights = 5;
    updateBoundLights(scene);
    // offset (1,0,0) turned 90 degrees about Z -> (0,1,0), plus joint (5,0,2), plus model (100,0,0)
    const float expected[3] = {105, 1, 2};
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(scene.lights[0].lightpos[k], expected[k]) << k;
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(scene.lights[0].orientation[i], rz90[i]) << i;
    for (int i = 1; i <= 3; ++i) EXPECT_FLOAT_EQ(scene.lights[i].lightpos[0], -7) << "light " << i;
    EXPECT_FLOAT_EQ(scene.lights[4].lightpos[1], 2); // the light after the skipped ones still follows its own
}
