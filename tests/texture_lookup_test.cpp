// tests/texture_lookup_test.cpp -- candidate names on disk, the normal-map chain of a mesh,
// and the one-time missing-texture question.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/dialogs.h"
#include "base/basepath.h"
#include "base/debug_log.h"
#include "model/model.h"
#include "model/texture_lookup.h"
#include "tests/tga_fixture.h"

namespace fs = std::filesystem;

namespace {

// A temporary folder of grey TGA files; each file's width tells which one was read.
class TextureFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ostrelle_textures_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "models");
        model.allocateMeshes(2);
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const std::string& name, int width, uint8_t value = 0) {
        greyTga(width, 1, value).writeTo(dir / name);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
    Model model;
};

class FakeDialogs : public Dialogs {
public:
    DialogAnswer messageBox(const std::string& caption, const std::string& text, DialogKind kind) override {
        questions.push_back(caption + ": " + text);
        EXPECT_EQ(kind, DialogKind::YesNo);
        return answer;
    }
    std::string chooseOpenFile(const std::string& title, const std::string& initialPath,
                               const std::vector<FileFilter>& filters) override {
        titles.push_back(title);
        initialPaths.push_back(initialPath);
        EXPECT_EQ(filters.size(), 2u);
        return chosen;
    }
    bool chooseColour(float[3]) override { return false; }
    DialogAnswer answer = DialogAnswer::No;
    std::string chosen;
    std::vector<std::string> questions;
    std::vector<std::string> titles;
    std::vector<std::string> initialPaths;
};

// Installs the fake for one test and starts from a run in which nothing was asked yet.
struct DialogsScope {
    explicit DialogsScope(Dialogs* d) {
        setDialogs(d);
        texturePromptState() = TexturePromptState{};
    }
    ~DialogsScope() {
        setDialogs(nullptr);
        texturePromptState() = TexturePromptState{};
    }
};

const char* const kQuestion =
    "Texture not found: A texture could not be found. Do you want to browse for textures that could not be found?";

} // namespace

TEST_F(TextureFolder, FirstCandidateOfEachGroupWins) {
    put("models/foo.tga", 1);
    put("models/foo_d.tga", 2);
    put("models/f_s.tga", 3);   // minus-6 specular comes before models/foo_s.tga
    put("models/foo_s.tga", 4);
    put("models/foo_h.tga", 5); // "_b" comes before "_h"
    put("models/foo_b.tga", 5);
    model.lookupTextures(path("models/foo").c_str(), 1);
    EXPECT_TRUE(model.hasDiffuse[1]);
    EXPECT_EQ(model.diffuseImage[1].width, 1);
    EXPECT_TRUE(model.hasSpecular[1]);
    EXPECT_EQ(model.specularImage[1].width, 3);
    EXPECT_FALSE(model.hasLocal[1]);
    EXPECT_TRUE(model.hasHeight[1]);
    EXPECT_FALSE(model.hasDiffuse[0]);

    fs::remove(dir / "models/foo.tga");
    fs::remove(dir / "models/f_s.tga");
    model.lookupTextures(path("models/foo").c_str(), 1);
    EXPECT_EQ(model.diffuseImage[1].width, 2);
    EXPECT_EQ(model.specularImage[1].width, 4);
}

TEST_F(TextureFolder, ChosenDiffuseMapLeadsToItsSiblings) {
    put("X_d.tga", 1);
    put("X_s.tga", 2);
    put("X_local.tga", 3);
    put("X_h.tga", 3);
    model.lookupTextures(path("X_d.tga").c_str(), 0);
    EXPECT_TRUE(model.hasDiffuse[0] && model.hasSpecular[0] && model.hasLocal[0] && model.hasHeight[0]);
    EXPECT_EQ(model.specularImage[0].width, 2);
    // Normal map from the 3 x 1 height map: level 0 then 1 x 1.
    ASSERT_EQ(model.normalImage[0].size(), 2u);
    EXPECT_EQ(model.normalImage[0][0].width, 3);
    EXPECT_EQ(model.normalImage[0][1].width, 1);
    EXPECT_EQ(model.normalTex[0], 0u);
}

TEST_F(TextureFolder, NamesWithExtensionAreUsedUnchanged) {
    put("foo.tga", 1);
    put("bar.xyz", 2);
    model.lookupTextures(path("foo").c_str(), 0);
    EXPECT_TRUE(model.hasDiffuse[0]);
    model.lookupTextures(path("bar.xyz").c_str(), 0);
    EXPECT_EQ(model.hasDiffuse[0] ? model.diffuseImage[0].width : 0, 2);
}

