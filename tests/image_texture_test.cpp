// tests/image_texture_test.cpp -- PNG, JPG and BMP through the one image reader, the lookup of
// textures in those formats and from other machines' names, and textures set on a mesh by hand.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/basepath.h"
#include "base/dialogs.h"
#include "model/image_reader.h"
#include "model/model.h"
#include "model/texture_candidates.h"
#include "model/texture_lookup.h"
#include "model/tga_reader.h"
#include "scene/scene.h"
#include "tests/tga_fixture.h"

namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(OSTRELLE_SOURCE_DIR) / "tests/data/textures";

std::vector<uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same picture as a TGA, given top row first in R, G, B(, A) and stored bottom row first in
// B, G, R(, A) as TGA files hold it, then read by readTga.
TgaImage tgaOfPicture(int w, int h, int channels, const std::vector<uint8_t>& topFirst) {
    std::vector<uint8_t> body;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &topFirst[size_t((y * w + x) * channels)];
            if (channels >= 3) body.insert(body.end(), {p[2], p[1], p[0]});
            else body.push_back(p[0]);
            if (channels == 4) body.push_back(p[3]);
        }
    }
    const std::vector<uint8_t> bytes = tgaOf(channels == 1 ? 3 : 2, w, h, uint8_t(channels * 8), body).bytes();
    TgaImage image;
    EXPECT_EQ(readTga(bytes.data(), bytes.size(), image), 1);
    return image;
}

} // namespace

// Each fixture was written once from the picture in its row; what it decodes to must be what
// the TGA of that picture decodes to, bottom row first.
TEST(ImageReader, PngAndBmpDecodeToTheBytesOfTheSameTga) {
    struct Case {
        const char* file;
        int width, height, channels;
        std::vector<uint8_t> topFirst;
    } cases[] = {
        {"rgb.png", 3, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"rgb.bmp", 3, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"rgba.png", 2, 2, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255}},
        {"grey.png", 2, 2, 1, {0, 64, 128, 255}},
        // Grey with alpha becomes RGBA so that the alpha is kept.
        {"grey_alpha.png", 2, 1, 4, {100, 100, 100, 50, 200, 200, 200, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TgaImage image;
        std::string why;
        ASSERT_EQ(readImage((kFixtures / c.file).string(), image, &why), 1) << why;
        const TgaImage tga = tgaOfPicture(c.width, c.height, c.channels, c.topFirst);
        EXPECT_EQ(image.width, tga.width);
        EXPECT_EQ(image.height, tga.height);
        EXPECT_EQ(image.bitsPerPixel, tga.bitsPerPixel);
        EXPECT_EQ(image.pixels, tga.pixels);
    }
}

// Two flat 8 x 8 blocks survive JPG's compression to within a few steps; the left block is red,
// in the bottom-first layout as well.
TEST(ImageReader, JpgDecodesItsBlocksInTheLayoutOfTga) {
    TgaImage image;
    ASSERT_EQ(readImage((kFixtures / "blocks.jpg").string(), image), 1);
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 8);
    ASSERT_EQ(image.bitsPerPixel, 24);
    const uint8_t left[3] = {200, 40, 40}, right[3] = {40, 40, 200};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(image.pixels[size_t((y * 16 + x) * 3 + c)], (x < 8 ? left : right)[c], 4) << x << "," << y;
}

