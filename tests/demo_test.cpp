// tests/demo_test.cpp -- the generated demo folder: complete, deterministic and well formed
// as the program's own readers see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/animation.h"
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "model/model.h"
#include "model/tga_reader.h"
#include "scene/scene.h"

namespace fs = std::filesystem;

namespace {

const std::string kGenerator = std::string(OSTRELLE_BINARY_DIR) + "/tools/gen_demo";
// The folder the build writes; the README's run command opens it.
const fs::path kBuiltDemo = fs::path(OSTRELLE_BINARY_DIR) / "demo";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the generator into a fresh folder of this process (ctest runs tests side by side);
// empty when the generator is not built or fails.
fs::path generate(const std::string& name, double* seconds = nullptr) {
    if (!fs::exists(kGenerator)) return {};
    fs::path dir = fs::temp_directory_path() / (name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    auto start = std::chrono::steady_clock::now();
    int rc = std::system((kGenerator + " " + dir.string()).c_str());
    if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rc == 0 ? dir : fs::path{};
}

// Runs the readers from inside the demo folder, as the viewer is started there.
class InDemoFolder {
  public:
    explicit InDemoFolder(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
    ~InDemoFolder() { fs::current_path(previous_); }
  private:
    const fs::path previous_;
};

#define REQUIRE_DEMO()                                                                                                 \
    if (!fs::exists(kBuiltDemo / "scene.txt"))                                                                         \
        GTEST_SKIP() << "no demo folder at " << kBuiltDemo << ": build the default target first";                      \
    InDemoFolder here(kBuiltDemo)

// Reads scene.txt with the program's reader; the basepath it sets is cleared again so later
// tests start from none.
std::string readDemoScene(Scene& scene) {
    ScopedLogCapture capture;
    readSceneFile(scene, "scene.txt");
    setBasepath("");
    return capture.text;
}

// Log words that mean a record, file or map was lost on the way in.
bool logShowsLoss(const std::string& log) {
    for (const char* word : {"couldn", "dropped", "not found", "failed", "cannot open"})
        if (log.find(word) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(DemoGenerator, WritesTheSameBytesOnEveryRun) {
    double seconds = 0;
    fs::path a = generate("ostrelle_demo_a", &seconds);
    fs::path b = generate("ostrelle_demo_b");
    if (a.empty() || b.empty()) GTEST_SKIP() << "gen_demo is not built (" << kGenerator << ")";
    RecordProperty("generate_seconds", std::to_string(seconds));
    EXPECT_LT(seconds, 20.0) << "the generator should take about a second";
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(a)) {
        if (!e.is_regular_file()) continue;
        ++files;
        fs::path twin = b / fs::relative(e.path(), a);
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_TRUE(readFile(e.path()) == readFile(twin)) << "differs between runs: " << fs::relative(e.path(), a);
    }
    EXPECT_GE(files, 30u);
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(DemoScene, ReadsCleanlyAndNamesFilesThatExist) {
    REQUIRE_DEMO();
    Scene scene;
    EXPECT_EQ(readDemoScene(scene), "");
    ASSERT_EQ(scene.nummodels, 3);
    std::vector<std::optional<std::string>> files = scene.modelname;
    files.insert(files.end(), {scene.modelanim[0], scene.camanim});
    for (const auto& name : files) {
        ASSERT_TRUE(name.has_value());
        EXPECT_TRUE(fs::is_regular_file(resolvePath(*name))) << *name;
    }
    // The camera and the bound light name joints that exist only by these names.
    EXPECT_EQ(scene.camjointname.value_or("-"), "camera");
    EXPECT_EQ(scene.lights.at(1).boneName.value_or("-"), "lure");
}

// The light filter's cube-map faces, read as the start-up reads them: a blurred set that
// equals the sharp one would make the filter switch show nothing.
TEST(DemoScene, BlurredLightFilterFacesDifferFromTheSharpOnes) {
    REQUIRE_DEMO();
    for (const char* face : {"east", "west", "down", "up", "north", "south"}) {
        SCOPED_TRACE(face);
        TgaImage sharp, soft;
        ASSERT_EQ(readTga(std::string("data\\normal_") + face + ".tga", sharp), 1);
        ASSERT_EQ(readTga(std::string("data\\blurred_") + face + ".tga", soft), 1);
        ASSERT_EQ(sharp.pixels.size(), soft.pixels.size());
        double diff = 0;
        for (size_t i = 0; i < sharp.pixels.size(); ++i) diff += std::abs(sharp.pixels[i] - soft.pixels[i]);
        EXPECT_GT(diff / static_cast<double>(sharp.pixels.size()), 4.0) << "the blur must show";
    }
}

TEST(DemoModels, EveryModelLoadsWithEveryRecordAndMap) {
    REQUIRE_DEMO();
    Scene scene;
    readDemoScene(scene);
    for (const auto& name : scene.modelname) {
        ASSERT_TRUE(name.has_value());
        SCOPED_TRACE(*name);
        ScopedLogCapture log;
        Model model;
        model.readmeshfromfile(name->c_str(), nullptr);
        EXPECT_FALSE(logShowsLoss(log.text)) << log.text;
        ASSERT_GT(model.numMeshes(), 0);
        for (size_t m = 0; m < static_cast<size_t>(model.numMeshes()); ++m) {
            EXPECT_TRUE(model.meshLoaded[m]);
            EXPECT_GT(model.numTris(m), 0);
            EXPECT_TRUE(model.hasDiffuse[m] && model.hasSpecular[m] && model.hasHeight[m]);
            if (model.numJoints() == 0) continue;
            // The creature's seams where the texture wraps (u 0 and 1 on one position) are
            // merged or cloned, not left as open edges that break its shadow volume.
            size_t open = 0;
            for (const Edge& e : model.edges[m]) open += e.tri1 < 0 ? 1 : 0;
            EXPECT_EQ(open, 0u) << "open edges in mesh " << m;
        }
    }
}

// The walk file's bounds were computed from the generator's own skinning; the program's
// pose and skinning must land on them, which holds only when both read the quaternions,
// flags and component order alike.
TEST(DemoModels, WalkPosesTheSkinWithinTheFileBounds) {
    REQUIRE_DEMO();
    Scene scene;
    readDemoScene(scene);
    ASSERT_TRUE(scene.modelname[0].has_value() && scene.modelanim[0].has_value());
    ScopedLogCapture log;
    Model model;
    model.readmeshfromfile(scene.modelname[0]->c_str(), scene.modelanim[0]->c_str());
    EXPECT_FALSE(logShowsLoss(log.text)) << log.text;
    ASSERT_TRUE(model.animV10);
    const std::vector<float>& bounds = model.animV10->bounds;
    ASSERT_EQ(bounds.size(), static_cast<size_t>(model.animV10->numFrames) * 6);
    ASSERT_GT(model.animV10->numFrames, 200);
    for (size_t frame : {size_t{0}, size_t{31}, size_t{77}, size_t{150}, size_t{222}}) {
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
