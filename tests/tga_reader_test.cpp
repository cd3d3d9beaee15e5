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

// The encoder's files all store the picture's top row first; only the top-left ones say so in
// the descriptor. Decoding honours the origin bit: top-left files come out bottom row first,
// the others in stored order.
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
        TgaFixture f;
        f.imageType = type;
        f.bitsPerPixel = 8;
        f.colorMapType = 1;
        f.colorMapLength = 1;
        f.colorMapEntryBits = 24;
        f.colorMap = {1, 2, 3};
        f.body = {0, 0};
        EXPECT_EQ(decode(f, image), 0) << int(type);
    }
    if (readBytes(kTgaDir + "palette8.tga").empty()) GTEST_SKIP() << "testdata/tga not found in " << kTgaDir;
    EXPECT_EQ(readTga(kTgaDir + "palette8.tga", image), 0);
    EXPECT_EQ(image.imageType, 1);
    EXPECT_TRUE(image.pixels.empty());
}

TEST(TgaReader, IdFieldAndColourMapAreSkipped) {
    TgaFixture f;
    f.idField = "made by hand";
    f.colorMapType = 1; // a true-colour file may still carry a palette
    f.colorMapLength = 2;
    f.colorMapEntryBits = 15; // two bytes per entry
    f.colorMap = {9, 9, 9, 9};
    f.body = {30, 20, 10}; // B, G, R
    TgaImage image;
    ASSERT_EQ(decode(f, image), 1);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{10, 20, 30}));
}

TEST(TgaReader, TopLeftAndBottomLeftOfOnePictureAreIdentical) {
    // Picture rows: top = red, bottom = green (24-bit, stored B, G, R).
    TgaFixture bottomLeft;
    bottomLeft.width = 1;
    bottomLeft.height = 2;
    bottomLeft.body = {0, 255, 0, 0, 0, 255};
    TgaFixture topLeft = bottomLeft;
    topLeft.descriptor = 0x20;
    topLeft.body = {0, 0, 255, 0, 255, 0};
    TgaImage a, b;
    ASSERT_EQ(decode(bottomLeft, a), 1);
    ASSERT_EQ(decode(topLeft, b), 1);
    EXPECT_EQ(a.pixels, (std::vector<uint8_t>{0, 255, 0, 255, 0, 0}));
    EXPECT_EQ(a.pixels, b.pixels);
}

TEST(TgaReader, RunLengthPacketsRepeatAndCopy) {
    TgaFixture f;
    f.imageType = 10;
    f.width = 6;
    f.bitsPerPixel = 32;
    f.body = {0x82, 1, 2, 3, 4, 0x02, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33};
    TgaImage image;
    ASSERT_EQ(decode(f, image), 1);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 12, 11, 10, 13, 22, 21, 20,
                                                  23, 32, 31, 30, 33}));
}

TEST(TgaReader, RunLengthPacketsOverrunningTheImageAreCut) {
    TgaFixture repeat = greyTga(3, 1, 0);
    repeat.imageType = 11;
    repeat.body = {0xFF, 7}; // 128 pixels asked, 3 fit
    TgaImage image;
    ASSERT_EQ(decode(repeat, image), 1);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{7, 7, 7}));

    TgaFixture raw = repeat;
    raw.body = {0x00, 5, 0x04, 1, 2}; // second raw packet promises 5 pixels, 2 fit, the rest is absent
    ASSERT_EQ(decode(raw, image), 1);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{5, 1, 2}));
}

TEST(TgaReader, FilesShorterThanTheirHeaderSaysFail) {
    TgaFixture plain;
    plain.width = 2;
    plain.height = 2;
    plain.bitsPerPixel = 32;
    plain.body.assign(16, 0x55);
    TgaFixture rle = plain;
    rle.imageType = 10;
    rle.body = {0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12};
    TgaFixture idTooLong = plain;
    idTooLong.idField = "id";
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
    std::vector<uint8_t> shifted = idTooLong.bytes();
    shifted.resize(shifted.size() - 1); // pixel data now one byte short after the ID field
    TgaImage image;
    EXPECT_EQ(readTga(shifted.data(), shifted.size(), image), 0);
}

TEST(TgaReader, HostileSizesFailWithoutAllocating) {
    TgaFixture huge = greyTga(1, 1, 0);
    huge.imageType = 11;
    huge.width = 32767;
    huge.height = 32767;
    huge.bitsPerPixel = 32;
    huge.body = {0xFF, 1, 2, 3, 4};
    TgaImage image;
    EXPECT_EQ(decode(huge, image), 0);

    TgaFixture negative = greyTga(1, 1, 0);
    negative.width = -4;
    EXPECT_EQ(decode(negative, image), 0);
    TgaFixture empty = greyTga(1, 1, 0);
    empty.height = 0;
    EXPECT_EQ(decode(empty, image), 0);
    TgaFixture noBytes = greyTga(1, 1, 0);
    noBytes.bitsPerPixel = 4;
    EXPECT_EQ(decode(noBytes, image), 0);
}