TEST_F(TextureFolder, EveryRunStartsClearAndBadArgumentsAreIgnored) {
    put("a.tga", 1);
    put("a_h.tga", 2);
    model.lookupTextures(path("a").c_str(), 0);
    ASSERT_TRUE(model.hasDiffuse[0] && model.hasHeight[0]);
    model.lookupTextures(path("missing").c_str(), 0);
    EXPECT_FALSE(model.hasDiffuse[0] || model.hasHeight[0]);
    EXPECT_TRUE(model.diffuseImage[0].pixels.empty());
    EXPECT_TRUE(model.normalImage[0].empty());

    const std::string a = path("a"), tooLong(600, 'x');
    const std::pair<const char*, int> bad[] = {{a.c_str(), 2}, {a.c_str(), -1}, {nullptr, 0}, {"", 0}, {"ab", 0}, {tooLong.c_str(), 0}};
    for (auto [name, mesh] : bad) model.lookupTextures(name, mesh);
    EXPECT_FALSE(model.hasDiffuse[0]);
}

// Names missing from their folder are known to fail from one listing of it; what is found and
// each "texture file" line must be exactly what opening every name gives. `on disk` is created
// inside the case's own folder: a name ending in '/' a folder, "junk" a file that is no image,
// anything else a 1-pixel-high TGA of width 2.
TEST_F(TextureFolder, ListedFoldersFindAndLogWhatOpeningEachFileWould) {
    const std::string longName(260, 'x');
    struct {
        const char* onDisk;
        std::string material;
        TextureGroup group;
        const char* found; // the file the group got, "" for none
        std::string line;  // one line of the log, without "texture file " and the case's folder
    } cases[] = {
        {"models/FOO_D.TGA", "models/foo", TextureGroup::Diffuse, "models/foo_d.tga",
         "models/foo.tga: not readable (No such file or directory)"},
        {"Models/foo_d.tga", "MODELS\\foo", TextureGroup::Diffuse, "MODELS\\foo_d.tga", "MODELS\\foo_d.tga: read"},
        {"", "missing/foo", TextureGroup::Diffuse, "", "missing/foo_df.jpeg: not readable (No such file or directory)"},
        {"", "missing/foo.png", TextureGroup::Diffuse, "", "missing/foo.png: not read as a TGA"},
        // The cuts by 6 reach into the folder part and back: "sub_s.tga", then "sub/a_bmp.tga".
        {"sub_s.tga", "sub/a", TextureGroup::Specular, "sub_s.tga", "sub/a_d.tga: not readable (No such file or directory)"},
        {"sub/a_bmp.tga", "sub/a", TextureGroup::Height, "sub/a_bmp.tga", "sub_bmp.tga: not readable (No such file or directory)"},
        {"plain.tga", "plain.tga/x", TextureGroup::Diffuse, "", "plain.tga/x.tga: not readable (Not a directory)"},
        {"d.tga/", "d.tga", TextureGroup::Diffuse, "", "d.tga: not readable (Is a directory)"},
        {"junk.tga", "junk.tga", TextureGroup::Diffuse, "",
         "junk.tga: not a PNG, JPG or BMP image, nor a TGA of type 2, 3, 10 or 11 with all its pixels"},
        {"", longName, TextureGroup::Diffuse, "", longName + ".tga: not readable (File name too long)"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.material);
        const fs::path folder = dir / ("case" + std::to_string(n++));
        const std::string onDisk = c.onDisk;
        fs::create_directories(folder / fs::path(onDisk).parent_path());
        if (onDisk.empty() || onDisk.back() == '/')
            fs::create_directories(folder / onDisk);
        else if (onDisk.find("junk") != std::string::npos)
            std::ofstream(folder / onDisk) << "no image";
        else
            greyTga(2, 1, 0).writeTo(folder / onDisk);
        ScopedLogCapture log;
        model.lookupTextures((folder.string() + "/" + c.material).c_str(), 0);
        const std::string& file = model.textureFile[0][size_t(c.group)];
        EXPECT_EQ(file, *c.found ? folder.string() + "/" + c.found : "");
        const std::string line = "texture file " + folder.string() + "/" + c.line + "\n";
        EXPECT_NE(log.text.find(line), std::string::npos) << line << "not in\n" << log.text;
    }
}

// A grey "tangent-space map" has no RGB to copy; alone it gives no normal map and no flag.
TEST_F(TextureFolder, GreyTangentSpaceMapAloneIsNotUsed) {
    put("g_local.tga", 2);
    model.lookupTextures(path("g").c_str(), 0);
    EXPECT_FALSE(model.hasLocal[0]);
    EXPECT_TRUE(model.normalImage[0].empty());
}

