// tests/command_line_test.cpp -- the program's messages and exit statuses: bad invocations, the
// problems that --info reports for broken files, --strict over several files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/load_problem.h"
#include "tests/info_run.h"
#include "tests/program_cli.h"
#include "tests/tga_fixture.h"

namespace fs = std::filesystem;

namespace {

// A triangle on three weighted vertices whose material has its texture beside it: a file that
// loads without a single problem. `tris` replaces its triangle count and lines.
std::string triangleMesh(const fs::path& dir, const std::string& tris = "numtris 1\ntri 0 0 1 2") {
    return "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\"origin\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
           "mesh {\nshader \"" + (dir / "skin").string() + "\"\nnumverts 3\nvert 0 ( 0 0 ) 0 1\n"
           "vert 1 ( 1 0 ) 1 1\nvert 2 ( 0 1 ) 2 1\n" + tris + "\nnumweights 3\n"
           "weight 0 0 1 ( 0 0 0 )\nweight 1 0 1 ( 1 0 0 )\nweight 2 0 1 ( 0 1 0 )\n}\n";
}

struct CommandLine : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("ostrelle_command_line_" + std::to_string(::getpid()));
    CommandLine() {
        fs::create_directories(dir / "exports");
        TgaFixture skin;
        skin.body.assign(3, 0x80);
        skin.writeTo(dir / "skin.tga");
        std::ofstream(dir / "exports" / "good.md5mesh") << triangleMesh(dir);
        std::ofstream(dir / "exports" / "broken.md5mesh") << triangleMesh(dir, "numtris 1\ntri 0 0 1 7");
        std::ofstream(dir / "huge.md5mesh") << "MD5Version 10\nnumJoints 2000000000\nnumMeshes 1\n";
    }
    ~CommandLine() override { fs::remove_all(dir); }
};

// True when a line of `text` begins with `start`.
bool hasLineStarting(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0 || text.find("\n" + start) != std::string::npos;
}

} // namespace

TEST_F(CommandLine, EachBadInvocationNamesItsProblem) {
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY";
    struct Case { std::string args, env; int status; std::string message; /* a line of stderr begins so */ };
    const Case cases[] = {
        {"--size 100000x100000 --screenshot s.png", "", 2, "ostrelle: --size 100000x100000: width and height must"},
        {"--size 640 --screenshot s.png", "", 2, "ostrelle: --size needs WIDTHxHEIGHT"},
        {"--screenshot x.jpg", "", 2, "ostrelle: --screenshot x.jpg: the picture is written as PNG"},
        {"--frames 0 --screenshot s.png", "", 2, "ostrelle: --frames needs a positive count"},
        {"--bogus", "", 2, "ostrelle: unknown option --bogus"},
        {"--headless", "", 2, "ostrelle: --headless shows nothing on screen; add --screenshot"},
        {"", noDisplay, 2, "ostrelle: no display"},
        {"--info", "", 2, "ostrelle --info: no model given"},
        {"--info exports/good.md5mesh --time 1", "", 2, "ostrelle --info: --time poses an animation"},
        {"--info exports/good.md5mesh --basepath /nonexistent", "", 1,
         "ostrelle --info: --basepath /nonexistent: No such file or directory"},
        {"--info exports/good.md5mesh --anim exports/good.md5mesh", "", 1,
         "ostrelle: exports/good.md5mesh: no animation frames read"},
        {"--info huge.md5mesh", "", 1, "ostrelle: huge.md5mesh: numJoints 2000000000 is more than the rest of the file"},
        {"--dump-scene exports", "", 1, "ostrelle: exports: cannot open: Is a directory"},
        {"--dump-scene a.txt b.txt", "", 2, "ostrelle --dump-scene: one scene file at a time"},
        {"no_such_folder --screenshot s.png", noDisplay, 1, "ostrelle: cannot enter no_such_folder: No such file"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runProgram(dir, c.args, c.env);
        if (run.err.find("this build has no viewer window") != std::string::npos) continue;
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_TRUE(hasLineStarting(run.err, c.message)) << c.args << "\n" << run.err;
    }
}

TEST_F(CommandLine, HelpListsEveryOptionAndTheExitStatuses) {
    const ProgramRun run = runProgram(dir, "--help");
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"--screenshot", "--frames", "--time", "--size", "--press", "--headless", "--no-dialogs",
                             "--caps", "--info", "--dump-scene",
                             "exit status: 0 success, 1 a file or system failure, 2 a usage error,"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
}

// As `find DIR -exec ostrelle --info --strict {} +` runs it: one document per line, exit 3.
// The tools start without the viewer module and the libraries of the window; without the
// module the window cannot open, and the program says so instead of failing to start.
TEST_F(CommandLine, ToolsRunWithoutTheViewerModuleAndTheWindowSaysWhyItCannotOpen) {
    if (!fs::exists(fs::path(OSTRELLE_PROGRAM).parent_path() / "ostrelle_viewer.so"))
        GTEST_SKIP() << "a build without the viewer window";
    fs::create_directories(dir / "alone");
    fs::copy_file(OSTRELLE_PROGRAM, dir / "alone" / "ostrelle");
    const auto run = [&](const std::string& args) {
        const int raw = std::system(("cd '" + dir.string() + "' && ./alone/ostrelle " + args +
                                     " >stdout.txt 2>stderr.txt").c_str());
        return ProgramRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readText(dir / "stdout.txt"), readText(dir / "stderr.txt")};
    };
    EXPECT_EQ(run("--info exports/good.md5mesh").status, 0);
    const ProgramRun window = run("--headless --screenshot shot.png --frames 1");
    EXPECT_EQ(window.status, 1);
    EXPECT_NE(window.err.find("ostrelle: cannot load the viewer window: "), std::string::npos) << window.err;
}

