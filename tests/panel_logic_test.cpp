// tests/panel_logic_test.cpp -- the control panel without a window: the refresh and event tables,
// the up-downs as the authority for the selection, the load commands with a stand-in chooser,
// dropped files, and the choosers' folder, filter and colour rules.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/text_lines.h"
#include "base/dialogs.h"
#include "scene/scene.h"
#include "ui/logic/chooser_logic.h"
#include "ui/logic/load_commands.h"
#include "ui/logic/panel_logic.h"

namespace fs = std::filesystem;

namespace {

// Answers the choosers from queues and records what they were asked.
class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(nullptr); }
    DialogAnswer messageBox(const std::string&, const std::string&, DialogKind) override { return DialogAnswer::No; }
    std::string chooseOpenFile(const std::string&, const std::string& initialPath,
                               const std::vector<FileFilter>& filters) override {
        startedIn.push_back(initialPath);
        firstFilter.push_back(filters.empty() ? "" : filters[0].patterns);
        if (files.empty()) return {};
        std::string file = files.front();
        files.pop_front();
        return file;
    }
    bool chooseColour(float rgb[3]) override {
        ++colourRequests;
        if (!colour) return false;
        for (int i = 0; i < 3; ++i) rgb[i] = (*colour)[i];
        return true;
    }
    std::deque<std::string> files; // "" cancels
    std::optional<std::array<float, 3>> colour;
    std::vector<std::string> startedIn, firstFilter;
    int colourRequests = 0;
};

class RecordingHost : public ui::PanelHost, public ui::TextureUploader {
public:
    void setClearColour(const float rgba[4]) override { clear.assign(rgba, rgba + 4); }
    void saveScene() override { ++saves; }
    void frameModelInFocus() override { ++frames; }
    void quit() override { quitting = true; }
    void uploadModel(Model&) override { ++modelUploads; }
    void uploadMesh(Model&, int mesh) override { meshUploads.push_back(mesh); }
    std::vector<float> clear;
    int saves = 0, frames = 0, modelUploads = 0;
    std::vector<int> meshUploads;
    bool quitting = false;
};

struct PanelFixture : ::testing::Test {
    Scene scene;
    RecordingHost host;
    ui::LoadCommands loads{scene, &host};
    ui::PanelLogic panel{scene, loads, host};
    ScriptedDialogs dialogs;
    fs::path dir = fs::temp_directory_path() / ("ostrelle_panel_" + std::to_string(::getpid()));

    PanelFixture() { fs::create_directories(dir); }
    ~PanelFixture() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    }
    std::string triangleObj(const std::string& name) { return write(name, "v 0 0 0\nv 10 0 0\nv 0 10 0\nf 1 2 3\n"); }
    static std::string animFile(const char* name) {
        return (fs::path(OSTRELLE_SOURCE_DIR) / "tests/data/anim" / name).string();
    }
};

} // namespace

TEST(PanelBars, PositionsAndSpeedsBothWays) {
    struct Case {
        float speed;
        int position;
    };
    // 125 positions per speed unit around 500; beyond +-4 the bar stands at its end.
    for (const Case& c : {Case{4, 1000}, Case{-4, 0}, Case{1, 625}, Case{0, 500}, Case{-0.004f, 499}, Case{9, 1000},
                          Case{-9, 0}}) {
        EXPECT_EQ(ui::bars::speedPosition(c.speed), c.position) << c.speed;
    }
    for (const Case& c : {Case{-4, 0}, Case{1, 625}, Case{4, 1000}})
        EXPECT_FLOAT_EQ(ui::bars::speedAtPosition(c.position), c.speed) << c.position;

    struct TimeCase {
        double time;
        int position;
    };
    for (const TimeCase& c : {TimeCase{12.3, 460}, TimeCase{0, 0}, TimeCase{4.9999, 999}, TimeCase{5.0, 0},
                              TimeCase{-1.0, 0}}) {
        EXPECT_EQ(ui::bars::timePosition(c.time), c.position) << c.time;
    }
    EXPECT_DOUBLE_EQ(ui::bars::timeAtPosition(12.3, 500), 12.5);
}

