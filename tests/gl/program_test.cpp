// tests/gl/program_test.cpp -- runs of the built viewer on the offscreen driver: the start-up
// log block, the messages on standard error, screenshots, pressed keys, capability limits.
#include <gtest/gtest.h>

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

TEST(ViewerProgram, CapabilityLimitsAreLoggedAndUsed) {
    ViewerRun run("caps");
    run.start("--screenshot shot.png --frames 1 --caps units=1,-cubemap,-regcomb");
    ASSERT_EQ(run.status, 0) << run.err;
    // The limit lines themselves are checked in the unit tests; here the limit is used.
    EXPECT_NE(run.log().find("\nMax. Texture Units: 1 \n"), std::string::npos) << run.log();
    // Fewer than two units: the weak-hardware message, answered on standard error.
    EXPECT_NE(run.err.find("Hardware Capabilities: This application was designed"), std::string::npos) << run.err;
}

// A missing model's problem on standard error, with the base-path name also tried; light cube maps
// only from complete face sets, drawn without GL errors in every mode.
TEST(ViewerProgram, MissingModelAndCubeMapsReportedAndCompleteSetsDrawWithoutGlErrors) {
    const char* scene = "basepath /tmp/\nnumlights 1\nlight 0\nlightpos 0 0 30\ncubemap 1\n";
    ViewerRun missing("cube_missing");
    writeFile(missing.dir / "scene.txt", std::string(scene) + "nummodels 1\nmodel 0\nmodelname models/missing.md5mesh\n");
    missing.start("--headless --screenshot shot.png --frames 1");
    ASSERT_EQ(missing.status, 0) << missing.err;
    EXPECT_NE(missing.err.find("Ostrelle Startup: couldn't find cubemap texture\n"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("ostrelle: models/missing.md5mesh: cannot open: No such file or directory (also tried "
                               "/tmp/models/missing.md5mesh)\n"),
              std::string::npos)
        << missing.err;

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
