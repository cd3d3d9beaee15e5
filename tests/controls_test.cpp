// tests/controls_test.cpp -- the key table and mouse drags driven through the key arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "app/controls.h"
#include "scene/scene.h"

namespace {

struct FakeHeld : HeldKeys {
    std::set<int> keys;
    bool isHeld(int key) const override { return keys.count(key) != 0; }
};

struct FakeCommands : KeyCommands {
    int mesh = 0, anim = 0, texture = 0, saved = 0, framed = 0, pausedMs = 0;
    void loadMeshIntoFocus() override { ++mesh; }
    void loadAnimForFocus() override { ++anim; }
    void loadTextureForFocus() override { ++texture; }
    void saveScene() override { ++saved; }
    void frameModelInFocus() override { ++framed; }
    void pauseMilliseconds(int ms) override { pausedMs += ms; }
};

struct Frame {
    Scene scene;
    ControlState state;
    FakeHeld held;
    FakeCommands commands;

    // One frame with `key` going down before it (when nonzero) and pressed cleared after.
    void run(int key = 0) {
        if (key) state.keys.onKeyDown(key);
        handleKeyboard(scene, state, held, commands);
        state.keys.clearPressed();
    }
    // A press and release around one frame.
    void tap(int key) {
        run(key);
        state.keys.onKeyUp(key);
    }
    void hold(int key, int frames) {
        state.keys.onKeyDown(key);
        for (int i = 0; i < frames; ++i) run();
        state.keys.onKeyUp(key);
    }
    // Slots and lights added with focus and selection left on the first.
    void add(int slots, int lights) {
        for (int i = 0; i < slots; ++i) addModelSlot(scene);
        for (int i = 0; i < lights; ++i) addLight(scene);
        scene.model_in_focus = 0;
        scene.selectedLight = 0;
    }
};

} // namespace

TEST(KeyArrays, TapBetweenFramesActsOnceAndAutoRepeatPressesOnce) {
    Frame f;
    f.state.keys.onKeyDown(vk::F1);
    f.state.keys.onKeyUp(vk::F1); // released before the frame reads the keys
    f.run();
    f.run();
    EXPECT_TRUE(f.scene.showHelp);
    f.state.keys.onKeyDown('Q');
    f.state.keys.onKeyDown('Q'); // repeat while held
    f.run();
    f.run('Q');
    EXPECT_EQ(f.scene.renderMode, 1);
    f.state.keys.onKeyUp('Q');
    EXPECT_FALSE(f.state.keys.keyDown['Q']);
    f.tap('Q');
    f.tap('Q');
    EXPECT_EQ(f.scene.renderMode, 0);
    f.state.keys.onKeyDown(-5); // out of range: ignored
    f.state.keys.onKeyUp(300);
}

TEST(KeyTable, HeldTurnWrapsYawOnceEachFrame) {
    Frame f;
    f.hold('A', 100);
    EXPECT_NEAR(f.scene.cameraYaw, 270.0f, 0.01f); // 90 degrees to the left of 0
    Frame g;
    g.held.keys = {vk::Shift};
    g.hold(vk::Left, 100);
    EXPECT_NEAR(g.scene.cameraYaw, 180.0f, 0.05f); // 900 degrees, shown as 180
}

TEST(KeyTable, CtrlPansInsteadOfTurning) {
    Frame f;
    f.held.keys = {vk::Control, vk::Shift};
    f.state.keys.onKeyDown('D');
    f.state.keys.onKeyDown('W');
    f.run();
    EXPECT_FLOAT_EQ(f.scene.cameraYaw, 0);
    EXPECT_FLOAT_EQ(f.scene.cameraDolly, -150);
    EXPECT_FLOAT_EQ(f.scene.cameraPanX, 9.0f);
    EXPECT_FLOAT_EQ(f.scene.cameraPanY, 39.0f);
    f.held.keys = {};
    f.run();
    EXPECT_NEAR(f.scene.cameraDolly, -149.1f, 1e-4);
}

TEST(KeyTable, SpeedStepsRunNegativeAndVPausesThenPlaysAtOne) {
    Frame f;
    f.hold('X', 300);
    EXPECT_NEAR(f.scene.animSpeed, -0.5f, 1e-3);
    f.tap('V');
    EXPECT_EQ(f.scene.animSpeed, 0.0f);
    f.tap('V');
    EXPECT_EQ(f.scene.animSpeed, 1.0f);
    f.held.keys = {vk::Shift};
    f.hold('C', 2);
    EXPECT_NEAR(f.scene.animSpeed, 1.1f, 1e-5);
}

