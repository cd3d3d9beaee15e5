// tests/info_anim_test.cpp -- ostrelle --info with --anim and --time: the posed corners and the
// "animation" description.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/commands.h"
#include "base/debug_log.h"

namespace fs = std::filesystem;

namespace {

const std::string kBob = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob/";

struct InfoResult {
    int status = -1;
    std::string out, err;
};

// Runs the command in a scratch working folder, where it writes its debug log.
InfoResult runInfo(std::vector<std::string> args) {
    const fs::path home = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("ostrelle_info_anim_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    args.insert(args.begin(), {"ostrelle", "--info"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    InfoResult result;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    result.status = runInfoCommand(static_cast<int>(argv.size()), argv.data());
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    fs::current_path(home);
    openDebugLog();
    fs::remove_all(dir);
    return result;
}

nlohmann::json firstCorner(const std::string& out) { return nlohmann::json::parse(out)["meshes"][0]["corners"][0]; }

} // namespace

TEST(InfoAnimation, PosesAtTheTimeAndDescribesTheAnimation) {
    if (!fs::exists(kBob + "Bob.md5anim")) GTEST_SKIP() << "test data missing: " << kBob;
    const InfoResult bind = runInfo({kBob + "Bob.md5mesh", "--positions"});
    const InfoResult start = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--positions"});
    char length[32]; // the length exactly as the float it is
    snprintf(length, sizeof length, "%.17g", static_cast<double>(140.0f / 24.0f));
    const InfoResult wrapped = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--time", length, "--positions"});
    const InfoResult later = runInfo({kBob + "Bob.md5mesh", "--anim", kBob + "Bob.md5anim", "--time", "1.5", "--positions"});
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
    const InfoResult v6 = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "0.5"});
    ASSERT_EQ(v6.status, 0) << v6.err;
    EXPECT_EQ(nlohmann::json::parse(v6.out)["animation"],
              nlohmann::json::parse(R"({"version": 6, "frames": 2, "frameRate": 1.0,
                                        "joints": 2, "channels": 3, "boundJoints": 1})"));
    const InfoResult missing = runInfo({kBob + "Bob.md5mesh", "--anim", "/nonexistent/none.md5anim"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ostrelle --info: no animation read from /nonexistent/none.md5anim\n");
    const InfoResult badTime = runInfo({kBob + "Bob.md5mesh", "--anim", turn, "--time", "soon"});
    EXPECT_EQ(badTime.status, 1);
    EXPECT_EQ(badTime.err, "ostrelle --info: --time needs a number of seconds, not soon\n");
}
