// tests/scene_reader_test.cpp -- the scene file: keys, defaults, order of testing, token quirks, hostile counts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

using namespace std::string_literals;

#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/basepath.h"
#include "scene/scene.h"

namespace fs = std::filesystem;

namespace {

// Records every message box instead of writing it to the console.
class RecordingDialogs : public Dialogs {
public:
    RecordingDialogs() { setDialogs(this); }
    ~RecordingDialogs() override { setDialogs(nullptr); }
    DialogAnswer messageBox(const std::string& caption, const std::string& text, DialogKind) override {
        shown.push_back(caption + ": " + text);
        return DialogAnswer::Ok;
    }
    std::string chooseOpenFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return {};
    }
    bool chooseColour(float[3]) override { return false; }
    std::vector<std::string> shown;
};

void expectFloats(const float* got, std::vector<float> want) {
    for (size_t i = 0; i < want.size(); ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "component " << i;
}

} // namespace

TEST(SceneReader, ExampleFileSetsEveryKey) {
    const char* text =
        "// data directory of the game\nbasepath C:\\games\\somegame\\base\ndisplaylights 0\n"
        "camanim cams/intro.md5anim\ncamjointname \"cam1\"\ncampos 1 2 3\nbackgroundcolor 0.2 0.2 0.3\n"
        "lightcolor_a 0.3 0.4 0.5\nnumlights 2\nlight 0\nlightpos 0 -100 80\nlightcolor_d 1 0.9 0.8\n"
        "lightcolor_s 0.5 0.6 0.7\nlight 1\nlightpos 50 50 120\ncubemap 1\nlight_nearradius 5\n"
        "light_farradius 250.5\nbind_to_bone lamp 3\nposoffset 0 0 10\nnummodels 2\nmodel 1\n"
        "modelname models/monster/monster.md5mesh\nmodelanim models/monster/idle.md5anim\nmodelpos 4 5 6\n"
        "modelangle 90\n";
    Scene scene;
    readSceneText(scene, text);
    EXPECT_EQ(scene.basepath, "C:\\games\\somegame\\base\\");
    EXPECT_EQ(scene.displaylights, 0);
    EXPECT_EQ(scene.camanim.value_or("-"), "cams/intro.md5anim");
    EXPECT_EQ(scene.camjointname.value_or("-"), "cam1");
    expectFloats(scene.campos.data(), {1, 2, 3});
    expectFloats(scene.backgroundColor, {0.2f, 0.2f, 0.3f, 0});
    expectFloats(scene.globalAmbient, {0.3f, 0.4f, 0.5f, 1});

    ASSERT_TRUE(scene.numlights == 2 && scene.lights.size() == 2u);
    const Light& l0 = scene.lights[0];
    expectFloats(l0.lightpos, {0, -100, 80, 1});
    expectFloats(l0.lightcolor_d, {1, 0.9f, 0.8f, 1});
    expectFloats(l0.lightcolor_s, {0.5f, 0.6f, 0.7f, 1});
    const Light& l1 = scene.lights[1];
    expectFloats(l1.lightpos, {50, 50, 120, 1});
    EXPECT_EQ(l1.cubemap, 1);
    EXPECT_FLOAT_EQ(l1.light_nearradius, 5);
    EXPECT_FLOAT_EQ(l1.light_farradius, 250.5f);
    EXPECT_EQ(l1.boneName.value_or("-"), "lamp");
    EXPECT_EQ(l1.boneModel, 3);
    expectFloats(l1.posoffset, {0, 0, 10});
    expectFloats(l1.orientation, {1, 0, 0, 0, 0, 1, 0, 1, 0});

    ASSERT_TRUE(scene.nummodels == 2 && scene.models.size() == 2u);
    EXPECT_FALSE(scene.models[1]); // reading loads no model
    EXPECT_EQ(scene.modelname[1].value_or("-"), "models/monster/monster.md5mesh");
    EXPECT_EQ(scene.modelanim[1].value_or("-"), "models/monster/idle.md5anim");
    expectFloats(scene.modelpos[1].data(), {4, 5, 6});
    EXPECT_FLOAT_EQ(scene.modelangle[1], 90);
}

