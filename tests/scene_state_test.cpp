// tests/scene_state_test.cpp -- slot and light operations, placement, yaw wrap and lights bound to joints.
#include <gtest/gtest.h>

#include <cstring>

#include "scene/scene.h"

namespace {

const float kRz90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};

// A model with the given joints, each at `pos` turned 90 degrees about Z.
std::unique_ptr<Model> modelWithJoints(std::initializer_list<const char*> names, float x, float y, float z) {
    auto model = std::make_unique<Model>();
    for (const char* name : names) {
        Joint j;
        j.name = name;
        memcpy(j.rot, kRz90, sizeof j.rot);
        j.pos[0] = x, j.pos[1] = y, j.pos[2] = z;
        model->joints.push_back(j);
    }
    return model;
}

Light boundLight(const char* joint, int slot) {
    Light l;
    l.boneName = joint;
    l.boneModel = slot;
    l.posoffset[0] = 1; // along the joint's X
    l.lightpos[0] = -7; // marks "not moved"
    return l;
}

} // namespace

TEST(SceneState, LightsAddSelectedAndRemoveWhole) {
    Scene scene;
    scene.selectedLight = 5;
    addLight(scene);
    ASSERT_EQ(scene.numlights, 1);
    EXPECT_EQ(scene.selectedLight, 0);
    addLight(scene);
    Light& second = scene.lights[1];
    second.lightpos[2] = 9;
    second.orientation[0] = 7;
    second.boneName = "hand";
    second.blurredCubeTex = 3;
    initLightDefaults(scene.lights[0]);
    scene.selectedLight = 0;
    removeLight(scene);
    ASSERT_EQ(scene.numlights, 1);
    const Light& moved = scene.lights[0];
    EXPECT_TRUE(moved.lightpos[2] == 9 && moved.orientation[0] == 7 && moved.blurredCubeTex == 3u);
    EXPECT_EQ(moved.boneName.value_or("-"), "hand");
    removeLight(scene);
    EXPECT_EQ(scene.numlights, 0);
    EXPECT_EQ(scene.selectedLight, -1);
    removeLight(scene); // nothing left: nothing happens
    EXPECT_EQ(scene.numlights, 0);
}

TEST(SceneState, RemoveWithSelectionOutsideTheArraysDoesNothing) {
    Scene scene;
    addLight(scene);
    addModelSlot(scene);
    scene.selectedLight = 3;
    removeLight(scene);
    for (int focus : {-1, 1}) {
        scene.model_in_focus = focus;
        removeModelSlot(scene);
    }
    EXPECT_EQ(scene.numlights, 1);
    EXPECT_EQ(scene.nummodels, 1);
}

TEST(SceneState, SlotsAddAndRemoveInStep) {
    Scene scene;
    for (int s = 0; s < 3; ++s) addModelSlot(scene);
    ASSERT_EQ(scene.nummodels, 3);
    EXPECT_EQ(scene.model_in_focus, 2);
    ASSERT_TRUE(scene.models[2]);
    EXPECT_EQ(scene.models[2]->numMeshes(), 0);
    EXPECT_FALSE(scene.modelname[2]);
    for (int s = 0; s < 3; ++s) {
        scene.modelname[s] = "m" + std::to_string(s);
        scene.modelpos[s] = {float(s), 0, 0};
        scene.modelangle[s] = float(10 * s);
    }
    const Model* last = scene.models[2].get();
    scene.model_in_focus = 1;
    removeModelSlot(scene);
    ASSERT_EQ(scene.nummodels, 2);
    EXPECT_EQ(scene.modelname[1].value_or("-"), "m2");
    EXPECT_TRUE(scene.modelpos[1][0] == 2 && scene.modelangle[1] == 20 && scene.models[1].get() == last);
    EXPECT_EQ(scene.model_in_focus, 1);

    removeModelSlot(scene); // focus 1 was the last slot: focus moves to 0
    EXPECT_EQ(scene.model_in_focus, 0);
    removeModelSlot(scene);
    EXPECT_EQ(scene.nummodels, 0);
    EXPECT_TRUE(scene.models.empty());
    EXPECT_TRUE(scene.modelname.empty() && scene.modelanim.empty() && scene.modelpos.empty() &&
                scene.modelangle.empty());
    EXPECT_EQ(scene.model_in_focus, -1);
}

