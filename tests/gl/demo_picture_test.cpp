// tests/gl/demo_picture_test.cpp -- the demo scene the build writes, drawn by the viewer at a
// fixed time: the creature is on screen in its own texture colours, and two runs agree; the
// creature's file alone framed in a scene of its own; F6 saving the demo scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include <nlohmann/json.hpp>

#include "model/tga_reader.h"
#include "program_run.h"

namespace {

const fs::path kDemo = OSTRELLE_DEMO_DIR;
constexpr int kWidth = 400, kHeight = 300;
constexpr int kTextRows = 64; // the status lines at the bottom name the model in focus

// Only the ambient picture, in the plain texture colours: no lights, white ambient.
const char* const kAmbientOnly = "\nnumlights 0\nlightcolor_a 1 1 1\n";

// A copy of the demo inside the run's folder with `extraKeys` appended to its scene file,
// drawn at 1.0 seconds, after the keys `presses` (one per frame, at most two).
Picture drawDemo(ViewerRun& run, const std::string& extraKeys, const std::string& presses = "") {
    fs::copy(kDemo, run.dir / "demo", fs::copy_options::recursive);
    std::string scene = readFile(run.dir / "demo" / "scene.txt");
    writeFile(run.dir / "demo" / "scene.txt", scene + extraKeys);
    run.start("--headless --no-dialogs --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
              " --time 1.0 --frames 3 --screenshot shot.png demo" +
              (presses.empty() ? "" : " --press \"" + presses + "\""));
    Picture picture;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(picture.load(run.dir / "shot.png"));
    return picture;
}

// Colours in bins of 16 per channel, each texel also marking its neighbouring bins, so that
// filtered texels between two colours still count.
using ColourBins = std::set<int>;
int binOf(int r, int g, int b) { return (r / 16) * 256 + (g / 16) * 16 + b / 16; }

void addImageColours(const fs::path& file, ColourBins& bins) {
    TgaImage image;
    ASSERT_TRUE(readTga(file.string(), image)) << file;
    const int bytes = image.bitsPerPixel / 8;
    ASSERT_GE(bytes, 3);
    for (size_t i = 0; i + 2 < image.pixels.size(); i += static_cast<size_t>(bytes)) {
        const int r = image.pixels[i] / 16, g = image.pixels[i + 1] / 16, b = image.pixels[i + 2] / 16;
        for (int d = 0; d < 27; ++d) {
            const int nr = r + d / 9 - 1, ng = g + d / 3 % 3 - 1, nb = b + d % 3 - 1;
            if (nr >= 0 && nr < 16 && ng >= 0 && ng < 16 && nb >= 0 && nb < 16) bins.insert(nr * 256 + ng * 16 + nb);
        }
    }
}

} // namespace

