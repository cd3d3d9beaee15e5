// app/controls.cpp -- the key table and mouse drags; amounts are per frame and per pixel.
#include "app/controls.h"

#include "scene/scene.h"

void KeyArrays::onKeyDown(int key) {
    if (key <= 0 || key >= vk::Count) return;
    if (!keyDown[key]) keyPressed[key] = true;
    keyDown[key] = true;
}

// The press itself stays until the end of the frame: a key tapped and released between two
// frames (a quick tap, or a synthetic one) must still act once.
void KeyArrays::onKeyUp(int key) {
    if (key <= 0 || key >= vk::Count) return;
    keyDown[key] = false;
}

void KeyArrays::clearPressed() {
    for (bool& k : keyPressed) k = false;
}

namespace {

struct KeyContext {
    const KeyArrays& keys;
    const HeldKeys& held;
    bool pressed(int key) const { return keys.keyPressed[key]; }
    bool down(int key) const { return keys.keyDown[key]; }
    bool shift() const { return held.isHeld(vk::Shift); }
    bool ctrl() const { return held.isHeld(vk::Control); }
    // One step, and with Shift a further nine steps (0.9 then 8.1 more; 0.005 then 0.045).
    void adjust(float& value, float signedStep) const {
        value += signedStep;
        if (shift()) value += signedStep * controls::shiftFactor;
    }
};

int letter(char c) { return vk::LetterA + (c - 'A'); }

void cycle(int& value) { value = value + 1 > 2 ? 0 : value + 1; }

void handleEscape(ControlState& state, const KeyContext& k, KeyCommands& commands) {
    if (k.pressed(vk::Escape)) {
        state.quitRequested = true;
    } else if (k.held.isHeld(vk::Escape)) {
        // The Escape that closed a dialog is still down: it must not quit the viewer.
        if (state.dialogJustClosed) {
            state.dialogJustClosed = false;
            commands.pauseMilliseconds(controls::escapePauseMs);
        } else {
            state.quitRequested = true;
        }
    }
}

void handleCameraKeys(Scene& s, const KeyContext& k) {
    bool turnLeft = k.down(vk::Left) || k.down(letter('A'));
    bool turnRight = k.down(vk::Right) || k.down(letter('D'));
    bool forward = k.down(vk::Up) || k.down(letter('W'));
    bool back = k.down(vk::Down) || k.down(letter('S'));
    if (turnLeft && !k.ctrl()) k.adjust(s.cameraYaw, -controls::step);
    if (turnRight && !k.ctrl()) k.adjust(s.cameraYaw, controls::step);
    if (s.cameraYaw >= 360) s.cameraYaw -= 360;
    if (s.cameraYaw < 0) s.cameraYaw += 360;
    if (forward && !k.ctrl()) k.adjust(s.cameraDolly, controls::step);
    if (back && !k.ctrl()) k.adjust(s.cameraDolly, -controls::step);
}

void handleToggleKeys(Scene& s, const KeyContext& k) {
    if (k.pressed(letter('R'))) cycle(s.stereoMode);
    if (k.down(letter('X'))) k.adjust(s.animSpeed, -controls::speedStep);
    if (k.down(letter('C'))) k.adjust(s.animSpeed, controls::speedStep);
    if (k.pressed(letter('V'))) s.animSpeed = s.animSpeed == 0 ? 1.0f : 0.0f;
    if (k.pressed(vk::Space)) s.animatedCamera = s.animatedCamera ? 0 : 1;
    if (k.pressed(letter('E'))) s.specular = 1 - s.specular;
}

void handlePanKeys(Scene& s, const KeyContext& k) {
    if (!k.ctrl()) return;
    if (k.down(vk::Left) || k.down(letter('A'))) k.adjust(s.cameraPanX, -controls::step);
    if (k.down(vk::Right) || k.down(letter('D'))) k.adjust(s.cameraPanX, controls::step);
    if (k.down(vk::Up) || k.down(letter('W'))) k.adjust(s.cameraPanY, controls::step);
    if (k.down(vk::Down) || k.down(letter('S'))) k.adjust(s.cameraPanY, -controls::step);
}

// Page Down and Page Up: the model in focus alone, the light with Shift (Ctrl or not).
void handleSelectionKeys(Scene& s, const KeyContext& k) {
    bool plain = !k.ctrl() && !k.shift();
    if (k.pressed(vk::Next) && plain) {
        if (++s.model_in_focus >= s.nummodels) s.model_in_focus = 0;
    }
    if (k.pressed(vk::Prior) && plain) {
        if (--s.model_in_focus < 0) s.model_in_focus = s.nummodels - 1;
    }
    if (k.pressed(vk::Next) && k.shift()) {
        if (++s.selectedLight >= s.numlights) s.selectedLight = 0;
    }
    if (k.pressed(vk::Prior) && k.shift()) {
        if (--s.selectedLight < 0) s.selectedLight = s.numlights - 1;
    }
}

bool focusIsSlot(const Scene& s) { return s.model_in_focus >= 0 && s.model_in_focus < s.nummodels; }

void handleFunctionKeys(Scene& s, const KeyContext& k, KeyCommands& commands) {
    if (k.pressed(letter('T'))) s.showSkeleton = !s.showSkeleton;
    if (k.pressed(vk::F1)) s.showHelp = !s.showHelp;
    if (k.pressed(vk::F1 + 1)) cycle(s.shadowMode);
    if (k.pressed(vk::F1 + 4)) s.glowOn = s.glowOn ? 0 : 1;
    if (k.pressed(vk::F1 + 3) && focusIsSlot(s)) commands.loadAnimForFocus();
    if (k.pressed(vk::F1 + 2) && focusIsSlot(s)) commands.loadMeshIntoFocus();
    if (k.pressed(vk::F1 + 7) && focusIsSlot(s) && s.models[s.model_in_focus])
        commands.loadTextureForFocus();
    if (k.pressed(vk::F1 + 5)) commands.saveScene();
    if (k.pressed(vk::Home) && focusIsSlot(s) && s.models[s.model_in_focus]) commands.frameModelInFocus();
    if (k.down(letter('O'))) k.adjust(s.postProcessParam, -controls::speedStep);
    if (k.down(letter('P'))) k.adjust(s.postProcessParam, controls::speedStep);
}

} // namespace

