// tests/info_anim_test.cpp -- ostrelle --info with --anim and --time: the posed corners and the
// "animation" description.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/info_run.h"

namespace fs = std::filesystem;

namespace {

const std::string kBob = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob/";

nlohmann::json firstCorner(const std::string& out) { return nlohmann::json::parse(out)["meshes"][0]["corners"][0]; }

} // namespace

TEST(InfoAnimation, PosesAtTheTimeAndDescribesTheAnimation) {
    if (!fs::exists(kBob + "Bob.md5anim")) GTEST_SKIP() << "test data missing: " << kBob;
    const InfoRun bind = runInfo({kBob + "Bob.md5mesh", "--positions"});
    const InfoRun start = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--positions"});
    char length[32]; // the length exactly as the float it is
    snprintf(length, sizeof length, "%.17g", static_cast<double>(140.0f / 24.0f));
    const InfoRun wrapped = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--time", length, "--positions"});
    const InfoRun later = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--time", "1.5", "--positions"});
    ASSERT_EQ(start.status, 0) << start.err;
    const nlohmann::json description = nlohmann::json::parse(start.out);
    EXPECT_EQ(description["animation"], nlohmann::json::parse(R"({"version": 10, "frames": 140, "frameRate": 24.0,
                                                                   "joints": 33, "channels": 0, "boundJoints": 33})"));
    EXPECT_FALSE(nlohmann::json::parse(bind.out).contains("animation"));
    EXPECT_NE(firstCorner(bind.out), firstCorner(start.out));
    EXPECT_EQ(firstCorner(start.out), firstCorner(wrapped.out)); // the length wraps to frame 0
    EXPECT_NE(firstCorner(start.out), firstCorner(later.out));
}

TEST(InfoAnimation, DescribesAVersion6AnimationAndRefusesAMissingOne) {
    if (!fs::exists(kBob + "Bob.md5mesh")) GTEST_SKIP() << "test data missing: " << kBob;
    const std::string turn = std::string(OSTRELLE_SOURCE_DIR) + "/tests/data/anim/turn_v6.md5anim";
    const InfoRun v6 = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "0.5"});
    ASSERT_EQ(v6.status, 0) << v6.err;
    EXPECT_EQ(nlohmann::json::parse(v6.out)["animation"],
              nlohmann::json::parse(R"({"version": 6, "frames": 2, "frameRate": 1.0,
                                        "joints": 2, "channels": 3, "boundJoints": 1})"));
    const InfoRun missing = runInfo({kBob + "Bob.md5mesh", "--anim", "/nonexistent/none.md5anim"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ostrelle: /nonexistent/none.md5anim: cannot open: No such file or directory\n"),
              std::string::npos)
        << missing.err;
    const InfoRun badTime = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "soon"});
    EXPECT_EQ(badTime.status, 2); // a usage error
    EXPECT_EQ(badTime.err, "ostrelle --info: --time needs a number of seconds, not soon\n");
}