TEST(KeyTable, PageKeysCycleFocusAndLightsByModifier) {
    Frame f;
    const struct {
        std::set<int> held;
        int key, focus, light;
    } steps[] = {
        {{}, vk::Next, 1, 0},                       {{}, vk::Next, 0, 0},
        {{}, vk::Prior, 1, 0},                      {{vk::Shift}, vk::Next, 1, 1},
        {{vk::Shift}, vk::Next, 1, 2},              {{vk::Shift}, vk::Next, 1, 0},
        {{vk::Shift}, vk::Next, 1, 1},              {{vk::Control}, vk::Next, 1, 1}, // Ctrl alone does nothing
        {{vk::Control, vk::Shift}, vk::Prior, 1, 0}, // both: the light only
    };
    f.add(2, 3);
    int step = 0;
    for (const auto& s : steps) {
        f.held.keys = s.held;
        f.tap(s.key);
        EXPECT_EQ(f.scene.model_in_focus, s.focus) << "step " << step;
        EXPECT_EQ(f.scene.selectedLight, s.light) << "step " << step;
        ++step;
    }
    Frame none; // without models or lights
    none.tap(vk::Next);
    EXPECT_EQ(none.scene.model_in_focus, 0);
    none.tap(vk::Prior);
    EXPECT_EQ(none.scene.model_in_focus, -1);
    none.held.keys = {vk::Shift};
    none.tap(vk::Next);
    EXPECT_EQ(none.scene.selectedLight, 0);
}

TEST(KeyTable, EscapeQuitsUnlessItClosedADialog) {
    Frame f;
    f.run(vk::Escape);
    EXPECT_TRUE(f.state.quitRequested);

    Frame g;
    g.state.dialogJustClosed = true;
    g.held.keys = {vk::Escape}; // still down after closing the dialog
    g.run();
    EXPECT_FALSE(g.state.quitRequested);
    EXPECT_FALSE(g.state.dialogJustClosed);
    EXPECT_EQ(g.commands.pausedMs, 150);
    g.run(); // held on: now it quits
    EXPECT_TRUE(g.state.quitRequested);
}

TEST(KeyTable, LoadAndFramingKeysNeedAModelInFocusSavingDoesNot) {
    Frame f;
    const int keys[] = {vk::F1 + 2, vk::F1 + 3, vk::F1 + 7, vk::F1 + 5, vk::Home};
    for (int key : keys) f.tap(key);
    EXPECT_EQ(f.commands.mesh + f.commands.anim + f.commands.texture + f.commands.framed, 0);
    EXPECT_EQ(f.commands.saved, 1); // an empty scene can be saved
    f.add(1, 0);
    f.scene.models[0].reset(); // a slot without a model: no texture, nothing to frame
    for (int key : keys) f.tap(key);
    EXPECT_EQ(f.commands.mesh, 1);
    EXPECT_EQ(f.commands.anim, 1);
    EXPECT_EQ(f.commands.texture, 0);
    EXPECT_EQ(f.commands.framed, 0);
    f.scene.models[0] = std::make_unique<Model>();
    f.tap(vk::Home);
    EXPECT_EQ(f.commands.framed, 1);
}

TEST(MouseMove, RightButtonTurnsTheCameraWithoutLights) {
    Frame f;
    f.held.keys = {vk::RButton};
    handleMouseMove(f.scene, f.state, f.held, 0, 0);
    handleMouseMove(f.scene, f.state, f.held, 10, 20); // right 10, down 20
    EXPECT_FLOAT_EQ(f.scene.cameraYaw, -5);
    EXPECT_FLOAT_EQ(f.scene.cameraPitch, 10);
}

TEST(MouseMove, DragsTheSelectedLightAndWithCtrlTheModel) {
    Frame f;
    f.add(0, 2);
    f.scene.selectedLight = 1;
    f.held.keys = {vk::LButton, vk::MButton};
    handleMouseMove(f.scene, f.state, f.held, 5, -3); // up 3
    EXPECT_FLOAT_EQ(f.scene.lights[1].lightpos[0], 10);
    EXPECT_FLOAT_EQ(f.scene.lights[1].lightpos[1], 3);
    EXPECT_FLOAT_EQ(f.scene.lights[1].lightpos[2], 3);
    EXPECT_FLOAT_EQ(f.scene.lights[0].lightpos[0], 0);

    f.add(1, 0);
    f.scene.selectedLight = 1;
    f.held.keys = {vk::Control, vk::RButton};
    handleMouseMove(f.scene, f.state, f.held, 25, -3);
    EXPECT_FLOAT_EQ(f.scene.modelangle[0], 10);
    EXPECT_FLOAT_EQ(f.scene.cameraYaw, 0);
    EXPECT_NEAR(f.scene.models[0]->placement[0], cosf(10 * 3.14159265f / 180), 1e-5);

    f.scene.selectedLight = 7; // out of range: nothing moves, nothing breaks
    f.held.keys = {vk::LButton};
    handleMouseMove(f.scene, f.state, f.held, 30, -3);
    EXPECT_FLOAT_EQ(f.scene.lights[1].lightpos[0], 10);
}
