// tests/gl/panel_test.cpp -- the control panel in the running viewer on the offscreen driver:
// each page against its reference picture, and the frame's GL state untouched by the panel.
#include <gtest/gtest.h>

#include <cstdlib>

#include "program_run.h"

namespace {

const fs::path kReferences = fs::path(OSTRELLE_SOURCE_DIR) / "tests" / "gl" / "reference";

// Two lights, so that the light groups of the pages have something to show.
const char* const kPanelScene = "basepath /tmp/\nnumlights 2\nlight 0\nlightpos 40 0 30\nlightcolor_d 1 0 0\n"
                                "light 1\nlightpos -40 0 30\n";

// Pixels whose channels differ by more than a rounding step.
int differingPixels(const Picture& a, const Picture& b) {
    int n = 0;
    for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
        n += std::abs(a.rgb[i] - b.rgb[i]) > 8 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 8 ||
             std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 8;
    return n;
}

} // namespace

// Set OSTRELLE_UPDATE_REFERENCES=1 to write the pictures anew after a deliberate change.
TEST(PanelPicture, EachPageMatchesItsReference) {
    const bool update = std::getenv("OSTRELLE_UPDATE_REFERENCES") != nullptr;
    for (const char* page : {"Rendering", "Scene", "Animation"}) {
        SCOPED_TRACE(page);
        ViewerRun run(std::string("panel_") + page);
        writeFile(run.dir / "scene.txt", kPanelScene);
        run.start(std::string("--headless --size 200x400 --time 12.3 --frames 4 --screenshot shot.png ") +
                  "--panel-shot panel.png --panel-page " + page);
        ASSERT_EQ(run.status, 0) << run.err;
        const fs::path reference = kReferences / (std::string("panel_") + page + ".png");
        if (update) fs::copy_file(run.dir / "panel.png", reference, fs::copy_options::overwrite_existing);
        Picture got, want;
        ASSERT_TRUE(got.load(run.dir / "panel.png"));
        ASSERT_TRUE(want.load(reference)) << reference;
        ASSERT_TRUE(got.width == 170 && got.width == want.width && got.height == want.height) << got.width;
        EXPECT_LE(differingPixels(got, want), 4) << "the page differs from " << reference;
    }
}

// The panel draws last in every frame: a state it left behind would change the next frame.
TEST(PanelPicture, PanelLeavesTheFramesGlStateAlone) {
    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        ViewerRun run("panel_state_" + std::to_string(i));
        writeFile(run.dir / "scene.txt", std::string(kPanelScene) + "lightcolor_a 0.5 0.5 0.5\n" +
                                             "nummodels 1\nmodel 0\nmodelname square.obj\n");
        writeFile(run.dir / "square.obj", squareObj(30));
        const std::string frames = i ? "4" : "1";
        run.start("--headless --size 200x200 --time 1 --screenshot shot.png --frames " + frames);
        ASSERT_EQ(run.status, 0) << run.err;
        pictures[i] = readFile(run.dir / "shot.png");
    }
    EXPECT_FALSE(pictures[0].empty());
    EXPECT_EQ(pictures[0], pictures[1]) << "the frame after the panel draws differently from the first";
}