void handleKeyboard(Scene& scene, ControlState& state, const HeldKeys& held, KeyCommands& commands) {
    KeyContext k{state.keys, held};
    handleEscape(state, k, commands);
    if (k.pressed(letter('Q'))) cycle(scene.renderMode);
    handleCameraKeys(scene, k);
    handleToggleKeys(scene, k);
    handlePanKeys(scene, k);
    handleSelectionKeys(scene, k);
    handleFunctionKeys(scene, k, commands);
}

void handleMouseMove(Scene& scene, ControlState& state, const HeldKeys& held, int x, int y) {
    float dx = static_cast<float>(static_cast<short>(x) - state.lastMouseX);
    float dy = static_cast<float>(state.lastMouseY - static_cast<short>(y));
    state.lastMouseX = static_cast<short>(x);
    state.lastMouseY = static_cast<short>(y);
    bool left = held.isHeld(vk::LButton), right = held.isHeld(vk::RButton), middle = held.isHeld(vk::MButton);

    if (held.isHeld(vk::Control)) {
        int slot = scene.model_in_focus;
        if (scene.nummodels <= 0 || slot < 0 || slot >= scene.nummodels) return;
        Vec3& pos = scene.modelpos[slot];
        if (left) pos[1] += dy, pos[0] += dx;
        if (right) scene.modelangle[slot] += controls::mouseTurn * dx;
        if (middle) pos[2] += dy, pos[0] += dx;
        updateModelPlacement(scene, slot);
        return;
    }
    int light = scene.selectedLight;
    bool hasLight = scene.numlights > 0 && light >= 0 && light < scene.numlights;
    if (left && hasLight) {
        scene.lights[light].lightpos[1] += dy;
        scene.lights[light].lightpos[0] += dx;
    }
    // Turning the camera needs no light: a scene without lights can still be looked around.
    if (right) {
        scene.cameraPitch -= controls::mouseTurn * dy;
        scene.cameraYaw -= controls::mouseTurn * dx;
    }
    if (middle && hasLight) {
        scene.lights[light].lightpos[2] += dy;
        scene.lights[light].lightpos[0] += dx;
    }
}
