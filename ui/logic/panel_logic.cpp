// ui/logic/panel_logic.cpp -- the panel's refresh from the scene and its events on the scene; no GL.
#include "ui/logic/panel_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/dialogs.h"
#include "scene/scene.h"
#include "ui/logic/load_commands.h"

namespace ui {

namespace bars {

// Positions beyond the ends (speeds past +-4 from the keys, a clock run backwards) stand at
// the end, as a track bar holds them.
int speedPosition(float animSpeed) {
    const double position = std::trunc(positionsPerSpeedUnit * static_cast<double>(animSpeed) + centre);
    return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(range)));
}

float speedAtPosition(int position) {
    return static_cast<float>(position - centre) / positionsPerSpeedUnit;
}

int timePosition(double animTime) {
    if (!std::isfinite(animTime)) return 0;
    const double position = std::trunc(std::fmod(animTime, timeWindow) / timeWindow * range);
    return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(range)));
}

double timeAtPosition(double animTime, int position) {
    const double windowStart = animTime - std::fmod(animTime, timeWindow);
    return windowStart + static_cast<double>(position) / range * timeWindow;
}

} // namespace bars

namespace {
constexpr int upDownLimit = 32767; // the controls hold 16-bit positions

std::string threeDecimals(double value) {
    char text[64];
    snprintf(text, sizeof text, "%.3f", value);
    return text;
}

bool isLight(const Scene& s, int i) { return i >= 0 && i < s.numlights && i < static_cast<int>(s.lights.size()); }
} // namespace

void UpDown::setRange(int from, int to) {
    low = std::clamp(from, 0, upDownLimit);
    high = std::clamp(to, low, upDownLimit);
    setPosition(position);
}

void UpDown::setPosition(int value) { position = std::clamp(value, low, high); }

PanelLogic::PanelLogic(Scene& scene, LoadCommands& loads, PanelHost& host)
    : scene_(scene), loads_(loads), host_(host) {}

void PanelLogic::readSelection() {
    scene_.model_in_focus = view_.model.position;
    scene_.selectedLight = view_.light.position;
}

void PanelLogic::refresh() {
    const Scene& s = scene_;
    view_.showSkeleton = s.showSkeleton;
    view_.specular = s.specular != 0;
    view_.shadowMode = s.shadowMode;
    view_.renderMode = s.renderMode;
    view_.stereoMode = s.stereoMode;

    view_.model.setRange(0, std::max(s.nummodels - 1, 0));
    view_.model.setPosition(s.model_in_focus);
    view_.light.setRange(0, std::max(s.numlights - 1, 0));
    view_.light.setPosition(s.selectedLight);

    view_.speedBar = bars::speedPosition(s.animSpeed);
    view_.timeBar = bars::timePosition(s.animTime);
    view_.speedText = threeDecimals(s.animSpeed);
    view_.timeText = threeDecimals(s.animTime);

    view_.cameraActive = s.animatedCamera != 0 && s.camAnimLoaded;
    view_.cameraActiveEnabled = s.camAnimLoaded;

    // A slot without a name (a new slot, or none left) shows no name rather than the last one.
    const int focus = s.model_in_focus;
    const bool isSlot = focus >= 0 && focus < s.nummodels && focus < static_cast<int>(s.modelname.size());
    const std::optional<std::string>* name = isSlot ? &s.modelname[static_cast<size_t>(focus)] : nullptr;
    view_.modelFile = name && *name ? **name : std::string();
    refreshMeshes();
}

