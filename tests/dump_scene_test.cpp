// tests/dump_scene_test.cpp -- ostrelle --dump-scene run as a program on a scene file of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "tests/program_cli.h"

namespace fs = std::filesystem;

namespace {

class DumpScene : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ostrelle_dump_scene_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    fs::path dir;
};

} // namespace

// The reading itself is SceneReader's; here: every field reaches the JSON, absent names as null.
TEST_F(DumpScene, PrintsTheSceneAndTheMessageBoxes) {
    std::ofstream(dir / "my scene.txt") << "basepath C:\\put_your_game_directory_here\\base\n"
                                           "backgroundcolor 0.1 0.2\n"
                                           "campos 1 2 3\n"
                                           "numlights 2\n"
                                           "light 1\n"
                                           "bind_to_bone lamp 0\n"
                                           "nummodels 1\n"
                                           "modelname models/m.md5mesh\n";
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