TEST_F(PanelFixture, RefreshShowsTheSceneOnEveryPage) {
    scene.showSkeleton = true;
    scene.specular = 0;
    scene.shadowMode = 2, scene.renderMode = 1, scene.stereoMode = 2;
    scene.animSpeed = -0.5f;
    scene.animTime = 7.25;
    addLight(scene);
    addLight(scene);
    addModelSlot(scene);
    scene.modelname[0] = "models/bob.md5mesh";
    scene.selectedLight = 0;
    panel.refresh();
    const ui::PanelView& v = panel.view();
    EXPECT_TRUE(v.showSkeleton && !v.specular);
    EXPECT_EQ(std::vector<int>({v.shadowMode, v.renderMode, v.stereoMode}), std::vector<int>({2, 1, 2}));
    EXPECT_EQ(std::vector<int>({v.light.high, v.light.position, v.model.high}), std::vector<int>({1, 0, 0}));
    EXPECT_EQ(v.modelFile, "models/bob.md5mesh");
    EXPECT_EQ(std::vector<int>({v.speedBar, v.timeBar}), std::vector<int>({437, 450}));
    EXPECT_EQ(v.speedText + " " + v.timeText, "-0.500 7.250");
    // The camera box is checked and enabled only with a camera animation loaded.
    EXPECT_FALSE(v.cameraActive);
    EXPECT_FALSE(v.cameraActiveEnabled);
    scene.camAnimLoaded = true;
    panel.refresh();
    EXPECT_TRUE(panel.view().cameraActive && panel.view().cameraActiveEnabled);
}

TEST_F(PanelFixture, UpDownsHoldTheSelectionBetweenFrames) {
    for (int i = 0; i < 3; ++i) addModelSlot(scene);
    addLight(scene);
    panel.refresh();
    // An arrow click takes effect when the next frame reads the selection back.
    panel.stepModel(-1);
    EXPECT_EQ(scene.model_in_focus, 2);
    panel.readSelection();
    EXPECT_EQ(scene.model_in_focus, 1);
    // The position stays within the range: no wrap at either end.
    panel.stepModel(-5);
    panel.stepLight(3);
    panel.readSelection();
    EXPECT_EQ(scene.model_in_focus, 0);
    EXPECT_EQ(scene.selectedLight, 0);
    // A key's change is written into the up-down by the same frame's refresh.
    scene.model_in_focus = 2;
    panel.refresh();
    panel.readSelection();
    EXPECT_EQ(scene.model_in_focus, 2);
}

TEST_F(PanelFixture, RemovingTheOnlyModelLeavesRangeZeroAndNoModelsLoaded) {
    addModelSlot(scene);
    scene.modelname[0] = "a.obj";
    panel.refresh();
    panel.removeModel();
    EXPECT_EQ(scene.nummodels, 0);
    const ui::PanelView& v = panel.view();
    EXPECT_EQ(std::vector<int>({v.model.low, v.model.high, v.model.position}), std::vector<int>({0, 0, 0}));
    EXPECT_EQ(v.modelFile, "") << "the removed model's name stays on show";
    const std::string status = formatStatusLine(scene.model_in_focus, nullptr, !scene.models.empty(), 0);
    EXPECT_NE(status.find(" no models loaded"), std::string::npos) << status;
    panel.removeModel(); // nothing left to remove
    panel.readSelection();
    EXPECT_EQ(scene.model_in_focus, 0);
}

TEST_F(PanelFixture, EventTable) {
    panel.moveSpeedBar(1000);
    EXPECT_FLOAT_EQ(scene.animSpeed, 4.0f);
    panel.moveSpeedBar(0);
    EXPECT_FLOAT_EQ(scene.animSpeed, -4.0f);
    panel.setSpeed(1.0f); // "1x": the bar is at 625 in the same frame's refresh
    panel.refresh();
    EXPECT_EQ(panel.view().speedBar, 625);

    scene.animTime = 12.3;
    scene.animSpeed = 2.0f;
    panel.moveTimeBar(500);
    EXPECT_DOUBLE_EQ(scene.animTime, 12.5);
    EXPECT_EQ(scene.animSpeed, 0.0f) << "moving the time bar pauses";

    panel.setShadowMode(0);
    panel.setRenderMode(2);
    panel.setStereoMode(1);
    panel.setShowSkeleton(true);
    panel.setSpecular(false);
    EXPECT_EQ(std::vector<int>({scene.shadowMode, scene.renderMode, scene.stereoMode, scene.specular}),
              std::vector<int>({0, 2, 1, 0}));
    EXPECT_TRUE(scene.showSkeleton);

    // "Active" needs a loaded camera animation.
    panel.setCameraActive(true);
    EXPECT_EQ(scene.animatedCamera, 0);
    scene.camAnimLoaded = true;
    panel.setCameraActive(true);
    EXPECT_EQ(scene.animatedCamera, 1);

    panel.saveScene();
    panel.frameModel();
    panel.cancel();
    EXPECT_TRUE(host.saves == 1 && host.frames == 1 && host.quitting);
}

