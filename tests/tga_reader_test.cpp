// tests/tga_reader_test.cpp -- TGA decoding: real encoder output, origins, run-length packets, bad files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "model/tga_reader.h"
#include "tests/tga_fixture.h"

namespace {

const std::string kTgaDir = std::string(OSTRELLE_TESTDATA_DIR) + "/tga/";

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> flipRows(const std::vector<uint8_t>& pixels, size_t rowBytes) {
    std::vector<uint8_t> out;
    for (size_t row = pixels.size() / rowBytes; row-- > 0;)
        out.insert(out.end(), pixels.begin() + long(row * rowBytes), pixels.begin() + long((row + 1) * rowBytes));
    return out;
}

int decode(const TgaFixture& f, TgaImage& image) {
    std::vector<uint8_t> b = f.bytes();
    return readTga(b.data(), b.size(), image);
}

} // namespace

// The encoder stores the top row first but only top-left files say so; decoding honours the origin bit.
TEST(TgaReader, RealVariantsDecodeToReferencePixels) {
    std::vector<uint8_t> rgb = readBytes(kTgaDir + "reference_64x48_top_row_first.rgb");
    std::vector<uint8_t> rgba = readBytes(kTgaDir + "reference_64x48_top_row_first.rgba");
    if (rgb.size() != 64 * 48 * 3 || rgba.size() != 64 * 48 * 4) GTEST_SKIP() << "testdata/tga not found in " << kTgaDir;
    struct Case {
        const char* file;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"rgb24.tga", rgb},
        {"rgb24_idfield.tga", rgb},
        {"rgb24_rle.tga", rgb},
        {"rgb24_topleft.tga", flipRows(rgb, 64 * 3)},
        {"rgb24_rle_topleft_id.tga", flipRows(rgb, 64 * 3)},
        {"rgba32.tga", rgba},
        {"rgba32_rle.tga", rgba},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TgaImage image;
        ASSERT_EQ(readTga(kTgaDir + c.file, image), 1);
        EXPECT_EQ(image.width, 64);
        EXPECT_EQ(image.height, 48);
        EXPECT_TRUE(image.pixels == c.expected);
    }
}

// Grey is one byte per pixel: the encoder's luminance of the reference colour.
TEST(TgaReader, RealGreyIsOneLuminanceBytePerPixel) {
    std::vector<uint8_t> rgb = readBytes(kTgaDir + "reference_64x48_top_row_first.rgb");
    if (rgb.size() != 64 * 48 * 3) GTEST_SKIP() << "testdata/tga not found in " << kTgaDir;
    for (const char* file : {"gray8.tga", "gray8_rle.tga"}) {
        SCOPED_TRACE(file);
        TgaImage image;
        ASSERT_EQ(readTga(kTgaDir + file, image), 1);
        ASSERT_EQ(image.pixels.size(), 64u * 48u);
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            float luma = 0.2126f * rgb[3 * i] + 0.7152f * rgb[3 * i + 1] + 0.0722f * rgb[3 * i + 2];
            ASSERT_NEAR(image.pixels[i], luma, 1.0f) << "pixel " << i;
        }
    }
}

// Types 1 and 9 (colour-mapped, plain and run-length) are refused; so is a missing file.
TEST(TgaReader, ColourMappedAndMissingFilesAreRefused) {
    TgaImage image;
    EXPECT_EQ(readTga(std::string("/nonexistent/none.tga"), image), 0);
    for (uint8_t type : {uint8_t(1), uint8_t(9)}) {
        TgaFixture f = tgaOf(type, 1, 1, 8, {0, 0});
        f.colorMapType = 1;
        f.colorMapLength = 1;
        f.colorMapEntryBits = 24;
        f.colorMap = {1, 2, 3};
        EXPECT_EQ(decode(f, image), 0) << int(type);
    }
    if (readBytes(kTgaDir + "palette8.tga").empty()) GTEST_SKIP() << "testdata/tga not found in " << kTgaDir;
    EXPECT_EQ(readTga(kTgaDir + "palette8.tga", image), 0);
    EXPECT_EQ(image.imageType, 1);
    EXPECT_TRUE(image.pixels.empty());
}

