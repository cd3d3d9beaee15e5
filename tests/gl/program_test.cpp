// tests/gl/program_test.cpp -- runs of the built viewer on the offscreen driver: the start-up
// log block, the messages on standard error, screenshots, pressed keys, capability limits.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "program_run.h"
#include "../tga_fixture.h"

namespace {
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
}

// The screenshot of a headless run on a scene written into the run's folder.
Picture shotOf(const std::string& name, const std::string& scene, const std::string& args) {
    ViewerRun run(name);
    writeFile(run.dir / "scene.txt", scene);
    run.start("--headless --screenshot shot.png " + args);
    Picture picture;
    EXPECT_TRUE(picture.load(run.dir / "shot.png")) << run.err;
    return picture;
}
} // namespace

// One run checked several ways: no DISPLAY and no --headless (the offscreen driver is chosen all
// the same), a folder argument without a scene file, a screenshot of a chosen size.
TEST(ViewerProgram, StartupLogBasepathMessageScreenshotAndFolder) {
    ViewerRun run("startup");
    fs::create_directories(run.dir / "scene");
    run.start("scene --screenshot shot.png --size 300x200 --frames 2",
              "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = readFile(run.dir / "scene" / "debuglog.txt"); // the folder is the working directory
    std::vector<std::string> lines = splitLines(log);
    ASSERT_GE(lines.size(), 6u) << log;
    EXPECT_FALSE(lines[0].empty());                        // vendor
    EXPECT_FALSE(lines[1].empty());                        // renderer
    EXPECT_EQ(lines[2].rfind("GL Version: ", 0), 0u);      // version
    EXPECT_EQ(lines[3], "");                               // the texture-unit line starts with "\n"
    EXPECT_EQ(lines[4].rfind("Max. Texture Units: ", 0), 0u);
    EXPECT_EQ(lines[4].back(), ' ');                       // logInt's trailing blank
    EXPECT_NE(lines[5].find("GL_ARB_multitexture "), std::string::npos); // the extension string
    EXPECT_NE(run.err.find("Ostrelle Startup: Don't forget to edit the basepath in scene.txt.\n"), std::string::npos)
        << run.err;

    Picture picture; // named from where the program started
    ASSERT_TRUE(picture.load(run.dir / "shot.png"));
    EXPECT_EQ(picture.width, 300);
    EXPECT_EQ(picture.height, 200);
    EXPECT_GT(picture.whitePixels(180, 200), 50); // the status line at the bottom
    EXPECT_EQ(picture.whitePixels(0, 100), 0);    // no help text without F1
}

TEST(ViewerProgram, HelpListsEveryOptionAndBadArgumentsFail) {
    ViewerRun run("help");
    run.start("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--screenshot", "--frames", "--time", "--size", "--press", "--headless",
                               "--no-dialogs", "--caps", "--info", "--dump-scene"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    for (const char* args :
         {"no_such_folder --headless", "--headless --caps -nosuch", "no_such_model.md5mesh --headless"}) {
        ViewerRun bad("bad_arguments");
        bad.start(args);
        EXPECT_NE(bad.status, 0) << args;
    }
}

// A scene naming a model that does not exist: the load's problem on standard error, with the
// system's reason and the base-path name also tried; the program runs on.
TEST(ViewerProgram, MissingModelIsReportedOnStandardError) {
    ViewerRun run("missing_model");
    writeFile(run.dir / "scene.txt", "basepath /tmp/\nnummodels 1\nmodel 0\nmodelname models/missing.md5mesh\n");
    run.start("--headless --screenshot shot.png --frames 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("ostrelle: models/missing.md5mesh: cannot open: No such file or directory (also tried "
                           "/tmp/models/missing.md5mesh)\n"),
              std::string::npos)
        << run.err;
}

TEST(ViewerProgram, PressedKeysGoThroughTheKeyArrays) {
    ViewerRun run("press");
    run.start("--screenshot shot.png --press F1 --frames 2");
    ASSERT_EQ(run.status, 0) << run.err;
    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "shot.png"));
    EXPECT_GT(picture.whitePixels(0, 150), 200); // the key list reaches the top rows

    ViewerRun twice("press_twice");
    twice.start("--screenshot shot.png --press \"F1 F1\" --frames 3");
    ASSERT_EQ(twice.status, 0) << twice.err;
    ASSERT_TRUE(picture.load(twice.dir / "shot.png"));
    EXPECT_EQ(picture.whitePixels(0, 150), 0); // toggled off again
}

