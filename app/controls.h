// app/controls.h -- keyboard and mouse: the key arrays, the per-frame key table and mouse
// drags, acting on the scene; the window system only feeds events and the held state.
#pragma once

#include "base/virtual_keys.h"

struct Scene;

// Held keys and keys that went down since the last frame, by key code.
struct KeyArrays {
    bool keyDown[vk::Count] = {};
    bool keyPressed[vk::Count] = {};

    // A key-down presses only when the key was up, so auto-repeat never presses again.
    void onKeyDown(int key);
    // Releases the key; a press not yet seen by a frame is kept until clearPressed.
    void onKeyUp(int key);
    void clearPressed();
};

// What the keys hand on to the load commands and the clock.
class KeyCommands {
public:
    virtual ~KeyCommands() = default;
    virtual void loadMeshIntoFocus() = 0;   // F3
    virtual void loadAnimForFocus() = 0;    // F4
    virtual void loadTextureForFocus() = 0; // F8
    virtual void saveScene() = 0;          // F6
    virtual void frameModelInFocus() = 0;  // Home
    virtual void pauseMilliseconds(int ms) = 0;
};

struct ControlState {
    KeyArrays keys;
    bool quitRequested = false;
    bool dialogJustClosed = false; // set when a file or colour dialog opens or returns
    short lastMouseX = 0;
    short lastMouseY = 0;
};

// Step sizes of the keyboard and the mouse.
namespace controls {
constexpr float step = 0.9f;
constexpr float shiftFactor = 9.0f;
constexpr float speedStep = 0.005f;
constexpr float mouseTurn = 0.5f;
constexpr int escapePauseMs = 150;
} // namespace controls

// The key table, evaluated once per frame in its fixed order.
void handleKeyboard(Scene& scene, ControlState& state, const HeldKeys& held, KeyCommands& commands);

// One mouse move in the render region (x, y in its pixels, y downwards). Drags models with
// Ctrl, lights without; the right button turns the camera whether or not there are lights.
void handleMouseMove(Scene& scene, ControlState& state, const HeldKeys& held, int x, int y);