// Runs every frame: the rows are overwritten in place, so that once they have held the texts
// nothing is allocated again.
void PanelLogic::refreshMeshes() {
    const int focus = scene_.model_in_focus;
    const bool isSlot = focus >= 0 && focus < scene_.nummodels && focus < static_cast<int>(scene_.models.size());
    const Model* model = isSlot ? scene_.models[static_cast<size_t>(focus)].get() : nullptr;
    view_.meshes.resize(model ? static_cast<size_t>(model->numMeshes()) : 0);
    for (size_t i = 0; i < view_.meshes.size(); ++i) {
        MeshRow& row = view_.meshes[i];
        if (i < model->materialName.size())
            row.material.assign(model->materialName[i]);
        else
            row.material.clear();
        row.tris = model->numTris(static_cast<int>(i));
        for (size_t g = 0; g < kTextureGroupCount; ++g) row.textureFile[g].assign(model->textureFile[i][g]);
    }
    const int last = std::max(static_cast<int>(view_.meshes.size()) - 1, 0);
    scene_.selectedMesh = std::clamp(scene_.selectedMesh, 0, last);
    view_.selectedMesh = scene_.selectedMesh;
}

void PanelLogic::setShowSkeleton(bool on) { scene_.showSkeleton = on; }
void PanelLogic::setSpecular(bool on) { scene_.specular = on ? 1 : 0; }
void PanelLogic::setShadowMode(int mode) { scene_.shadowMode = std::clamp(mode, 0, 2); }
void PanelLogic::setRenderMode(int mode) { scene_.renderMode = std::clamp(mode, 0, 2); }
void PanelLogic::setStereoMode(int mode) { scene_.stereoMode = std::clamp(mode, 0, 2); }

void PanelLogic::loadMesh() {
    if (scene_.nummodels == 0) {
        addModel(); // which loads into the new slot
        return;
    }
    loads_.loadMeshIntoFocus();
}

void PanelLogic::loadAnim() { loads_.loadAnimForFocus(); }

void PanelLogic::selectMesh(int mesh) {
    if (mesh < 0 || mesh >= static_cast<int>(view_.meshes.size())) return;
    scene_.selectedMesh = view_.selectedMesh = mesh;
}

void PanelLogic::loadMeshTexture(TextureGroup kind) {
    if (loads_.loadMeshTextureForFocus(scene_.selectedMesh, kind)) refreshMeshes();
}

void PanelLogic::addModel() {
    addModelSlot(scene_);
    refresh();
    loadMesh();
}

void PanelLogic::removeModel() {
    if (scene_.nummodels == 0) return;
    removeModelSlot(scene_);
    refresh();
}

void PanelLogic::chooseLightColour(bool specularColour) {
    if (!isLight(scene_, scene_.selectedLight)) return;
    Light& light = scene_.lights[static_cast<size_t>(scene_.selectedLight)];
    dialogs().chooseColour(specularColour ? light.lightcolor_s : light.lightcolor_d);
}

void PanelLogic::addLight() {
    ::addLight(scene_);
    refresh();
}

void PanelLogic::removeLight() {
    if (scene_.numlights == 0) return;
    ::removeLight(scene_);
    refresh();
}

void PanelLogic::chooseAmbient() { dialogs().chooseColour(scene_.globalAmbient); }

void PanelLogic::chooseBackground() {
    dialogs().chooseColour(scene_.backgroundColor);
    host_.setClearColour(scene_.backgroundColor);
}

// A chosen camera animation plays where it was recorded: the scene's offset for the one read at
// start-up no longer applies. A cancelled choice keeps the animation in use and its placement.
void PanelLogic::loadCameraAnimation() {
    if (!loads_.loadCameraAnimation()) return;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    scene_.cameraModel.setPlacement(identity);
}

void PanelLogic::setCameraActive(bool checked) { scene_.animatedCamera = checked && scene_.camAnimLoaded ? 1 : 0; }
void PanelLogic::saveScene() { host_.saveScene(); }
void PanelLogic::frameModel() { host_.frameModelInFocus(); }

void PanelLogic::setSpeed(float speed) { scene_.animSpeed = speed; }

void PanelLogic::moveTimeBar(int position) {
    scene_.animTime = bars::timeAtPosition(scene_.animTime, std::clamp(position, 0, bars::range));
    scene_.animSpeed = 0; // the clock holds where the bar put it
}

void PanelLogic::moveSpeedBar(int position) {
    scene_.animSpeed = bars::speedAtPosition(std::clamp(position, 0, bars::range));
}

void PanelLogic::cancel() { host_.quit(); }

} // namespace ui
