// tests/info_command_test.cpp -- ostrelle --info: the JSON description and the exit status.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/info_run.h"

namespace fs = std::filesystem;

TEST(InfoCommand, DescribesTheCubeWithItsCorners) {
    const std::string cube = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/simplecube/SimpleCube.md5mesh";
    if (!fs::exists(cube)) GTEST_SKIP() << "no test data at " << cube;
    const InfoRun run = runInfo({cube, "--positions"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (auto it = json.begin(); it != json.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "joints", "meshes", "problems"}));
    EXPECT_EQ(json["file"], cube);
    EXPECT_EQ(json["joints"], 3);
    const auto& mesh = json["meshes"][0];
    std::vector<std::string> meshKeys;
    for (auto it = mesh.begin(); it != mesh.end(); ++it) meshKeys.push_back(it.key());
    EXPECT_EQ(meshKeys, (std::vector<std::string>{"material", "verts", "vertsTotal", "clones", "duplicates", "tris",
                                                  "weights", "edges", "openEdges", "textures", "textureFiles",
                                                  "corners"}));
    EXPECT_EQ(mesh["material"], "");
    EXPECT_EQ(mesh["verts"], 24);
    EXPECT_EQ(mesh["tris"], 12);
    EXPECT_EQ(mesh["weights"], 16);
    EXPECT_EQ(mesh["textures"]["diffuse"], false);
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

// A file that cannot be read is a failure (1) with the system's reason and nothing on standard output.
TEST(InfoCommand, FailsWithOneLineReason) {
    const InfoRun missing = runInfo({"/nonexistent/model.md5mesh"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_EQ(missing.err, "ostrelle: /nonexistent/model.md5mesh: cannot open: No such file or directory\n");
    EXPECT_NE(missing.log.find("cannot open file\n"), std::string::npos);
}