// Bob's materials are "guard1_body.png" and so on; the folder ships guard1_body_d.tga.
TEST_F(TextureFolder, BobMaterialsFindTheirDiffuseMapsThroughTheBasepath) {
    std::string bob = std::string(OSTRELLE_TESTDATA_DIR) + "/md5/bob/";
    if (!fs::exists(bob + "guard1_body_d.tga")) GTEST_SKIP() << "testdata/md5/bob not found in " << bob;
    std::string saved = basepath();
    setBasepath(bob);
    struct {
        const char* material;
        int width, height;
    } cases[] = {{"guard1_body.png", 400, 400}, {"guard1_face.png", 400, 200}, {"guard1_helmet.png", 256, 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.material);
        model.lookupTextures(rewriteToBasepath(c.material).c_str(), 0);
        EXPECT_TRUE(model.hasDiffuse[0]);
        EXPECT_EQ(model.diffuseImage[0].width, c.width);
        EXPECT_EQ(model.diffuseImage[0].height, c.height);
        EXPECT_FALSE(model.hasSpecular[0] || model.hasLocal[0] || model.hasHeight[0]);
        // The material's own PNG lies beside it, but the TGA that the suffix rules name comes first.
        const std::string& file = model.textureFile[0][size_t(TextureGroup::Diffuse)];
        EXPECT_EQ(file.substr(file.size() - 6), "_d.tga") << file;
    }
    model.lookupTextures(rewriteToBasepath("iron_grill.png").c_str(), 0);
    EXPECT_FALSE(model.hasDiffuse[0]);
    setBasepath(saved);
}

TEST_F(TextureFolder, MaterialsAreAlsoFoundBesideTheModelFile) {
    put("models/skin_d.tga", 5);
    FakeDialogs fake;
    DialogsScope scope(&fake);
    findTextures(model, "game/models/creature/skin", 0); // no folder known: not found, the question comes
    EXPECT_FALSE(model.hasDiffuse[0]);
    EXPECT_EQ(fake.questions.size(), 1u);
    model.meshFolder = path("models") + "/";
    findTextures(model, "game\\models\\creature\\skin", 1);
    EXPECT_TRUE(model.hasDiffuse[1]);
    EXPECT_EQ(model.diffuseImage[1].width, 5);
}

TEST_F(TextureFolder, QuestionIsAskedOnceAndYesBrowsesForEveryMissingTexture) {
    put("chosen_d.tga", 7);
    FakeDialogs fake;
    fake.answer = DialogAnswer::Yes;
    fake.chosen = path("chosen_d.tga");
    DialogsScope scope(&fake);
    const std::string saved = basepath();
    setBasepath("/game/");
    model.promptMissingTexture("models/first", 0);
    model.promptMissingTexture("models/second", 1);
    setBasepath(saved);
    EXPECT_EQ(fake.questions, std::vector<std::string>{kQuestion});
    EXPECT_EQ(fake.titles, (std::vector<std::string>{"models/first", "models/second"}));
    // The chooser opens where the material would lie under the data folder.
    EXPECT_EQ(fake.initialPaths, (std::vector<std::string>{"/game/models/first", "/game/models/second"}));
    EXPECT_TRUE(model.hasDiffuse[0] && model.hasDiffuse[1]);
    EXPECT_EQ(model.diffuseImage[1].width, 7);

    fake.chosen.clear(); // cancelled: the mesh stays without textures
    Model other;
    other.allocateMeshes(1);
    other.promptMissingTexture("models/third", 0);
    EXPECT_EQ(fake.questions.size(), 1u);
    EXPECT_FALSE(other.hasDiffuse[0]);
}

TEST(TexturePrompt, ConsoleDefaultPrintsTheQuestionAndAnswersNo) {
    DialogsScope scope(nullptr);
    Model model;
    model.allocateMeshes(1);
    ::testing::internal::CaptureStderr();
    model.promptMissingTexture("models/x", 0);
    // The console also names the texture and the answer it took.
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(kQuestion) + " [texture \"models/x\"; answered No]\n");
    EXPECT_TRUE(texturePromptState().askedForTextures);
    EXPECT_FALSE(texturePromptState().browseForTextures);
    // No means no dialog for the rest of the run.
    FakeDialogs fake;
    setDialogs(&fake);
    model.promptMissingTexture("models/y", 0);
    EXPECT_TRUE(fake.questions.empty() && fake.titles.empty());
}