TEST(DemoPicture, CreatureShownInItsTextureColoursAndTwoRunsAgree) {
    if (!fs::exists(kDemo / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene at " << kDemo;
    ViewerRun first("demo_first"), second("demo_second"), without("demo_without");
    const Picture a = drawDemo(first, kAmbientOnly);
    const Picture b = drawDemo(second, kAmbientOnly);
    const Picture empty = drawDemo(without, std::string(kAmbientOnly) + "model 0\nmodelname absent.md5mesh\n");
    ASSERT_EQ(a.width, kWidth);
    ASSERT_EQ(a.height, kHeight);
    EXPECT_TRUE(a.rgb == b.rgb) << "two runs at the same time differ";
    ASSERT_EQ(empty.rgb.size(), a.rgb.size());

    ColourBins creatureColours;
    for (const char* name : {"skin_d.tga", "limbs_d.tga", "fin_d.tga"})
        addImageColours(kDemo / "models" / "creature" / name, creatureColours);

    // Where the creature stands, the picture differs from the one without it, in its colours.
    int covered = 0, inCreatureColours = 0;
    for (int y = 0; y < kHeight - kTextRows; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const size_t i = (static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 3;
            const unsigned char *p = &a.rgb[i], *q = &empty.rgb[i];
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) < 24) continue;
            ++covered;
            inCreatureColours += creatureColours.count(binOf(p[0], p[1], p[2])) != 0;
        }
    EXPECT_GT(covered, 1500) << "the creature covers too little of the picture";
    EXPECT_GT(inCreatureColours, covered * 8 / 10) << inCreatureColours << " of " << covered;
}

// The demo with its own lights: F2 once tints the shadow volumes (red and green only), F2
// twice turns the shadows off again; Q twice shows the mesh analyzer's face colours.
TEST(DemoPicture, F2CyclesTheShadowModesAndQTheRenderModes) {
    if (!fs::exists(kDemo / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene at " << kDemo;
    ViewerRun normalRun("demo_shadows"), debugRun("demo_shadow_debug"), analyzerRun("demo_analyzer");
    const Picture normal = drawDemo(normalRun, "");
    const Picture debug = drawDemo(debugRun, "", "F2");
    const Picture analyzer = drawDemo(analyzerRun, "", "Q Q");
    ASSERT_EQ(debug.rgb.size(), normal.rgb.size());
    int tinted = 0;
    for (size_t i = 0; i + 2 < normal.rgb.size(); i += 3)
        tinted += debug.rgb[i] > normal.rgb[i] + 4 && debug.rgb[i + 1] > normal.rgb[i + 1] + 4;
    EXPECT_GT(tinted, 500) << "the debug shadow mode shows no volumes";
    // The analyzer's red and cyan, modulated by the texture: one or two channels exactly zero.
    auto faceColoured = [](const Picture& p) {
        int n = 0;
        for (size_t i = 0; i + 2 < p.rgb.size(); i += 3) {
            const int r = p.rgb[i], g = p.rgb[i + 1], b = p.rgb[i + 2];
            n += (r > 40 && g == 0 && b == 0) || (r == 0 && g > 40 && b > 40);
        }
        return n;
    };
    EXPECT_GT(faceColoured(analyzer), 1500);
    EXPECT_LT(faceColoured(normal), 100);
}

namespace {

// The box round the non-black pixels above the text rows; white ones (a light marker) do not count.
struct Covered {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, count = 0;
};

Covered coveredArea(const Picture& picture) {
    Covered c;
    for (int y = 0; y < picture.height - kTextRows; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
            if (p[0] + p[1] + p[2] < 3 || (p[0] > 200 && p[1] > 200 && p[2] > 200)) continue;
            ++c.count;
            c.left = std::min(c.left, x), c.right = std::max(c.right, x);
            c.top = std::min(c.top, y), c.bottom = std::max(c.bottom, y);
        }
    return c;
}

// The dump of a scene file without the positions of lights bound to joints: those move with their joints.
nlohmann::json dumpWithoutBoundLightPositions(ViewerRun& run, const std::string& file) {
    run.start("--dump-scene " + file);
    EXPECT_EQ(run.status, 0) << run.err;
    nlohmann::json scene = nlohmann::json::parse(run.out);
    for (auto& light : scene["lights"])
        if (!light["bind_to_bone"].is_null()) light.erase("lightpos");
    return scene;
}

} // namespace

// The creature's mesh file alone on the command line: a scene of its own frames its bind pose in
// the middle of the picture, with the textures found beside it; F6 has no scene file to save to.
TEST(DemoPicture, ModelFileAloneIsFramedInTheMiddleWithItsTextures) {
    if (!fs::exists(kDemo / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene at " << kDemo;
    const fs::path creature = kDemo / "models" / "creature";
    ViewerRun run("model_file");
    run.start("--headless --no-dialogs --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
              " --frames 2 --press F6 --screenshot shot.png '" + (creature / "creature.md5mesh").string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Save Scene: "), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(run.dir / "scene.txt"));
    EXPECT_EQ(run.log().find("couldn't find texture"), std::string::npos) << run.log();

    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "shot.png"));
    const Covered c = coveredArea(picture);
    EXPECT_GT(c.count, 3000);
    EXPECT_NEAR((c.left + c.right) / 2.0, kWidth / 2.0, kWidth / 10.0);
    EXPECT_GT(c.left, 0);
    EXPECT_LT(c.right, kWidth - 1);
    EXPECT_GT(c.top, 0);
    EXPECT_GT(std::max((c.right - c.left) / double(kWidth), (c.bottom - c.top) / double(kHeight - kTextRows)), 0.45);
}

// F6 writes the scene back to the file it was read from, the old one kept beside it.
TEST(DemoPicture, F6SavesTheSceneAndKeepsTheOldFileAsBak) {
    if (!fs::exists(kDemo / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene at " << kDemo;
    ViewerRun run("save_scene");
    fs::copy(kDemo, run.dir / "demo", fs::copy_options::recursive);
    const std::string original = readFile(run.dir / "demo" / "scene.txt");
    run.start("--headless --no-dialogs --size 160x120 --frames 2 --press F6 --screenshot shot.png demo");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(run.dir / "demo" / "scene.txt.bak"), original);
    EXPECT_NE(readFile(run.dir / "demo" / "scene.txt"), original);
    EXPECT_EQ(dumpWithoutBoundLightPositions(run, "demo/scene.txt"),
              dumpWithoutBoundLightPositions(run, "demo/scene.txt.bak"));
}