TEST(ImageReader, HostileAndOversizedBytesAreRefusedWithAReason) {
    const std::vector<uint8_t> png = fileBytes(kFixtures / "rgb.png");
    const std::vector<uint8_t> jpg = fileBytes(kFixtures / "blocks.jpg");
    ASSERT_FALSE(png.empty() || jpg.empty());
    auto withPngSize = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> b = png; // IHDR: width and height big-endian at bytes 16 and 20
        for (int i = 0; i < 4; ++i) b[size_t(16 + i)] = uint8_t(w >> (24 - 8 * i)), b[size_t(20 + i)] = uint8_t(h >> (24 - 8 * i));
        return b;
    };
    std::vector<uint8_t> wideTga = tgaOf(2, 20000, 1, 24, {}).bytes();
    std::vector<uint8_t> emptyIdat(png.begin(), png.begin() + 33); // signature and header chunk
    emptyIdat.insert(emptyIdat.end(), {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0});
    emptyIdat.insert(emptyIdat.end(), png.begin() + 33, png.end());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason; // part of the message
    } cases[] = {
        {"PNG wider than the limit", withPngSize(16385, 2), "larger than 16384 pixels a side"},
        {"PNG of 2^31 rows", withPngSize(3, 0x80000000u), "PNG"},
        {"TGA wider than the limit", wideTga, "larger than 16384 pixels a side"},
        {"PNG cut short", std::vector<uint8_t>(png.begin(), png.begin() + 40), "PNG image not readable"},
        {"PNG signature alone", std::vector<uint8_t>(png.begin(), png.begin() + 8), "PNG image not readable"},
        {"JPG cut short", std::vector<uint8_t>(jpg.begin(), jpg.begin() + jpg.size() / 2), "JPG"},
        {"JPG signature alone", {0xFF, 0xD8, 0xFF}, "JPG image not readable"},
        {"PNG with an empty image data chunk first", emptyIdat, "empty image data"},
        // Found by fuzzing: the decoder itself would write past its tables.
        {"JPG with a Huffman table of 257 codes", fileBytes(kFixtures / "huffman_overrun.jpg"), "Huffman table"},
        {"JPG whose last Huffman table runs past the end", fileBytes(kFixtures / "huffman_overrun_at_end.jpg"),
         "Huffman table"},
        {"BMP signature alone", {'B', 'M'}, "BMP image not readable"},
        {"nothing", {}, "not a PNG, JPG or BMP image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TgaImage image;
        image.width = 9;
        std::string why;
        EXPECT_EQ(readImage(c.bytes.data(), c.bytes.size(), image, &why), 0);
        EXPECT_TRUE(image.pixels.empty() && image.width == 0);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

TEST(TextureNames, KindOfAnImageByItsName) {
    const std::pair<const char*, TextureGroup> cases[] = {
        {"a/skin_n.png", TextureGroup::Local},     {"skin_NORMAL.jpg", TextureGroup::Local},
        {"c:\\x\\wallnormals.tga", TextureGroup::Local}, {"skin_local.tga", TextureGroup::Local},
        {"skin_s.png", TextureGroup::Specular},    {"skin_spec.jpeg", TextureGroup::Specular},
        {"skin_h.png", TextureGroup::Height},      {"skin_height.png", TextureGroup::Height},
        {"skin_b.tga", TextureGroup::Height},      {"skin.png", TextureGroup::Diffuse},
        {"skin_d.png", TextureGroup::Diffuse},     {"my_n.dir/skin", TextureGroup::Diffuse},
    };
    for (const auto& [file, group] : cases) EXPECT_EQ(textureGroupOfFile(file), group) << file;
}

namespace {

class ImageFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ostrelle_images_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "models");
        model.allocateMeshes(2);
        savedBasepath = basepath();
        setDialogs(&noDialogs);
    }
    void TearDown() override {
        setDialogs(nullptr);
        texturePromptState() = TexturePromptState{};
        setBasepath(savedBasepath);
        fs::remove_all(dir);
    }
    void copy(const char* fixture, const std::string& name) { fs::copy_file(kFixtures / fixture, dir / name); }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    class NoDialogs : public Dialogs {
    public:
        DialogAnswer messageBox(const std::string&, const std::string&, DialogKind) override { return DialogAnswer::No; }
        std::string chooseOpenFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
            return {};
        }
        bool chooseColour(float[3]) override { return false; }
    } noDialogs;
    fs::path dir;
    Model model;
    std::string savedBasepath;
};

} // namespace

TEST_F(ImageFolder, TgaBesideAPngOfTheSameNameWinsAndThePngFillsTheOtherKinds) {
    greyTga(5, 1, 0).writeTo(dir / "models/foo.tga");
    copy("rgb.png", "models/foo.png");
    copy("grey.png", "models/foo_s.png");
    model.lookupTextures(path("models/foo").c_str(), 0);
    ASSERT_TRUE(model.hasDiffuse[0] && model.hasSpecular[0]);
    EXPECT_EQ(model.diffuseImage[0].width, 5);
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Diffuse)], path("models/foo.tga"));
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Specular)], path("models/foo_s.png"));

    fs::remove(dir / "models/foo.tga");
    model.lookupTextures(path("models/foo").c_str(), 0);
    EXPECT_EQ(model.diffuseImage[0].width, 3);
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Diffuse)], path("models/foo.png"));
    // A chosen "x.jpeg" is found under its own name.
    copy("blocks.jpg", "x.jpeg");
    model.lookupTextures(path("x.jpeg").c_str(), 1);
    EXPECT_EQ(model.diffuseImage[1].width, 16);
}

// A TGA under the base path outranks a PNG under the name itself: the TGA rules run everywhere first.
TEST_F(ImageFolder, TgaFoundThroughTheBasepathOutranksAPngUnderTheName) {
    fs::create_directories(dir / "game/base/models");
    fs::create_directories(dir / "base/models");
    greyTga(7, 1, 0).writeTo(dir / "game/base/models/skin_d.tga");
    fs::create_directories(dir / "other");
    copy("rgb.png", "base/models/skin.png");
    copy("rgb.png", "other/skin.png");
    setBasepath(path("game/base") + "/");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    findTextures(model, "base/models/skin", 0);
    findTextures(model, "other/skin", 1);
    fs::current_path(cwd);
    EXPECT_EQ(model.diffuseImage[0].width, 7);
    EXPECT_EQ(model.diffuseImage[1].width, 3) << "with no TGA anywhere the PNG is found";
}