TEST_F(PanelFixture, LoadMeshWithoutModelsAddsSlotZeroAndCancelLeavesItEmpty) {
    scene.basepath = "/game/";
    dialogs.files = {""};
    panel.loadMesh();
    ASSERT_EQ(scene.nummodels, 1);
    EXPECT_EQ(scene.model_in_focus, 0);
    EXPECT_FALSE(scene.modelname[0]);
    EXPECT_EQ(scene.models[0]->numMeshes(), 0);
    EXPECT_EQ(dialogs.startedIn, std::vector<std::string>{"/game/"}) << "the first chooser opens in the base path";
    EXPECT_EQ(dialogs.firstFilter, std::vector<std::string>{"*.MD5mesh;*.obj;*.ase;*.lwo"});
    EXPECT_EQ(panel.view().model.high, 0);
}

TEST_F(PanelFixture, LoadCommandsLoadUploadAndRememberTheirLastFile) {
    scene.basepath = dir.string() + "/";
    addModelSlot(scene);
    scene.modelpos[0] = {5, 0, 0};
    scene.modelanim[0] = "old.md5anim";
    const std::string first = triangleObj("first.obj");
    const std::string second = triangleObj("second.obj");
    dialogs.files = {first, second, animFile("turn_v6.md5anim"), ""};
    EXPECT_TRUE(loads.loadMeshIntoFocus());
    EXPECT_EQ(scene.modelname[0], first);
    EXPECT_FALSE(scene.modelanim[0]) << "the old animation's name outlived the animation";
    EXPECT_EQ(scene.models[0]->numMeshes(), 1);
    EXPECT_FLOAT_EQ(scene.models[0]->placement[12], 5.0f) << "the slot's position stays";
    EXPECT_EQ(host.modelUploads, 1);
    EXPECT_TRUE(loads.loadMeshIntoFocus());
    EXPECT_EQ(scene.modelname[0], second);
    EXPECT_TRUE(loads.loadAnimForFocus());
    EXPECT_EQ(scene.modelanim[0], animFile("turn_v6.md5anim"));
    EXPECT_FALSE(loads.loadMeshIntoFocus()); // cancelled: nothing changes
    EXPECT_EQ(scene.modelname[0], second);
    // Each command starts where its own last file was.
    EXPECT_EQ(dialogs.startedIn, (std::vector<std::string>{scene.basepath, first, scene.basepath, second}));

    // F8's texture goes onto mesh 0 and is uploaded there; what it found replaces what mesh 0 kept.
    rememberMeshTexture(scene, {0, 0, TextureGroup::Specular, "old_s.png"});
    dialogs.files = {write("skin_d.tga", std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\x18\0\1\2\3", 21))};
    EXPECT_TRUE(loads.loadTextureForFocus());
    EXPECT_EQ(host.meshUploads, std::vector<int>{0});
    EXPECT_TRUE(scene.models[0]->hasDiffuse[0]);
    ASSERT_EQ(scene.meshTextures.size(), 1u);
    EXPECT_EQ(scene.meshTextures[0].kind, TextureGroup::Diffuse);
    EXPECT_EQ(scene.meshTextures[0].file, (dir / "skin_d.tga").string());
}

TEST_F(PanelFixture, ModelCommandsNeedAModelInFocus) {
    dialogs.files = {"x"};
    EXPECT_FALSE(loads.loadMeshIntoFocus());
    EXPECT_FALSE(loads.loadAnimForFocus());
    EXPECT_FALSE(loads.loadTextureForFocus());
    EXPECT_TRUE(dialogs.startedIn.empty()) << "a chooser opened with no model in focus";
}

TEST_F(PanelFixture, CameraAnimationCancelKeepsTheOneInUse) {
    scene.camanim = "cam.md5anim";
    scene.camAnimLoaded = true;
    const float offset[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1};
    scene.cameraModel.setPlacement(offset);
    dialogs.files = {""};
    panel.loadCameraAnimation();
    EXPECT_EQ(scene.camanim, "cam.md5anim");
    EXPECT_FLOAT_EQ(scene.cameraModel.placement[12], 7.0f);

    dialogs.files = {animFile("camera_v6.md5anim")};
    panel.loadCameraAnimation();
    EXPECT_EQ(scene.camanim, animFile("camera_v6.md5anim"));
    EXPECT_TRUE(scene.camAnimLoaded);
    EXPECT_FLOAT_EQ(scene.cameraModel.placement[12], 0.0f) << "the chosen animation plays without the scene's offset";
    EXPECT_GT(scene.cameraModel.numJoints(), 0);
}

TEST_F(PanelFixture, ColourButtonsNeedTheirTargetAndCancelKeepsTheColour) {
    panel.chooseLightColour(false);
    EXPECT_EQ(dialogs.colourRequests, 0) << "a colour chooser opened with no light";
    panel.addLight();
    EXPECT_EQ(panel.view().light.high, 0);
    scene.lights[0].lightcolor_d[3] = 0.25f;
    panel.chooseLightColour(false); // cancelled
    EXPECT_FLOAT_EQ(scene.lights[0].lightcolor_d[0], 1.0f);
    dialogs.colour = std::array<float, 3>{0.2f, 0.4f, 0.6f};
    panel.chooseLightColour(false);
    panel.chooseLightColour(true);
    EXPECT_FLOAT_EQ(scene.lights[0].lightcolor_d[2], 0.6f);
    EXPECT_FLOAT_EQ(scene.lights[0].lightcolor_d[3], 0.25f) << "alpha is not the chooser's";
    EXPECT_FLOAT_EQ(scene.lights[0].lightcolor_s[1], 0.4f);
    panel.chooseBackground();
    EXPECT_EQ(host.clear, (std::vector<float>{0.2f, 0.4f, 0.6f, 0.0f}));
    panel.removeLight();
    panel.removeLight();
    EXPECT_EQ(scene.numlights, 0);
}

TEST_F(PanelFixture, DroppedFilesLoadTheFirstModelThenTheAnimation) {
    const std::string mesh = triangleObj("dropped.OBJ");
    const std::string other = triangleObj("ignored.obj");
    const std::vector<std::string> used =
        loads.dropFiles({write("notes.txt", "x"), animFile("turn_v6.md5anim"), mesh, other});
    EXPECT_EQ(used, (std::vector<std::string>{mesh, animFile("turn_v6.md5anim")}));
    ASSERT_EQ(scene.nummodels, 1) << "a drop onto an empty scene makes slot 0";
    EXPECT_EQ(scene.modelname[0], mesh);
    EXPECT_EQ(scene.modelanim[0], animFile("turn_v6.md5anim"));
    EXPECT_EQ(host.modelUploads, 1);
    EXPECT_EQ(loads.lastFile(ui::LoadCommands::Mesh), mesh) << "the next Load Mesh... starts at the dropped file";
    // An animation alone with no model in focus loads nothing.
    scene.model_in_focus = -1;
    EXPECT_TRUE(loads.dropFiles({animFile("turn_v6.md5anim")}).empty());
}

// A dropped image goes to the selected mesh as the kind its name tells; the Scene page lists the
// meshes with their files, and what was set is kept in the scene for saving.
TEST_F(PanelFixture, DroppedNormalMapGoesToTheSelectedMeshAndIsKept) {
    const std::string mesh = write("two.obj", "v 0 0 0\nv 10 0 0\nv 0 10 0\nusemtl a\nf 1 2 3\nusemtl b\nf 1 3 2\nf 2 3 1\n");
    ASSERT_EQ(loads.dropFiles({mesh}).size(), 1u);
    panel.refresh();
    ASSERT_EQ(panel.view().meshes.size(), 2u);
    EXPECT_EQ(panel.view().meshes[1].tris, 2);
    panel.selectMesh(1);
    panel.selectMesh(7); // not a mesh: the selection stays
    EXPECT_EQ(scene.selectedMesh, 1);

    const fs::path fixtures = fs::path(OSTRELLE_SOURCE_DIR) / "tests/data/textures";
    fs::copy_file(fixtures / "rgba.png", dir / "skin_n.png");
    fs::copy_file(fixtures / "rgb.png", dir / "skin.png");
    const std::vector<std::string> used = loads.dropFiles({(dir / "skin_n.png").string(), (dir / "skin.png").string()});
    EXPECT_EQ(used.size(), 2u);
    const Model& model = *scene.models[0];
    EXPECT_TRUE(model.hasLocal[1] && model.hasDiffuse[1]);
    EXPECT_FALSE(model.hasLocal[0]);
    EXPECT_EQ(host.meshUploads, (std::vector<int>{1, 1}));
    panel.refresh();
    EXPECT_EQ(panel.view().meshes[1].textureFile[size_t(TextureGroup::Local)], (dir / "skin_n.png").string());
    ASSERT_EQ(scene.meshTextures.size(), 2u);
    EXPECT_TRUE(scene.meshTextures[0].mesh == 1 && scene.meshTextures[0].kind == TextureGroup::Local);

    // The panel's Load... for one kind; a file that is no image changes nothing.
    dialogs.files = {write("bad.png", "not a picture")};
    panel.loadMeshTexture(TextureGroup::Specular);
    EXPECT_FALSE(model.hasSpecular[1]);
    EXPECT_EQ(scene.meshTextures.size(), 2u);

    // Another model file in the slot drops the slot's hand-set textures.
    ASSERT_TRUE(loads.loadMeshFile(triangleObj("one.obj")));
    EXPECT_TRUE(scene.meshTextures.empty());
    panel.refresh();
    EXPECT_EQ(scene.selectedMesh, 0) << "the selection stays among the meshes";
}

TEST(ChooserLogic, PatternsIgnoreCaseAndListsTakeAnyPattern) {
    struct Case {
        const char* name;
        const char* patterns;
        bool matches;
    };
    for (const Case& c : {Case{"bob.md5mesh", "*.MD5mesh;*.obj", true}, Case{"BOX.OBJ", "*.MD5mesh;*.obj", true},
                          Case{"bob.md5anim", "*.MD5mesh;*.obj", false}, Case{"readme", "*.*", false},
                          Case{"a.b.tga", "*.tga", true}, Case{"x.tgaa", "*.tga", false}, Case{"ab", "a?", true},
                          Case{"anything", "*", true}, Case{"a.tga", ";;*.tga;", true}, Case{"a.tga", "", false}}) {
        EXPECT_EQ(ui::matchesPatterns(c.name, c.patterns), c.matches) << c.name << " " << c.patterns;
    }
}

TEST(ChooserLogic, FolderListingStartingFolderAndTypedPaths) {
    const fs::path dir = fs::temp_directory_path() / ("ostrelle_chooser_" + std::to_string(::getpid()));
    fs::create_directories(dir / "zeta");
    fs::create_directories(dir / "Alpha");
    for (const char* name : {"b.tga", "A.TGA", "c.obj"}) std::ofstream(dir / name) << "x";

    std::vector<std::string> names;
    for (const ui::FolderEntry& e : ui::listFolder(dir.string(), "*.tga")) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "Alpha", "zeta", "A.TGA", "b.tga"}));
    EXPECT_TRUE(ui::listFolder((dir / "missing").string(), "*").empty());

    std::string fileName;
    // A last file opens its folder with its name typed; a missing path its nearest folder.
    EXPECT_EQ(ui::startingFolder((dir / "b.tga").string(), fileName), dir.string());
    EXPECT_EQ(fileName, "b.tga");
    EXPECT_EQ(ui::startingFolder((dir / "zeta" / "no" / "such").string(), fileName), (dir / "zeta").string());
    EXPECT_EQ(fileName, "");
    std::string backslashed = (dir / "Alpha").string() + "\\";
    EXPECT_EQ(ui::startingFolder(backslashed, fileName), (dir / "Alpha").string() + "/");
    EXPECT_EQ(ui::startingFolder("", fileName), fs::current_path().string());

    EXPECT_EQ(ui::resolveTypedPath(dir.string(), "c.obj").kind, ui::TypedPath::File);
    EXPECT_EQ(ui::resolveTypedPath(dir.string(), "zeta/../Alpha").kind, ui::TypedPath::Folder);
    EXPECT_EQ(ui::resolveTypedPath(dir.string(), "zeta/../Alpha").path, (dir / "Alpha").string());
    EXPECT_EQ(ui::resolveTypedPath("/nowhere", (dir / "b.tga").string()).kind, ui::TypedPath::File);
    EXPECT_EQ(ui::resolveTypedPath(dir.string(), "missing.obj").kind, ui::TypedPath::Missing);
    EXPECT_EQ(ui::parentFolder((dir / "zeta").string()), dir.string());
    EXPECT_EQ(ui::parentFolder("/"), "/");
    fs::remove_all(dir);
}

TEST(ChooserLogic, ColourBytesTruncateAndComeBackAsByteOver255) {
    const float in[3] = {0.5f, 1.0f, 0.999f};
    const ui::ColourBytes bytes = ui::colourToBytes(in);
    EXPECT_EQ(std::vector<int>({bytes.r, bytes.g, bytes.b}), std::vector<int>({127, 255, 254}));
    const float odd[3] = {-0.5f, 7.0f, std::nanf("")};
    const ui::ColourBytes clamped = ui::colourToBytes(odd);
    EXPECT_EQ(std::vector<int>({clamped.r, clamped.g, clamped.b}), std::vector<int>({0, 255, 0}));
    float out[4] = {0, 0, 0, 0.5f};
    ui::bytesToColour(bytes, out);
    EXPECT_FLOAT_EQ(out[0], 127 / 255.0f);
    EXPECT_FLOAT_EQ(out[2], 254 / 255.0f);
    EXPECT_FLOAT_EQ(out[3], 0.5f);
}