TEST_F(CommandLine, StrictFindsTheOneBrokenFileOfAFolder) {
    const std::string good = (dir / "exports" / "good.md5mesh").string();
    const std::string broken = (dir / "exports" / "broken.md5mesh").string();
    const InfoRun strict = runInfo({"--strict", good, broken});
    EXPECT_EQ(strict.status, 3) << strict.err;
    std::stringstream lines(strict.out);
    std::map<std::string, nlohmann::json> problemsOf;
    for (std::string line; std::getline(lines, line);) {
        const auto doc = nlohmann::json::parse(line);
        problemsOf[doc["file"]] = doc["problems"];
    }
    ASSERT_EQ(problemsOf.size(), 2u) << strict.out;
    EXPECT_TRUE(problemsOf[good].empty()) << problemsOf[good];
    ASSERT_EQ(problemsOf[broken].size(), 1u);
    const nlohmann::json& problem = problemsOf[broken][0];
    EXPECT_EQ(problem, nlohmann::json({{"kind", "record-dropped"}, {"file", broken}, {"mesh", 0}, {"record", 0},
                                       {"value", 7}, {"message", "mesh 0: triangle 0 names vertex 7 of 3, dropped"}}));
    EXPECT_EQ(strict.err, "ostrelle: " + broken + ": mesh 0: triangle 0 names vertex 7 of 3, dropped\n");
    EXPECT_EQ(runInfo({good, broken}).status, 0); // without --strict problems are reported, not failed
    EXPECT_EQ(runInfo({"--strict", good, "/nonexistent.md5mesh", broken}).status, 1); // a failure outranks them
}

// A file whose every record is broken is reported by its first problems and a count of the rest.
TEST_F(CommandLine, AFileOfBrokenRecordsListsItsFirstProblemsAndCountsTheRest) {
    std::string tris = "numtris 150";
    for (int t = 0; t < 150; ++t) tris += "\ntri " + std::to_string(t) + " 0 1 9";
    std::ofstream(dir / "all_broken.md5mesh") << triangleMesh(dir, tris);
    const InfoRun run = runInfo({(dir / "all_broken.md5mesh").string()});
    const auto problems = nlohmann::json::parse(run.out)["problems"];
    ASSERT_EQ(problems.size(), kMaxListedProblems);
    EXPECT_EQ(problems[98]["message"], "mesh 0: triangle 98 names vertex 9 of 3, dropped");
    EXPECT_EQ(problems[99]["value"], 51);
    EXPECT_EQ(problems[99]["message"], "and 51 more problems not listed");
}

// Without dialogs the question is answered on standard error, naming the texture and the answer.
TEST_F(CommandLine, MissingTextureQuestionNamesTheTextureAndTheAnswer) {
    std::string mesh = triangleMesh(dir);
    mesh.replace(mesh.find("skin"), 4, "nothere");
    std::ofstream(dir / "untextured.md5mesh") << mesh;
    const ProgramRun run = runProgram(dir, "--info untextured.md5mesh");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string texture = (dir / "nothere").string();
    EXPECT_TRUE(hasLineStarting(run.err, "Texture not found: A texture could not be found. Do you want to browse for "
                                         "textures that could not be found? [texture \"" + texture +
                                             "\"; answered No]"))
        << run.err;
    EXPECT_TRUE(hasLineStarting(run.err, "ostrelle: untextured.md5mesh: mesh 0: no texture found for \"" + texture +
                                             "\"; tried " + texture + ".tga"))
        << run.err;
}

// Every crafted broken file of the shared test data, with what --info must report for it.
TEST(InfoProblems, EachInvalidTestFileReportsItsProblems) {
    const fs::path root = OSTRELLE_TESTDATA_DIR;
    if (!fs::exists(root)) GTEST_SKIP() << "no test data at " << root;
    struct Expected { int status; std::string kind; long long value; int count; }; // kind "": no model
    const std::map<std::string, Expected> expected = {
        {"md5/invalid/InvalidBoneIndex.md5mesh", {0, "record-dropped", 999, 3}},
        {"md5/invalid/OverflowingTriangleIndex.md5mesh", {0, "record-misnumbered", 4294967295LL, 1}},
        {"md5/invalid/OverflowingVertexIndex.md5mesh", {0, "record-misnumbered", 4294967295LL, 1}},
        {"md5/invalid/OverflowingWeightIndex.md5mesh", {0, "record-misnumbered", 4294967295LL, 1}},
        {"ase/invalid/InvalidUVIndex.ase", {0, "record-dropped", 7, 3}},
        {"md5/invalid/InvalidCameraCut.md5camera", {1, "", 0, 0}},
    };
    for (const fs::path& folder : {root / "md5" / "invalid", root / "ase" / "invalid"}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = fs::relative(entry.path(), root).string();
            auto it = expected.find(name);
            ASSERT_NE(it, expected.end()) << "no expectation for " << name;
            const InfoRun run = runInfo({entry.path().string()});
            EXPECT_EQ(run.status, it->second.status) << name << "\n" << run.err;
            if (it->second.kind.empty()) continue;
            const auto problems = nlohmann::json::parse(run.out)["problems"];
            int count = 0;
            for (const auto& p : problems) {
                if (p["kind"] != it->second.kind) continue;
                EXPECT_TRUE(count++ > 0 || p["value"] == it->second.value) << name << ": " << p["value"];
                EXPECT_EQ(p["file"], entry.path().string());
                const std::string line = "ostrelle: " + entry.path().string() + ": " + p["message"].get<std::string>();
                EXPECT_NE(run.err.find(line + "\n"), std::string::npos) << name << "\n" << run.err;
            }
            EXPECT_EQ(count, it->second.count) << name << "\n" << problems;
        }
    }
}
