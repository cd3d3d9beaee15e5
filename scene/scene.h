// scene/scene.h -- the one scene of the run: model slots, lights, cameras, colours, switches, clock; no GL.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/load_problem.h"
#include "model/model.h"

// One point light. Fields that a scene-file key sets bear the key's name.
struct Light {
    float lightpos[4] = {0, 0, 0, 0};     // world x, y, z, w; the key sets w to 1
    float lightAmbient[4] = {0, 0, 0, 0}; // no key or control sets it
    float lightcolor_d[4] = {1, 1, 1, 1}; // diffuse, also the marker colour
    float lightcolor_s[4] = {1, 1, 1, 1}; // specular
    float eyePos[4] = {0, 0, 0, 0};       // lightpos in eye space, refreshed every frame
    int cubemap = 0;                      // nonzero: projects the two cube maps below
    unsigned int normalCubeTex = 0;
    unsigned int blurredCubeTex = 0;
    // Upper-left 3x3 of a column-major matrix; the default swaps Y and Z.
    float orientation[9] = {1, 0, 0, 0, 0, 1, 0, 1, 0};
    float light_nearradius = 20.0f;
    float light_farradius = 100.0f;
    std::optional<std::string> boneName; // joint that carries the light (key bind_to_bone)
    int boneModel = 0;                   // slot whose model owns that joint
    float posoffset[3] = {0, 0, 0};      // light position in the joint's frame
};

using Vec3 = std::array<float, 3>;

// A texture set on one mesh of one slot's model by hand (scene key meshtexture); applied over
// what the lookup found each time the slot's model is loaded.
struct MeshTexture {
    int slot = 0;
    int mesh = 0;
    TextureGroup kind = TextureGroup::Diffuse;
    std::string file;
};

// The most lights or slots a scene file makes; a larger count is handled like an allocation
// that cannot be had: the panel selects no index above 32767, and a hostile count must not
// reserve gigabytes.
constexpr int kMaxSceneRecords = 32768;

// The scene record. Slot arrays (models, modelname, modelanim, modelpos, modelangle) always
// hold exactly `nummodels` entries; `lights` holds exactly `numlights`. Only the operations
// below change the counts.
struct Scene {
    // Data directory and marker switch
    std::string basepath; // ends in '\' or '/' once the scene file set it
    int displaylights = 1;

    // Global colours
    float backgroundColor[4] = {0, 0, 0, 0};
    float globalAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};

    // Model slots. A slot made by the scene file has no Model until start-up loads it.
    int nummodels = 0;
    std::vector<std::unique_ptr<Model>> models;
    std::vector<std::optional<std::string>> modelname;
    std::vector<std::optional<std::string>> modelanim;
    std::vector<Vec3> modelpos;
    std::vector<float> modelangle; // degrees about world Z
    // Textures set by hand, at most one per slot, mesh and kind; they follow their slot when
    // slots are removed and go when the slot is given another model file.
    std::vector<MeshTexture> meshTextures;

    // Lights
    int numlights = 0;
    std::vector<Light> lights;

    // Free camera
    float cameraYaw = 0;
    float cameraPitch = 0;
    float cameraDolly = -150.0f;
    float cameraPanX = 0.0f;
    float cameraPanY = 30.0f;

    // Animated camera
    std::optional<std::string> camanim;
    std::optional<std::string> camjointname;
    Vec3 campos = {0, 0, 0};
    Model cameraModel; // never holds meshes; carries the camera animation for the whole run
    bool camAnimLoaded = false;
    int cameraJoint = -1;
    int animatedCamera = 1;

    // Render switches and selection
    int renderMode = 0;  // 0 normal, 1 wireframe overlay, 2 mesh analyser
    int shadowMode = 1;  // 0 off, 1 normal, 2 debug
    int stereoMode = 0;  // 0 off, 1 parallel, 2 crossed
    int specular = 1;
    bool showSkeleton = false;
    bool showHelp = false;
    int glowOn = 0;
    float postProcessParam = 0.0f;
    int model_in_focus = 0;
    int selectedLight = 0;
    int selectedMesh = 0; // mesh of the model in focus that the panel's texture loads and dropped images go to

    // Animation clock, shared by every model and the camera model
    double animTime = 0.0;
    float animSpeed = 1.0f;
};

// The process-wide scene, constructed with the defaults on first use.
Scene& theScene();

// --- state operations (scene/scene.cpp) ---

// Fills every field of `light` with its default.
void initLightDefaults(Light& light);
// Placement of slot `slot`'s model = T(modelpos) * Rz(modelangle). Nothing for a bad slot
// or a slot without a Model.
void updateModelPlacement(Scene& scene, int slot);
// Appends a slot holding an empty Model, no names, at the origin; it becomes model_in_focus.
void addModelSlot(Scene& scene);
// Removes slot model_in_focus (nothing when it is not a slot) and keeps model_in_focus
// within the slots (-1 when none is left).
void removeModelSlot(Scene& scene);
// Appends a light with the defaults; it becomes selectedLight.
void addLight(Scene& scene);
// Removes light selectedLight (nothing when it is not a light) and keeps selectedLight
// within the lights (-1 when none is left).
void removeLight(Scene& scene);

// Keeps `texture` among the scene's hand-set textures, in place of one of the same slot, mesh
// and kind.
void rememberMeshTexture(Scene& scene, MeshTexture texture);
// Drops the hand-set textures of slot `slot`: those of mesh `mesh`, or of every mesh when -1.
void forgetMeshTextures(Scene& scene, int slot, int mesh = -1);

// --- start-up and frame (scene/scene_models.cpp) ---

// Sets the hand-set textures of slot `slot` on its model, in the order kept; one that cannot be
// set (no such mesh, a file that is not a usable image) becomes a problem of the model.
void applyMeshTextures(Scene& scene, int slot);

// Start-up: constructs the Model of every slot from its modelname and modelanim (loading
// the files), sets its hand-set textures and places it.
void loadSceneModels(Scene& scene);
// Frame step: every light bound to a joint takes its position (posoffset carried by the
// joint matrix, placement included) and its orientation from that joint. A light whose
// slot has no Model, or whose joint is not found, keeps its last position.
void updateBoundLights(Scene& scene);

// --- scene file (scene/scene_reader.cpp) ---

// Reads a scene description held in memory into `scene`; problems go to the debug log,
// the placeholder base path to a message box. Does not load models and leaves the
// process-wide base path alone. Each non-empty line that no key took (it changes nothing) is
// added to `problems`, when given, with its line number and no file name.
void readSceneText(Scene& scene, std::string_view text, LoadProblems* problems = nullptr);
// Reads the scene file `fileName`, then hands the scene's basepath to setBasepath so that
// the loaders resolve data-relative names against it. A file that cannot be read is a
// problem too.
void readSceneFile(Scene& scene, const std::string& fileName, LoadProblems* problems = nullptr);
