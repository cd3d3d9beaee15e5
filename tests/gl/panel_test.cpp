// tests/gl/panel_test.cpp -- the control panel in the running viewer on the offscreen driver:
// each page against its reference picture, the frame's GL state untouched by the panel, and a
// dropped model file replacing the model in focus.
#include <gtest/gtest.h>

#include <cstdlib>

#include "program_run.h"

namespace {

const fs::path kReferences = fs::path(OSTRELLE_SOURCE_DIR) / "tests" / "gl" / "reference";

// Two lights, a camera animation name that does not load, and a model slot with a name: every
// group of the pages has something to show.
const char* const kPanelScene = "basepath /tmp/\n"
                                "numlights 2\n"
                                "light 0\nlightpos 40 0 30\nlightcolor_d 1 0 0\n"
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
        EXPECT_EQ(got.width, 170);
        ASSERT_EQ(got.width, want.width);
        ASSERT_EQ(got.height, want.height);
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

TEST(PanelDrop, DroppedModelReplacesTheModelInFocus) {
    Picture pictures[2];
    for (int i = 0; i < 2; ++i) {
        ViewerRun run("panel_drop_" + std::to_string(i));
        writeFile(run.dir / "scene.txt", "basepath /tmp/\nlightcolor_a 1 1 1\nnummodels 1\nmodel 0\n"
                                         "modelname small.obj\nmodelpos 0 0 30\n");
        writeFile(run.dir / "small.obj", squareObj(2));
        writeFile(run.dir / "big.obj", squareObj(40));
        run.start(std::string("--headless --size 300x300 --frames 3 --screenshot shot.png") + (i ? " --drop big.obj" : ""));
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_TRUE(pictures[i].load(run.dir / "shot.png"));
    }
    const int small = pictures[0].litPixels(64), big = pictures[1].litPixels(64);
    EXPECT_GT(small, 10) << "the scene's own model is not drawn";
    EXPECT_GT(big, small + 2000) << "the dropped model did not replace the small one";
}