// Small files decode to the expected pixels (always R, G, B[, A]).
TEST(TgaReader, HandMadeFilesDecode) {
    TgaFixture withIdAndMap = tgaOf(2, 1, 1, 24, {30, 20, 10}); // B, G, R
    withIdAndMap.idField = "made by hand";
    withIdAndMap.colorMapType = 1; // a true-colour file may still carry a palette: skipped
    withIdAndMap.colorMapLength = 2;
    withIdAndMap.colorMapEntryBits = 15; // two bytes per entry
    withIdAndMap.colorMap = {9, 9, 9, 9};
    // One picture, top row red, bottom row green, stored bottom-left and top-left: identical output.
    TgaFixture topLeft = tgaOf(2, 1, 2, 24, {0, 0, 255, 0, 255, 0});
    topLeft.descriptor = 0x20;
    TgaFixture repeatCut = tgaOf(11, 3, 1, 8, {0xFF, 7}); // 128 pixels asked, 3 fit
    TgaFixture rawCut = tgaOf(11, 3, 1, 8, {0x00, 5, 0x04, 1, 2}); // 5 promised, 2 fit, the rest absent
    const struct {
        const char* what;
        TgaFixture file;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {"ID field and colour map", withIdAndMap, {10, 20, 30}},
        {"bottom-left", tgaOf(2, 1, 2, 24, {0, 255, 0, 0, 0, 255}), {0, 255, 0, 255, 0, 0}},
        {"top-left", topLeft, {0, 255, 0, 255, 0, 0}},
        {"run-length repeat and copy",
         tgaOf(10, 6, 1, 32, {0x82, 1, 2, 3, 4, 0x02, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33}),
         {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 12, 11, 10, 13, 22, 21, 20, 23, 32, 31, 30, 33}},
        {"repeat packet past the end", repeatCut, {7, 7, 7}},
        {"raw packet past the end", rawCut, {5, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TgaImage image;
        ASSERT_EQ(decode(c.file, image), 1);
        EXPECT_EQ(image.pixels, c.pixels);
    }
}

TEST(TgaReader, FilesShorterThanTheirHeaderSaysFail) {
    const TgaFixture plain = tgaOf(2, 2, 2, 32, std::vector<uint8_t>(16, 0x55));
    const TgaFixture rle = tgaOf(10, 2, 2, 32, {0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12});
    for (const TgaFixture* f : {&plain, &rle}) {
        std::vector<uint8_t> whole = f->bytes();
        TgaImage image;
        ASSERT_EQ(readTga(whole.data(), whole.size(), image), 1);
        for (size_t len = 0; len < whole.size(); ++len) {
            // A copy of exactly `len` bytes, so that the sanitizer sees any read past it.
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(len));
            EXPECT_EQ(readTga(cut.data(), cut.size(), image), 0) << "length " << len;
            EXPECT_TRUE(image.pixels.empty());
        }
    }
    TgaFixture idTooLong = plain;
    idTooLong.idField = "id";
    std::vector<uint8_t> shifted = idTooLong.bytes();
    shifted.resize(shifted.size() - 1); // pixel data now one byte short after the ID field
    TgaImage image;
    EXPECT_EQ(readTga(shifted.data(), shifted.size(), image), 0);
}

TEST(TgaReader, HostileSizesFailWithoutAllocating) {
    const TgaFixture cases[] = {tgaOf(11, 32767, 32767, 32, {0xFF, 1, 2, 3, 4}), tgaOf(3, -4, 1, 8, {0}),
                                tgaOf(3, 1, 0, 8, {0}), tgaOf(3, 1, 1, 4, {0})};
    for (const TgaFixture& f : cases) {
        TgaImage image;
        EXPECT_EQ(decode(f, image), 0) << f.width << " x " << f.height << " x " << int(f.bitsPerPixel);
    }
}