TEST(SceneState, HandSetTexturesFollowTheirSlot) {
    Scene scene;
    for (int s = 0; s < 3; ++s) addModelSlot(scene);
    rememberMeshTexture(scene, {0, 0, TextureGroup::Diffuse, "a.png"});
    rememberMeshTexture(scene, {1, 0, TextureGroup::Diffuse, "b.png"});
    rememberMeshTexture(scene, {2, 5, TextureGroup::Local, "c_n.png"});
    rememberMeshTexture(scene, {2, 5, TextureGroup::Local, "d_n.png"}); // same slot, mesh and kind: replaced
    scene.model_in_focus = 1;
    removeModelSlot(scene);
    ASSERT_EQ(scene.meshTextures.size(), 2u);
    EXPECT_EQ(scene.meshTextures[0].slot, 0);
    EXPECT_EQ(scene.meshTextures[1].slot, 1) << "slot 2 became slot 1";
    EXPECT_EQ(scene.meshTextures[1].file, "d_n.png");
    forgetMeshTextures(scene, 1, 4); // another mesh of the slot: nothing goes
    forgetMeshTextures(scene, 0);
    ASSERT_EQ(scene.meshTextures.size(), 1u);
    EXPECT_EQ(scene.meshTextures[0].file, "d_n.png");
}

TEST(SceneState, StartupLoadCreatesAndPlacesEveryModel) {
    Scene scene;
    readSceneText(scene, "nummodels 2\nmodel 1\nmodelpos 1 2 3\n");
    loadSceneModels(scene);
    ASSERT_TRUE(scene.models[0] && scene.models[1]);
    EXPECT_EQ(scene.models[1]->placement[12], 1.0f);
    EXPECT_EQ(scene.models[1]->placement[14], 3.0f);
    updateModelPlacement(scene, 2); // not a slot: nothing happens
    updateModelPlacement(scene, -1);
}

TEST(BoundLights, FollowTheirJointWithPlacement) {
    Scene scene;
    addModelSlot(scene);
    scene.models[0] = modelWithJoints({"root", "lamp"}, 5, 0, 2);
    scene.modelpos[0] = {100, 0, 0};
    updateModelPlacement(scene, 0);
    scene.lights = {boundLight("lamp", 0)};
    scene.numlights = 1;
    updateBoundLights(scene);
    const Light& l = scene.lights[0];
    // offset (1,0,0) turned 90 degrees about Z -> (0,1,0), plus joint (5,0,2), plus model (100,0,0)
    const float expected[3] = {105, 1, 2};
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(l.lightpos[k], expected[k]) << k;
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(l.orientation[i], kRz90[i]) << i;
}

TEST(BoundLights, MissingJointSkipsOnlyThatLight) {
    Scene scene;
    for (int s = 0; s < 2; ++s) addModelSlot(scene);
    scene.models[0] = modelWithJoints({"lamp"}, 5, 0, 0);
    scene.models[1].reset(); // a slot without a model
    scene.lights = {boundLight("lamp", 0), boundLight("nosuchjoint", 0), boundLight("lamp", 1),
                    boundLight("lamp", 7), boundLight("lamp", 0)};
    scene.lights[4].posoffset[0] = 2;
    scene.numlights = 5;
    updateBoundLights(scene);
    EXPECT_FLOAT_EQ(scene.lights[0].lightpos[0], 5);
    EXPECT_FLOAT_EQ(scene.lights[0].lightpos[1], 1);
    for (int i = 1; i <= 3; ++i) EXPECT_FLOAT_EQ(scene.lights[i].lightpos[0], -7) << "light " << i;
    // The light after the missing joint still follows its own.
    EXPECT_FLOAT_EQ(scene.lights[4].lightpos[0], 5);
    EXPECT_FLOAT_EQ(scene.lights[4].lightpos[1], 2);
}
