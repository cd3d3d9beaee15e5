// tests/gl/demo_picture_test.cpp -- the demo scene the build writes, drawn by the viewer at a
// fixed time: the creature is on screen in its own texture colours, two runs agree, and the
// shadow and render modes show.
#include <gtest/gtest.h>

#include <algorithm>
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

// A copy of the demo with `extraKeys` appended to its scene, drawn at 1.0 s after `presses`.
Picture drawDemo(ViewerRun& run, const std::string& extraKeys, const std::string& presses = "") {
    fs::copy(kDemo, run.dir / "demo", fs::copy_options::recursive);
    writeFile(run.dir / "demo" / "scene.txt", readFile(run.dir / "demo" / "scene.txt") + extraKeys);
    run.start("--headless --no-dialogs --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
              " --time 1.0 --frames 3 --screenshot shot.png demo" +
              (presses.empty() ? "" : " --press \"" + presses + "\""));
    Picture picture;
    EXPECT_TRUE(run.status == 0 && picture.load(run.dir / "shot.png")) << run.err;
    return picture;
}

// Colours in bins of 16 per channel, each texel also marking its neighbouring bins, so that
// filtered texels between two colours still count.
void addImageColours(const fs::path& file, std::set<int>& bins) {
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

#define REQUIRE_DEMO() \
    if (!fs::exists(kDemo / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene at " << kDemo

TEST(DemoPicture, CreatureShownInItsTextureColoursAndTwoRunsAgree) {
    REQUIRE_DEMO();
    ViewerRun first("demo_first"), second("demo_second"), without("demo_without");
    const Picture a = drawDemo(first, kAmbientOnly);
    const Picture b = drawDemo(second, kAmbientOnly);
    const Picture empty = drawDemo(without, std::string(kAmbientOnly) + "model 0\nmodelname absent.md5mesh\n");
    ASSERT_TRUE(a.width == kWidth && a.height == kHeight && empty.rgb.size() == a.rgb.size());
    EXPECT_TRUE(a.rgb == b.rgb) << "two runs at the same time differ";
    std::set<int> creatureColours;
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
            inCreatureColours += creatureColours.count(p[0] / 16 * 256 + p[1] / 16 * 16 + p[2] / 16) != 0;
        }
    EXPECT_GT(covered, 1500) << "the creature covers too little of the picture";
    EXPECT_GT(inCreatureColours, covered * 8 / 10) << inCreatureColours << " of " << covered;
}

// The demo with its own lights: F2 once tints the shadow volumes (red and green only), F2
// twice turns the shadows off again; Q twice shows the mesh analyzer's face colours.
TEST(DemoPicture, F2CyclesTheShadowModesAndQTheRenderModes) {
    REQUIRE_DEMO();
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

