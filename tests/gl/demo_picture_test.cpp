// tests/gl/demo_picture_test.cpp -- the demo scene the build writes, drawn by the viewer at a
// fixed time: the creature is on screen in its own texture colours, and two runs agree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

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
        for (int dr = -1; dr <= 1; ++dr)
            for (int dg = -1; dg <= 1; ++dg)
                for (int db = -1; db <= 1; ++db) {
                    const int nr = r + dr, ng = g + dg, nb = b + db;
                    if (nr >= 0 && nr < 16 && ng >= 0 && ng < 16 && nb >= 0 && nb < 16)
                        bins.insert(nr * 256 + ng * 16 + nb);
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
            const unsigned char* p = &a.rgb[i];
            const unsigned char* q = &empty.rgb[i];
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
