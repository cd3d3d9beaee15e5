// tests/info_command_test.cpp -- ostrelle --info: the JSON description, and with --anim and --time
// the posed corners and the "animation" description.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/info_run.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kBob = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob/";

template <class Json> std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
    return keys;
}

json firstCorner(const std::string& out) { return json::parse(out)["meshes"][0]["corners"][0]; }

} // namespace

TEST(InfoCommand, DescribesTheCubeWithItsCorners) {
    const std::string cube = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/simplecube/SimpleCube.md5mesh";
    if (!fs::exists(cube)) GTEST_SKIP() << "no test data at " << cube;
    const InfoRun run = runInfo({cube, "--positions"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto description = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(keysOf(description), (std::vector<std::string>{"file", "joints", "meshes", "problems"}));
    EXPECT_TRUE(description["file"] == cube && description["joints"] == 3);
    const auto& mesh = description["meshes"][0];
    EXPECT_EQ(keysOf(mesh), (std::vector<std::string>{"material", "verts", "vertsTotal", "clones", "duplicates", "tris",
                                                       "weights", "edges", "openEdges", "textures", "textureFiles",
                                                       "corners"}));
    EXPECT_EQ(std::make_tuple(mesh["verts"], mesh["tris"], mesh["weights"]), std::make_tuple(24, 12, 16));
    EXPECT_TRUE(mesh["textureFiles"]["diffuse"].is_null());
    ASSERT_EQ(mesh["corners"].size(), 36u);
    // Triangle 0 is "tri 0 2 1 0": its first corner is vertex 2, u -0.3125, v 1 - 0.25.
    const auto& c = mesh["corners"][0];
    ASSERT_EQ(c.size(), 5u);
    EXPECT_NEAR(c[0].get<double>(), -32, 0.01);
    EXPECT_NEAR(c[3].get<double>(), -0.3125, 1e-6);
    EXPECT_NEAR(c[4].get<double>(), 0.75, 1e-6);
    EXPECT_EQ(run.log.rfind("readmeshfromfile starting, opening file: " + cube + "\n", 0), 0u);
}

TEST(InfoAnimation, PosesAtTheTimeAndDescribesTheAnimation) {
    if (!fs::exists(kBob + "Bob.md5anim")) GTEST_SKIP() << "test data missing: " << kBob;
    auto posed = [](std::vector<std::string> more) {
        std::vector<std::string> args = {kBob + "Bob.md5mesh", "--positions", "--anim", kBob + "Bob.md5anim"};
        args.insert(args.end(), more.begin(), more.end());
        return runInfo(args);
    };
    char length[32]; // the length exactly as the float it is
    snprintf(length, sizeof length, "%.17g", static_cast<double>(140.0f / 24.0f));
    const InfoRun bind = runInfo({kBob + "Bob.md5mesh", "--positions"}), start = posed({});
    ASSERT_EQ(start.status, 0) << start.err;
    EXPECT_EQ(json::parse(start.out)["animation"], json::parse(R"({"version": 10, "frames": 140, "frameRate": 24.0,
                                                                   "joints": 33, "channels": 0, "boundJoints": 33})"));
    EXPECT_FALSE(json::parse(bind.out).contains("animation"));
    EXPECT_NE(firstCorner(bind.out), firstCorner(start.out));
    EXPECT_EQ(firstCorner(start.out), firstCorner(posed({"--time", length}).out)); // the length wraps to frame 0
    EXPECT_NE(firstCorner(start.out), firstCorner(posed({"--time", "1.5"}).out));
}

TEST(InfoAnimation, DescribesAVersion6AnimationAndRefusesAMissingOne) {
    if (!fs::exists(kBob + "Bob.md5mesh")) GTEST_SKIP() << "test data missing: " << kBob;
    const std::string turn = std::string(OSTRELLE_SOURCE_DIR) + "/tests/data/anim/turn_v6.md5anim";
    const InfoRun v6 = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "0.5"});
    ASSERT_EQ(v6.status, 0) << v6.err;
    EXPECT_EQ(json::parse(v6.out)["animation"], json::parse(R"({"version": 6, "frames": 2, "frameRate": 1.0,
                                                                "joints": 2, "channels": 3, "boundJoints": 1})"));
    const InfoRun missing = runInfo({kBob + "Bob.md5mesh", "--anim", "/nonexistent/none.md5anim"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ostrelle: /nonexistent/none.md5anim: cannot open: No such file or directory\n"),
              std::string::npos) << missing.err;
    const InfoRun badTime = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "soon"});
    EXPECT_EQ(badTime.status, 2); // a usage error
    EXPECT_EQ(badTime.err, "ostrelle --info: --time needs a number of seconds, not soon\n");
}