TEST(SceneReader, ThreeValueKeysStoreWhatIsGivenAndStillSetAlpha) {
    Scene scene;
    scene.backgroundColor[2] = 0.7f;
    scene.backgroundColor[3] = 0.5f;
    readSceneText(scene, "backgroundcolor 1 0\nlightcolor_a 0.5\nnumlights 1\nlightpos 3 x 4\ncampos 9\n"
                         "lightcolor_d\n");
    expectFloats(scene.backgroundColor, {1, 0, 0.7f, 0});
    expectFloats(scene.globalAmbient, {0.5f, 0.1f, 0.1f, 1});
    // "x" does not convert: y stays, z is still read.
    expectFloats(scene.lights[0].lightpos, {3, 0, 4, 1});
    expectFloats(scene.campos.data(), {9, 0, 0});
    expectFloats(scene.lights[0].lightcolor_d, {1, 1, 1, 1});
}

TEST(SceneReader, KeysBeforeTheirCountAreIgnoredAndASecondCountStartsAfresh) {
    Scene scene;
    readSceneText(scene,
                  "lightpos 1 1 1\nmodelname early.md5mesh\n"
                  "numlights 2\nlight 1\ncubemap 1\nnumlights 3\n"
                  "nummodels 1\nmodelname first.md5mesh\nnummodels 2\n"
                  "lightpos 7 7 7\nmodelpos 5 5 5\n");
    ASSERT_EQ(scene.numlights, 3);
    for (const Light& light : scene.lights) EXPECT_EQ(light.cubemap, 0);
    // The light index survives the second count: light 1 gets the position.
    expectFloats(scene.lights[0].lightpos, {0, 0, 0, 0});
    expectFloats(scene.lights[1].lightpos, {7, 7, 7, 1});
    ASSERT_EQ(scene.nummodels, 2);
    EXPECT_FALSE(scene.modelname[0]);
    expectFloats(scene.modelpos[0].data(), {5, 5, 5});
}

TEST(SceneReader, IndicesOutsideTheArraysChangeNothing) {
    Scene scene;
    readSceneText(scene, "numlights 2\nnummodels 2\nlight 5\nlightpos 1 1 1\nmodel -1\nmodelname x.md5mesh\n"
                         "light -1\ncubemap 1\nmodel 2\nmodelpos 1 2 3\nlight 99999999999\nlightpos 2 2 2\n");
    for (const Light& light : scene.lights) {
        expectFloats(light.lightpos, {0, 0, 0, 0});
        EXPECT_EQ(light.cubemap, 0);
    }
    for (int s = 0; s < 2; ++s) {
        EXPECT_FALSE(scene.modelname[s]);
        expectFloats(scene.modelpos[s].data(), {0, 0, 0});
    }
}

TEST(SceneReader, EarlierKeyInTheLineTakesIt) {
    Scene scene;
    readSceneText(scene, "numlights 2\nlight 1\nnummodels 1\n"
                         "modelname models/light bulb.md5mesh\n"
                         "lightpos 3 3 3\n");
    EXPECT_FALSE(scene.modelname[0]);
    // The light index stayed 1: "models/light" did not convert.
    expectFloats(scene.lights[1].lightpos, {3, 3, 3, 1});
    expectFloats(scene.lights[0].lightpos, {0, 0, 0, 0});

    // A key whose condition fails leaves the line to later keys: with light 7 missing
    // "cubemap " does not act, so "light " does, with the first value after the key token.
    Scene other;
    readSceneText(other, "numlights 2\nlight 7\ncubemap 1 light 0\nlightpos 1 1 1\n");
    expectFloats(other.lights[1].lightpos, {1, 1, 1, 1});
    EXPECT_EQ(other.lights[1].cubemap, 0);
}

// A key acts wherever it stands in the line and takes the values after the line's first token:
// "//" glued to a key makes no comment.
TEST(SceneReader, ValuesFollowTheFirstTokenWhateverItIs) {
    Scene scene;
    readSceneText(scene, "// basepath C:\\games\nsome words only\nnumlights\n// numlights 3\nnumlights 1\n"
                         "  //lightpos 1 2 3\n//lightpos 9 9 9\nfoo cubemap 4\n");
    EXPECT_EQ(scene.basepath, "");
    ASSERT_EQ(scene.numlights, 1);
    expectFloats(scene.lights[0].lightpos, {1, 2, 3, 1});
    EXPECT_EQ(scene.lights[0].cubemap, 0); // its first value is the word "cubemap"
}

