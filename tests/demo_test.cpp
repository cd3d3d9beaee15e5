// tests/demo_test.cpp -- the generated demo folder as the program's own readers see it: the
// scene reads cleanly and the walk poses the creature within the bounds the generator wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/basepath.h"
#include "base/debug_log.h"
#include "model/animation.h"
#include "model/model.h"
#include "scene/scene.h"

namespace fs = std::filesystem;

// The walk file's bounds come from the generator's own skinning: the program's pose and skinning
// land on them only when both read the quaternions, flags and component order alike.
TEST(DemoModels, WalkPosesTheSkinWithinTheFileBounds) {
    const fs::path demo = fs::path(OSTRELLE_BINARY_DIR) / "demo"; // the folder the build writes
    if (!fs::exists(demo / "scene.txt")) GTEST_SKIP() << "no demo folder at " << demo << ": build the default target";
    struct InFolder { // as the viewer is started there
        const fs::path previous = fs::current_path();
        explicit InFolder(const fs::path& dir) { fs::current_path(dir); }
        ~InFolder() { fs::current_path(previous); }
    };
    Scene scene;
    Model model;
    {
        const InFolder here(demo);
        ScopedLogCapture log;
        readSceneFile(scene, "scene.txt");
        EXPECT_EQ(log.text, "");
        setBasepath(""); // later tests start from none
        ASSERT_TRUE(scene.modelname[0].has_value() && scene.modelanim[0].has_value());
        model.readmeshfromfile(scene.modelname[0]->c_str(), scene.modelanim[0]->c_str());
        for (const char* loss : {"couldn", "dropped", "not found", "failed", "cannot open"})
            EXPECT_EQ(log.text.find(loss), std::string::npos) << log.text;
    }
    ASSERT_TRUE(model.animV10);
    const std::vector<float>& bounds = model.animV10->bounds;
    ASSERT_EQ(bounds.size(), static_cast<size_t>(model.animV10->numFrames) * 6);
    ASSERT_GT(model.animV10->numFrames, 200);
    for (size_t frame : {size_t{0}, size_t{77}, size_t{222}}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        model.animate(static_cast<double>(frame) / 24.0 + 1e-4);
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        for (int m = 0; m < model.numMeshes(); ++m) {
            model.skinMesh(m);
            for (int v = 0; v < model.numVerts[static_cast<size_t>(m)]; ++v) {
                const float* p = model.verts[static_cast<size_t>(m)][static_cast<size_t>(v)].pos;
                for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
            }
        }
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(lo[k], bounds[frame * 6 + k], 0.05f) << "axis " << k;
            EXPECT_NEAR(hi[k], bounds[frame * 6 + 3 + k], 0.05f) << "axis " << k;
        }
    }
}
