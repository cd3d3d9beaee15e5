// tests/gl/program_test.cpp -- runs of the built viewer on the offscreen driver: the start-up
// log block, the messages on standard error, screenshots, pressed keys, capability limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
}

// One run of the viewer in a fresh folder; standard output and error are kept.
struct ViewerRun {
    fs::path dir;
    int status = -1;
    std::string out, err;

    explicit ViewerRun(const std::string& name) {
        dir = fs::temp_directory_path() / ("ostrelle_program_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~ViewerRun() { fs::remove_all(dir); }

    void start(const std::string& args, const std::string& env = "") {
        std::string command = "cd '" + dir.string() + "' && " + env + " '" + OSTRELLE_PROGRAM + "' " + args +
                              " >stdout.txt 2>stderr.txt";
        int raw = std::system(command.c_str());
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        out = readFile(dir / "stdout.txt");
        err = readFile(dir / "stderr.txt");
    }
    std::string log() const { return readFile(dir / "debuglog.txt"); }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool load(const fs::path& file) {
        int channels = 0;
        unsigned char* data = stbi_load(file.string().c_str(), &width, &height, &channels, 3);
        if (!data) return false;
        rgb.assign(data, data + static_cast<size_t>(width) * height * 3);
        stbi_image_free(data);
        return true;
    }
    // White text pixels between two rows counted from the top.
    int whitePixels(int fromRow, int toRow) const {
        int n = 0;
        for (int y = fromRow; y < toRow && y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                n += p[0] > 200 && p[1] > 200 && p[2] > 200;
            }
        return n;
    }
};

} // namespace

TEST(ViewerProgram, StartupLogBlockInOrderWithoutDisplay) {
    ViewerRun run("log");
    // No DISPLAY and no --headless: the offscreen driver is chosen all the same.
    run.start("--screenshot shot.png --frames 1", "env -u DISPLAY -u WAYLAND_DISPLAY");
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = splitLines(run.log());
    ASSERT_GE(lines.size(), 6u) << run.log();
    EXPECT_FALSE(lines[0].empty());                        // vendor
    EXPECT_FALSE(lines[1].empty());                        // renderer
    EXPECT_EQ(lines[2].rfind("GL Version: ", 0), 0u);      // version
    EXPECT_EQ(lines[3], "");                               // the texture-unit line starts with "\n"
    EXPECT_EQ(lines[4].rfind("Max. Texture Units: ", 0), 0u);
    EXPECT_EQ(lines[4].back(), ' ');                       // logInt's trailing blank
    EXPECT_NE(lines[5].find("GL_ARB_multitexture "), std::string::npos); // the extension string
}

TEST(ViewerProgram, BasepathMessageOnStandardErrorWithoutScene) {
    ViewerRun run("basepath");
    run.start("--headless --screenshot shot.png --frames 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Ostrelle Startup: Don't forget to edit the basepath in scene.txt.\n"), std::string::npos)
        << run.err;
}

TEST(ViewerProgram, ScreenshotHasTheRequestedSizeAndTheStatusLine) {
    ViewerRun run("size");
    run.start("--screenshot shot.png --size 300x200 --frames 2");
    ASSERT_EQ(run.status, 0) << run.err;
    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "shot.png"));
    EXPECT_EQ(picture.width, 300);
    EXPECT_EQ(picture.height, 200);
    EXPECT_GT(picture.whitePixels(180, 200), 50); // the status line at the bottom
    EXPECT_EQ(picture.whitePixels(0, 100), 0);    // no help text without F1
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

    ViewerRun quit("press_escape");
    quit.start("--headless --press Escape --frames 1000");
    EXPECT_EQ(quit.status, 0) << quit.err;
}

TEST(ViewerProgram, CapabilityLimitsAreLoggedAndUsed) {
    ViewerRun run("caps");
    run.start("--screenshot shot.png --frames 1 --caps units=1,-cubemap,-regcomb");
    ASSERT_EQ(run.status, 0) << run.err;
    std::string log = run.log();
    EXPECT_NE(log.find("Capability limited: maxTextureUnits 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Capability limited: cubemap off\n"), std::string::npos);
    EXPECT_NE(log.find("\nMax. Texture Units: 1 \n"), std::string::npos);
    // Fewer than two units: the weak-hardware message, answered on standard error.
    EXPECT_NE(run.err.find("Hardware Capabilities: This application was designed"), std::string::npos) << run.err;

    ViewerRun bad("caps_bad");
    bad.start("--headless --caps -nosuch");
    EXPECT_NE(bad.status, 0);
}

TEST(ViewerProgram, FolderArgumentIsTheWorkingDirectory) {
    ViewerRun run("folder");
    fs::create_directories(run.dir / "scene");
    run.start("scene --screenshot shot.png --frames 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(run.dir / "scene" / "debuglog.txt"));
    EXPECT_TRUE(fs::exists(run.dir / "shot.png")); // named from where the program started

    ViewerRun missing("folder_missing");
    missing.start("no_such_folder --headless");
    EXPECT_NE(missing.status, 0);
}

TEST(ViewerProgram, HelpListsEveryOption) {
    ViewerRun run("help");
    run.start("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--screenshot", "--frames", "--time", "--size", "--press", "--headless",
                               "--no-dialogs", "--caps", "--info", "--dump-scene"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}