TEST(SceneReader, NamesDropQuotesAndEndAtBlanks) {
    Scene scene;
    readSceneText(scene, "nummodels 1\nmodelname \"models/a b.md5mesh\"\nmodelanim\t\"\"idle.md5anim\"x\n"
                         "camanim \"cam.md5anim\ncamjointname\n");
    EXPECT_EQ(scene.modelname[0].value_or("-"), "models/a");
    EXPECT_FALSE(scene.modelanim[0]); // "modelanim" must be followed by a blank
    EXPECT_EQ(scene.camanim.value_or("-"), "cam.md5anim");
    EXPECT_FALSE(scene.camjointname);
    readSceneText(scene, "model 0\nmodelanim \"\"idle.md5anim\"x\n");
    EXPECT_EQ(scene.modelanim[0].value_or("-"), "idle.md5anim");
}

TEST(SceneReader, BindToBoneTakesNameThenSlot) {
    Scene scene;
    readSceneText(scene, "numlights 2\nbind_to_bone \"hand\" 3\nlight 1\nbind_to_bone head\n");
    EXPECT_EQ(std::make_pair(scene.lights[0].boneName.value_or("-"), scene.lights[0].boneModel), std::make_pair("hand"s, 3));
    EXPECT_EQ(std::make_pair(scene.lights[1].boneName.value_or("-"), scene.lights[1].boneModel), std::make_pair("head"s, 0));
}

