// tests/controls_test.cpp -- the key arrays and the key table's page keys.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/controls.h"
#include "scene/scene.h"

namespace {

struct FakeHeld : HeldKeys {
    std::set<int> keys;
    bool isHeld(int key) const override { return keys.count(key) != 0; }
};

struct NoCommands : KeyCommands { // the loads, saving and framing are the panel's commands, tested there
    void loadMeshIntoFocus() override {}
    void loadAnimForFocus() override {}
    void loadTextureForFocus() override {}
    void saveScene() override {}
    void frameModelInFocus() override {}
    void pauseMilliseconds(int) override {}
};

struct Frame {
    Scene scene;
    ControlState state;
    FakeHeld held;
    NoCommands commands;

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

TEST(KeyTable, PageKeysCycleFocusAndLightsByModifier) {
    Frame f;
    const struct { std::set<int> held; int key, focus, light; } steps[] = {
        {{}, vk::Next, 1, 0},                       {{}, vk::Next, 0, 0},
        {{}, vk::Prior, 1, 0},                      {{vk::Shift}, vk::Next, 1, 1},
        {{vk::Shift}, vk::Next, 1, 2},              {{vk::Shift}, vk::Next, 1, 0},
        {{vk::Shift}, vk::Next, 1, 1},              {{vk::Control}, vk::Next, 1, 1}, // Ctrl alone does nothing
        {{vk::Control, vk::Shift}, vk::Prior, 1, 0}, // both: the light only
    };
    f.add(2, 3);
    for (const auto& s : steps) {
        f.held.keys = s.held;
        f.tap(s.key);
        EXPECT_EQ(f.scene.model_in_focus * 10 + f.scene.selectedLight, s.focus * 10 + s.light) << "step " << &s - steps;
    }
    Frame none; // without models or lights: nothing to step to
    none.tap(vk::Prior);
    EXPECT_EQ(none.scene.model_in_focus, -1);
    none.held.keys = {vk::Shift};
    none.tap(vk::Next);
    EXPECT_EQ(none.scene.selectedLight, 0);
}
