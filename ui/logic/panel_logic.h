// ui/logic/panel_logic.h -- the control panel without a window: what each control shows,
// refreshed from the scene, and what each control's event does to the scene; no GL.
#pragma once

#include <string>
#include <vector>

#include "model/texture_group.h"

struct Scene;

namespace ui {

class LoadCommands;

// The bars' arithmetic: 1000 positions, 125 of them per speed unit (speeds -4 to +4, 500 is
// a standing clock), and a time bar that spans one 5-second window of the clock.
namespace bars {
constexpr int range = 1000;
constexpr int centre = range / 2;
constexpr float speedLimit = 4.0f;
constexpr float positionsPerSpeedUnit = centre / speedLimit;
constexpr double timeWindow = 5.0;

int speedPosition(float animSpeed);
float speedAtPosition(int position);
int timePosition(double animTime);
// The clock with its place in the current window moved to `position`.
double timeAtPosition(double animTime, int position);
} // namespace bars

// An up-down control: a 16-bit position kept within its range, as the control holds it.
struct UpDown {
    int low = 0;
    int high = 0;
    int position = 0;
    void setRange(int from, int to);
    void setPosition(int value);
    void step(int delta) { setPosition(position + delta); }
};

// One mesh of the model in focus as the Scene page lists it.
struct MeshRow {
    std::string material;
    int tris = 0;
    std::string textureFile[kTextureGroupCount]; // per TextureGroup; "" for none
};

// Everything the three pages show. The two up-down positions are the authority for the
// model in focus and the selected light between frames.
struct PanelView {
    // Rendering page
    bool showSkeleton = false;
    bool specular = true;
    int shadowMode = 1; // the checked radio of each group
    int renderMode = 0;
    int stereoMode = 0;
    // Scene page
    UpDown model;
    UpDown light;
    std::string modelFile; // file name of the model in focus
    std::vector<MeshRow> meshes; // of the model in focus
    int selectedMesh = 0;        // an index of `meshes`, 0 when there is none
    bool cameraActive = false;
    bool cameraActiveEnabled = false;
    // Animation page
    int timeBar = 0;
    int speedBar = bars::centre;
    std::string timeText = "0.000";
    std::string speedText = "1.000";
};

// What the panel asks of the program around it.
class PanelHost {
public:
    virtual ~PanelHost() = default;
    virtual void setClearColour(const float rgba[4]) = 0;
    virtual void saveScene() = 0;
    virtual void frameModelInFocus() = 0;
    virtual void quit() = 0;
};

class PanelLogic {
public:
    PanelLogic(Scene& scene, LoadCommands& loads, PanelHost& host);

    const PanelView& view() const { return view_; }

    // Start of a frame: the model in focus and the selected light from the up-down positions.
    void readSelection();
    // Every control from the scene, in a fixed order: the Rendering page's boxes and radios,
    // the up-downs, the bars and their texts, the camera box, the model's file name, its meshes
    // (keeping the scene's selected mesh among them).
    void refresh();

    // Rendering page
    void setShowSkeleton(bool on);
    void setSpecular(bool on);
    void setShadowMode(int mode);
    void setRenderMode(int mode);
    void setStereoMode(int mode);

    // Scene page
    void stepModel(int delta) { view_.model.step(delta); }
    void stepLight(int delta) { view_.light.step(delta); }
    void loadMesh();
    void loadAnim();
    void selectMesh(int mesh);
    void loadMeshTexture(TextureGroup kind);
    void addModel();
    void removeModel();
    void chooseLightColour(bool specularColour);
    void addLight();
    void removeLight();
    void chooseAmbient();
    void chooseBackground();
    void loadCameraAnimation();
    void setCameraActive(bool checked);
    void saveScene();
    void frameModel();

    // Animation page
    void setSpeed(float speed);
    void moveTimeBar(int position);
    void moveSpeedBar(int position);

    // Escape or a close request delivered to the panel.
    void cancel();

private:
    void refreshMeshes();

    Scene& scene_;
    LoadCommands& loads_;
    PanelHost& host_;
    PanelView view_;
};

} // namespace ui