TEST(SceneReader, BasepathKeepsBlanksLosesQuotesAndGetsASeparator) {
    RecordingDialogs boxes;
    const std::pair<const char*, const char*> cases[] = {
        {"basepath C:\\games\\base\n", "C:\\games\\base\\"},
        {"basepath /data/base/\n", "/data/base/"},
        {"basepath C:\\data\\\n", "C:\\data\\"},
        {"basepath \"C:\\my games\\base\"\n", "C:\\my games\\base\\"},
        {"basepath   /x\n", "  /x\\"},
        {"basepath /a\tb\n", "/a\\"},
        {"basepath /crlf\r\n", "/crlf\\"},
    };
    for (const auto& [line, want] : cases) {
        Scene scene;
        readSceneText(scene, line);
        EXPECT_EQ(scene.basepath, want) << line;
    }
    Scene none;
    readSceneText(none, "basepath \n");
    EXPECT_EQ(none.basepath, "");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(SceneReader, HostileCountsLeaveNoArraysAndSayWhy) {
    ScopedLogCapture log;
    Scene scene;
    readSceneText(scene, "numlights 2147483647\nnummodels 0x7fffffff\nlightpos 1 1 1\nmodelpos 1 1 1\n");
    EXPECT_TRUE(scene.numlights == 0 && scene.lights.empty());
    EXPECT_TRUE(scene.nummodels == 0 && scene.modelname.empty());
    EXPECT_EQ(log.text, "couldn\xB4t allocate memory for lighs\nscene data initialization failed\n");

    Scene negative;
    readSceneText(negative, "numlights -3\nnummodels -1\nnumlights abc\n");
    EXPECT_EQ(std::make_pair(negative.numlights, negative.nummodels), std::make_pair(0, 0));
    readSceneText(negative, "numlights 2\nnumlights abc\nnummodels 1\nnummodels\n");
    EXPECT_EQ(std::make_pair(negative.numlights, negative.nummodels), std::make_pair(2, 1)); // unconverted: no change
}

// The scene reader reads the decimal form only.
TEST(SceneReader, FloatsAreDecimalOnly) {
    Scene scene;
    for (float& c : scene.backgroundColor) c = 0.5f;
    readSceneText(scene, "campos -1.5e1 .25x 7.\nbackgroundcolor inf nan 0x10\nlightcolor_a 1e999 -. +2\n");
    expectFloats(scene.campos.data(), {-15, 0.25f, 7});
    // No infinity, NaN or hexadecimal form: "0x10" reads as 0.
    expectFloats(scene.backgroundColor, {0.5f, 0.5f, 0, 0});
    expectFloats(scene.globalAmbient, {0.1f, 0.1f, 2, 1});
}

TEST(SceneReader, FileWrapperLogsAMissingFileAndPublishesTheBasepath) {
    fs::path dir = fs::temp_directory_path() / "ostrelle_scene_reader_test";
    fs::create_directories(dir);
    {
        ScopedLogCapture log;
        Scene scene;
        std::string missing = (dir / "none.txt").string();
        readSceneFile(scene, missing);
        EXPECT_EQ(log.text, "scene data file not found: " + missing + "\n");
        EXPECT_EQ(scene.basepath, "");
    }
    std::ofstream(dir / "Scene.txt") << "basepath /games/base\r\nnummodels 1\r\nmodelname m.obj\r\n";
    Scene scene;
    readSceneFile(scene, (dir / "scene.txt").string()); // letter case may differ from the disk
    EXPECT_EQ(scene.basepath, "/games/base\\");
    EXPECT_EQ(basepath(), "/games/base\\");
    EXPECT_EQ(scene.modelname[0].value_or("-"), "m.obj");
    setBasepath("");
    fs::remove_all(dir);
}

// meshtexture lines are taken first, whatever their file name holds; a line that does not make a
// whole record keeps nothing and says why.
TEST(SceneReader, MeshTextureLinesKeepWholeRecordsOnly) {
    Scene scene;
    LoadProblems problems;
    readSceneText(scene,
                  "nummodels 2\n"
                  "meshtexture 1 4 specular \"/home/x/light pack/numlights s.png\"\n"
                  "meshtexture 0 0x2 height h.png trailing words\n"
                  "meshtexture 0 1 glossy g.png\n"
                  "meshtexture 2 0 diffuse d.png\n"
                  "meshtexture 0 -1 diffuse d.png\n"
                  "meshtexture 0 1 diffuse\n",
                  &problems);
    ASSERT_EQ(scene.meshTextures.size(), 2u);
    EXPECT_EQ(scene.numlights, 0) << "the file name's \"numlights \" took the line";
    const MeshTexture& first = scene.meshTextures[0];
    EXPECT_TRUE(first.slot == 1 && first.mesh == 4 && first.kind == TextureGroup::Specular);
    EXPECT_EQ(first.file, "/home/x/light pack/numlights s.png");
    EXPECT_TRUE(scene.meshTextures[1].mesh == 2 && scene.meshTextures[1].kind == TextureGroup::Height);
    EXPECT_EQ(scene.meshTextures[1].file, "h.png");
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_NE(problems[0].message.find("line 4: meshtexture needs SLOT MESH KIND FILE"), std::string::npos);
    EXPECT_NE(problems[1].message.find("line 5: meshtexture for slot 2, mesh 0"), std::string::npos);
    EXPECT_NE(problems[2].message.find("line 6:"), std::string::npos);
    EXPECT_NE(problems[3].message.find("line 7: meshtexture needs"), std::string::npos);
    // A new slot count makes new slots, without the old slots' textures.
    readSceneText(scene, "nummodels 1\n");
    EXPECT_TRUE(scene.meshTextures.empty());
}

// Hand-set textures move with their slot when a slot before them is removed, and go with it.
TEST(SceneSlots, HandSetTexturesFollowTheirSlot) {
    Scene scene;
    for (int s = 0; s < 3; ++s) addModelSlot(scene);
    rememberMeshTexture(scene, {0, 0, TextureGroup::Diffuse, "a.png"});
    rememberMeshTexture(scene, {1, 0, TextureGroup::Diffuse, "b.png"});
    rememberMeshTexture(scene, {2, 5, TextureGroup::Local, "c_n.png"});
    rememberMeshTexture(scene, {2, 5, TextureGroup::Local, "d_n.png"}); // same slot, mesh and kind: replaced
    scene.model_in_focus = 1;
    removeModelSlot(scene);
    ASSERT_EQ(scene.meshTextures.size(), 2u);
    EXPECT_EQ(scene.meshTextures[0].slot, 0);
    EXPECT_EQ(scene.meshTextures[1].slot, 1) << "slot 2 became slot 1";
    EXPECT_EQ(scene.meshTextures[1].file, "d_n.png");
    forgetMeshTextures(scene, 1, 4); // another mesh of the slot: nothing goes
    forgetMeshTextures(scene, 0);
    ASSERT_EQ(scene.meshTextures.size(), 1u);
    EXPECT_EQ(scene.meshTextures[0].file, "d_n.png");
}