TEST_F(ImageFolder, RgbaPngKeepsItsAlphaInTheNormalMap) {
    copy("rgba.png", "m_local.png");
    model.lookupTextures(path("m").c_str(), 0);
    ASSERT_TRUE(model.hasLocal[0]);
    ASSERT_FALSE(model.normalImage[0].empty());
    TgaImage png;
    ASSERT_EQ(readImage(path("m_local.png"), png), 1);
    EXPECT_EQ(model.normalImage[0][0].pixels, png.pixels) << "a tangent-space map alone is copied, alpha and all";
}

TEST_F(ImageFolder, MaterialPathFromAnotherMachineIsFoundBesideTheModelAndUnderTheBasepath) {
    copy("rgb.png", "models/lower.png");
    fs::create_directories(dir / "data");
    copy("grey.png", "data/upper.png");
    model.meshFolder = path("models") + "/";
    setBasepath(path("data") + "/");
    findTextures(model, "/home/artist/Desktop/Snout/lower.png", 0);
    findTextures(model, "D:\\work\\Snout\\upper.png", 1);
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Diffuse)], path("models/lower.png"));
    EXPECT_EQ(model.textureFile[1][size_t(TextureGroup::Diffuse)], path("data/upper.png"));
    EXPECT_TRUE(model.problems.empty());
}

TEST_F(ImageFolder, MeshTextureSetByHandReplacesOneKindAndRebuildsTheNormalMap) {
    greyTga(2, 2, 0).writeTo(dir / "m.tga");
    copy("rgba.png", "hand_n.png");
    copy("grey.png", "hand_h.png");
    model.lookupTextures(path("m").c_str(), 0);
    ASSERT_TRUE(model.hasDiffuse[0] && model.normalImage[0].empty());
    std::string why;
    ASSERT_TRUE(setMeshTexture(model, 0, TextureGroup::Local, path("hand_n.png"), why)) << why;
    EXPECT_TRUE(model.hasLocal[0] && model.hasDiffuse[0]);
    ASSERT_EQ(model.normalImage[0].size(), 2u);
    const std::vector<uint8_t> localOnly = model.normalImage[0][0].pixels;
    ASSERT_TRUE(setMeshTexture(model, 0, TextureGroup::Height, path("hand_h.png"), why)) << why;
    EXPECT_NE(model.normalImage[0][0].pixels, localOnly) << "the height map joins the tangent-space map";
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Local)], path("hand_n.png"));

    // Refusals leave the mesh as it was.
    const struct {
        int mesh;
        TextureGroup group;
        std::string file;
    } refused[] = {{0, TextureGroup::Diffuse, path("missing.png")},
                   {2, TextureGroup::Diffuse, path("hand_n.png")},
                   {0, TextureGroup::Local, path("hand_h.png")}}; // grey: no normal directions
    for (const auto& r : refused) {
        EXPECT_FALSE(setMeshTexture(model, r.mesh, r.group, r.file, why)) << r.file;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(model.textureFile[0][size_t(TextureGroup::Local)], path("hand_n.png"));
    EXPECT_EQ(model.diffuseImage[0].width, 2);
}

// Read from the scene file, applied once the slot's model is loaded, over what the lookup found.
TEST_F(ImageFolder, SceneMeshTexturesAreAppliedAfterTheModelLoads) {
    std::ofstream(dir / "tri.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl tri\nf 1 2 3\n";
    greyTga(4, 1, 0).writeTo(dir / "tri.tga"); // what the lookup finds for the material
    copy("rgb.png", "hand made.png");
    Scene scene;
    readSceneText(scene, "nummodels 1\nmodel 0\nmodelname \"" + path("tri.obj") + "\"\n" +
                             "meshtexture 0 0 diffuse \"" + path("hand made.png") + "\"\n" +
                             "meshtexture 0 3 specular \"" + path("hand made.png") + "\"\n");
    ASSERT_EQ(scene.meshTextures.size(), 2u);
    loadSceneModels(scene);
    const Model& loaded = *scene.models[0];
    ASSERT_EQ(loaded.numMeshes(), 1);
    EXPECT_EQ(loaded.diffuseImage[0].width, 3);
    EXPECT_EQ(loaded.textureFile[0][size_t(TextureGroup::Diffuse)], path("hand made.png"));
    // The record for a mesh the model lacks is a problem of the model, not a failed load.
    ASSERT_EQ(loaded.problems.size(), 1u);
    EXPECT_NE(loaded.problems[0].message.find("mesh 3"), std::string::npos) << loaded.problems[0].message;
}
