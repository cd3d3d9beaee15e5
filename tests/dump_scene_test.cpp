// tests/dump_scene_test.cpp -- ostrelle --dump-scene run as a program on a scene file of its own, and
// saved scenes: read back the same (the dumps of both agree), names the reader cannot take back
// refused without writing, the old file kept as .bak.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "scene/scene.h"
#include "scene/scene_writer.h"
#include "tests/program_cli.h"

namespace fs = std::filesystem;

namespace {

struct DumpScene : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("ostrelle_dump_scene_" + std::to_string(::getpid()));
    DumpScene() { fs::create_directories(dir); }
    ~DumpScene() override { fs::remove_all(dir); }
    // The program's dump of a scene file.
    std::string dump(const fs::path& file) {
        ProgramRun run = runProgram(dir, "--dump-scene '" + file.string() + "'");
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
};
using SavedScene = DumpScene;

void writeText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

struct RoundTrip {
    const char* what;
    std::string text;
};

const RoundTrip kRoundTrips[] = {
    {"quoted names and key words inside names",
     "basepath \"C:\\My Games\\some game\\base\"\n"
     "camanim \"cams/light/intro.md5anim\"\ncamjointname \"camera\"\ncampos 1.5 -2 3e5\n"
     "nummodels 3\nmodel 0\nmodelname \"models/light_farradius/numlights.md5mesh\"\n"
     "modelanim models/modelpos/idle.md5anim\nmodelpos 0.1 -0.2 1e-7\nmodelangle 359.99\n"
     "model 2\nmodelanim \"only_an_anim.md5anim\"\nmodelangle -90\n"},
    {"lights bound to joints, a light never placed",
     "displaylights 0\nbackgroundcolor 0.2 0.3 0.4\nlightcolor_a 0.05 0.06 0.07\n"
     "numlights 3\nlight 0\nlightpos 0 -100 80\nbind_to_bone \"lamp\" 1\nposoffset 0 0 10\n"
     "light 1\nbind_to_bone \"headcubemap\" 2\n" // unquoted, the cubemap key would take the line
     "light 2\nbind_to_bone Bip01_Head 0x10\nlightcolor_d 1 0.5 0.25\nlightcolor_s 0 0 0\n"
     "nummodels 2\nmodel 1\nmodelname a.obj\n"},
    {"cube-map lights with their radii",
     "numlights 2\nlight 1\ncubemap 1\nlight_nearradius 0.125\nlight_farradius 3.40282e38\nlightpos 5 6 7\n"
     "light 0\ncubemap -3\nlight_nearradius -1\n"},
    {"textures set on meshes by hand, file names with blanks and key words",
     "nummodels 2\nmodel 0\nmodelname a.obj\nmodel 1\nmodelname b.md5mesh\n"
     "meshtexture 1 3 normal \"C:\\My Textures\\light modelname b_n.png\"\nmeshtexture 0 0 diffuse skin.png\n"
     "meshtexture 0 0 diffuse skin2.png\n"}, // the later one replaces the earlier
    {"nothing but defaults", ""},
};

} // namespace

// The reading itself is SceneReader's; here: every field reaches the JSON, absent names as null.
TEST_F(DumpScene, PrintsTheSceneAndTheMessageBoxes) {
    writeText(dir / "my scene.txt", "basepath C:\\put_your_game_directory_here\\base\nbackgroundcolor 0.1 0.2\n"
                                    "campos 1 2 3\nnumlights 2\nlight 1\nbind_to_bone lamp 0\nnummodels 1\n"
                                    "modelname models/m.md5mesh\n");
    ProgramRun run = runProgram(dir, "--dump-scene 'my scene.txt'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Ostrelle Startup: Don't forget to edit the basepath in scene.txt.\n"), std::string::npos)
        << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["basepath"], "C:\\put_your_game_directory_here\\base\\");
    // The scene file's own key names.
    EXPECT_EQ(j["backgroundcolor"], nlohmann::json({0.1, 0.2, 0.0, 0.0}));
    EXPECT_EQ(j["campos"], nlohmann::json({1.0, 2.0, 3.0}));
    EXPECT_TRUE(j["camjointname"].is_null());
    for (const char* field : {"displaylights", "lightcolor_a", "camanim"}) EXPECT_TRUE(j.contains(field)) << field;
    ASSERT_EQ(j["slots"].size(), 1u);
    EXPECT_EQ(j["slots"][0]["modelname"], "models/m.md5mesh");
    EXPECT_TRUE(j["slots"][0]["modelanim"].is_null());
    EXPECT_TRUE(j["slots"][0].contains("modelangle"));
    ASSERT_EQ(j["lights"].size(), 2u);
    const auto& light = j["lights"][1];
    EXPECT_EQ(light["bind_to_bone"], nlohmann::json({"lamp", 0}));
    for (const char* field : {"lightpos", "light_nearradius", "light_farradius", "cubemap", "lightcolor_d",
                              "lightcolor_s", "posoffset"})
        EXPECT_TRUE(light.contains(field)) << field;
    EXPECT_TRUE(j["lights"][0]["bind_to_bone"].is_null());
}

TEST_F(DumpScene, ReadsSceneTxtByDefaultAndFailsWithoutIt) {
    ProgramRun missing = runProgram(dir, "--dump-scene");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("scene.txt"), std::string::npos);

    std::ofstream(dir / "scene.txt") << "basepath /data/\xff\xfe\n";
    ProgramRun run = runProgram(dir, "--dump-scene");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out); // bytes that are no UTF-8 still give valid JSON
    EXPECT_EQ(j["basepath"].get<std::string>().substr(0, 6), "/data/");
    EXPECT_EQ(j["lights"].size(), 0u);
}