TEST(ViewerProgram, CapabilityLimitsAreLoggedAndUsed) {
    ViewerRun run("caps");
    run.start("--screenshot shot.png --frames 1 --caps units=1,-cubemap,-regcomb");
    ASSERT_EQ(run.status, 0) << run.err;
    // The limit lines themselves are checked in the unit tests; here the limit is used.
    EXPECT_NE(run.log().find("\nMax. Texture Units: 1 \n"), std::string::npos) << run.log();
    // Fewer than two units: the weak-hardware message, answered on standard error.
    EXPECT_NE(run.err.find("Hardware Capabilities: This application was designed"), std::string::npos) << run.err;
}

TEST(ViewerProgram, LightCubeMapsFromCompleteSetsWithoutGlErrors) {
    const char* scene = "basepath /tmp/\nnumlights 1\nlight 0\nlightpos 0 0 30\ncubemap 1\n";
    ViewerRun missing("cube_missing");
    writeFile(missing.dir / "scene.txt", scene);
    missing.start("--headless --screenshot shot.png --frames 1");
    ASSERT_EQ(missing.status, 0) << missing.err;
    EXPECT_NE(missing.err.find("Ostrelle Startup: couldn't find cubemap texture\n"), std::string::npos) << missing.err;

    ViewerRun complete("cube_complete");
    writeFile(complete.dir / "scene.txt", scene);
    fs::create_directories(complete.dir / "data");
    TgaFixture face; // 2 x 2, 24-bit
    face.width = face.height = 2;
    face.body.assign(12, 0x7f);
    for (const char* set : {"normal", "blurred"})
        for (const char* name : {"east", "west", "down", "up", "north", "south"})
            face.writeTo(complete.dir / "data" / (std::string(set) + "_" + name + ".tga"));
    complete.start("--headless --screenshot shot.png --frames 9 --press \"F1 Q Q R E T F2\"");
    ASSERT_EQ(complete.status, 0) << complete.err;
    EXPECT_EQ(complete.err.find("cubemap"), std::string::npos) << complete.err;
    std::string log = complete.log();
    EXPECT_EQ(log.find("GL_INVALID"), std::string::npos) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
    EXPECT_EQ(log.find("unhandlederror"), std::string::npos);
}

TEST(ViewerProgram, ShiftPageDownSelectsTheNextLightMarker) {
    // Two lights left and right of the view's centre: the selected one has the larger marker.
    const char* scene = "basepath /tmp/\nnumlights 2\nlight 0\nlightpos -30 0 30\nlightcolor_d 1 0 0\n"
                        "light 1\nlightpos 30 0 30\nlightcolor_d 0 1 0\n";
    const Picture before = shotOf("light_select_first", scene, "--frames 1");
    const Picture after = shotOf("light_select_next", scene, "--frames 2 --press Shift+PageDown");
    EXPECT_GT(before.pixelsNear(255, 0, 0), before.pixelsNear(0, 255, 0));
    EXPECT_GT(after.pixelsNear(0, 255, 0), after.pixelsNear(255, 0, 0));
    EXPECT_GT(after.pixelsNear(255, 0, 0), 0);
}

TEST(ViewerProgram, AnimatedCameraAndSpaceBackToTheFreeCamera) {
    std::string scene = std::string("basepath /tmp/\ncamanim ") + OSTRELLE_SOURCE_DIR +
                        "/tests/data/anim/camera_v6.md5anim\nnumlights 1\nlight 0\nlightpos 60 0 10\n"
                        "lightcolor_d 1 0 0\n";
    float animatedX = 0, animatedY = 0, freeX = 0, freeY = 0;
    Picture picture = shotOf("camera_animated", scene, "--frames 2 --time 0.1");
    ASSERT_TRUE(picture.redCentre(animatedX, animatedY)) << "the light is not in the camera's view";
    ViewerRun free("camera_free");
    writeFile(free.dir / "scene.txt", scene);
    free.start("--headless --screenshot shot.png --frames 2 --time 0.1 --press Space");
    ASSERT_TRUE(picture.load(free.dir / "shot.png")) << free.err;
    ASSERT_TRUE(picture.redCentre(freeX, freeY));
    EXPECT_GT(std::abs(animatedX - freeX) + std::abs(animatedY - freeY), 5.0f);
    EXPECT_EQ(free.log().find("GL_INVALID"), std::string::npos);
}