TEST_F(SavedScene, SavedScenesReadBackTheSame) {
    std::vector<RoundTrip> cases(std::begin(kRoundTrips), std::end(kRoundTrips));
    const fs::path demo = fs::path(OSTRELLE_BINARY_DIR) / "demo" / "scene.txt";
    if (fs::exists(demo)) cases.push_back({"the demo scene", readText(demo)});
    else ADD_FAILURE() << "the build wrote no demo scene at " << demo;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(dir / "original.txt", c.text);
        Scene scene;
        readSceneText(scene, c.text);
        std::string message;
        ASSERT_TRUE(saveSceneFile(scene, (dir / "saved.txt").string(), message)) << message;
        EXPECT_EQ(dump(dir / "saved.txt"), dump(dir / "original.txt")) << readText(dir / "saved.txt");
        // Read back and written again, the text does not drift.
        std::string again, refusal;
        Scene back;
        readSceneText(back, readText(dir / "saved.txt"));
        ASSERT_TRUE(writeSceneText(back, again, refusal));
        EXPECT_EQ(again, readText(dir / "saved.txt"));
    }
}

TEST_F(SavedScene, NamesTheReaderCannotTakeBackAreRefusedAndNothingIsWritten) {
    struct Refused {
        std::function<void(Scene&)> spoil;
        const char* named; // what the message must name
    };
    const Refused cases[] = {
        {[](Scene& s) { s.modelname[1] = "models/my light.md5mesh"; }, "modelname of slot 1"},
        {[](Scene& s) { s.modelanim[0] = "idle\t2.md5anim"; }, "modelanim of slot 0"},
        {[](Scene& s) { s.lights[1].boneName = "lamp\"post"; }, "joint name of light 1"},
        {[](Scene& s) { s.camanim = "cams/a\nnumlights 9"; }, "camanim"},
        {[](Scene& s) { s.camjointname = std::string("cam\0x", 5); }, "camjointname"},
        {[](Scene& s) { s.basepath = "/data/displaylights 1/"; }, "basepath"},
        {[](Scene& s) { s.basepath = "/data/meshtexture 1/"; }, "basepath"},
        {[](Scene& s) { s.meshTextures.push_back({1, 2, TextureGroup::Height, "a\"b.png"}); },
         "height texture of mesh 2 of slot 1"},
        {[](Scene& s) { s.modelname[0] = std::string(5000, 'm'); }, "modelname of slot 0"},
        {[](Scene& s) { s.lights.resize(kMaxSceneRecords + 1), s.numlights = kMaxSceneRecords + 1; }, "lights"},
    };
    const std::string old = "numlights 2\nnummodels 2\nmodel 0\nmodelname m.md5mesh\n";
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.named);
        writeText(dir / "scene.txt", old);
        Scene scene;
        readSceneText(scene, old);
        c.spoil(scene);
        std::string message;
        EXPECT_FALSE(saveSceneFile(scene, (dir / "scene.txt").string(), message));
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_NE(message.find("nothing was saved"), std::string::npos) << message;
        EXPECT_EQ(readText(dir / "scene.txt"), old);
        EXPECT_FALSE(fs::exists(dir / "scene.txt.bak"));
    }
}

TEST_F(SavedScene, TheOldFileIsKeptAsBakAndAMissingOneIsCreated) {
    Scene scene;
    readSceneText(scene, "numlights 1\nlightpos 1 2 3\n");
    std::string expected, message;
    ASSERT_TRUE(writeSceneText(scene, expected, message));

    ASSERT_TRUE(saveSceneFile(scene, (dir / "fresh.txt").string(), message)) << message;
    EXPECT_EQ(readText(dir / "fresh.txt"), expected);
    EXPECT_FALSE(fs::exists(dir / "fresh.txt.bak"));

    writeText(dir / "Scene.txt", "// the user's own file\n");
    ASSERT_TRUE(saveSceneFile(scene, (dir / "scene.txt").string(), message)) << message; // found as the reader finds it
    EXPECT_EQ(readText(dir / "Scene.txt"), expected);
    EXPECT_EQ(readText(dir / "Scene.txt.bak"), "// the user's own file\n");
    EXPECT_FALSE(fs::exists(dir / "Scene.txt.new"));

    EXPECT_FALSE(saveSceneFile(scene, (dir / "no_such_folder" / "scene.txt").string(), message));
    EXPECT_NE(message.find("nothing was saved"), std::string::npos) << message;
}

// Lines that change nothing are listed with their numbers; the scene is printed all the same.
TEST_F(DumpScene, ReportsLinesNoKeyTook) {
    std::ofstream(dir / "scene.txt") << "// a comment\n\nbasepath /data/\nbakgroundcolor 1 0 0\nlightpos 1 2 3\n"
                                        "nummodels 1\nmodel 3\nmodelname a.md5mesh\n";
    ProgramRun run = runProgram(dir, "--dump-scene");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "ostrelle: scene.txt: line 4: no key understood, ignored: bakgroundcolor 1 0 0\n"
                       "ostrelle: scene.txt: line 5: lightpos with no light selected (see numlights and light), "
                       "ignored: lightpos 1 2 3\n"
                       "ostrelle: scene.txt: line 8: modelname with no model selected (see nummodels and model), "
                       "ignored: modelname a.md5mesh\n");
    EXPECT_EQ(nlohmann::json::parse(run.out)["basepath"], "/data/");
}
