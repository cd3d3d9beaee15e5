// tests/normal_map_test.cpp -- normal maps from height and tangent-space maps, and their mip levels.
#include <gtest/gtest.h>

#include <tuple>

#include "model/normal_map.h"

namespace {

TgaImage makeImage(int w, int h, int bits, std::vector<uint8_t> pixels) {
    TgaImage image;
    image.imageType = bits == 8 ? 3 : 2;
    image.width = int16_t(w), image.height = int16_t(h), image.bitsPerPixel = uint8_t(bits);
    image.pixels = std::move(pixels);
    return image;
}

TgaImage fromHeight(const TgaImage& height) { return buildNormalMap(NormalMapSources{&height}); }

using Texel = std::vector<uint8_t>;

Texel texel(const TgaImage& image, int x, int y) {
    auto at = image.pixels.begin() + long((size_t(y) * size_t(image.width) + size_t(x)) * 4);
    return Texel(at, at + 4);
}

} // namespace

// One raised texel at (0,0) of a 2 x 2 map, worked out by hand with bump strength 7:
// (0,0): dx = dy = 7 -> (7, -7, 1)/sqrt(99); (1,0): dx = -7 -> (-7, 0, 1)/sqrt(50);
// (0,1): its upper neighbour wraps to (0,0), dy = -7 -> (0, 7, 1)/sqrt(50); (1,1): flat.
TEST(NormalMap, HeightDifferencesWrapAndEncodeByTruncation) {
    TgaImage h = makeImage(2, 2, 8, {255, 0, 0, 0});
    TgaImage n = fromHeight(h);
    ASSERT_EQ(std::make_tuple(n.width, n.height, n.bitsPerPixel), std::make_tuple(int16_t(2), int16_t(2), uint8_t(32)));
    EXPECT_EQ(texel(n, 0, 0), (Texel{217, 38, 140, 255}));
    EXPECT_EQ(texel(n, 1, 0), (Texel{2, 128, 145, 255}));
    EXPECT_EQ(texel(n, 0, 1), (Texel{128, 253, 145, 255}));
    EXPECT_EQ(texel(n, 1, 1), (Texel{128, 128, 255, 255}));

    // The same heights as colour: (R + G + B) / 765.
    TgaImage rgb = makeImage(2, 2, 24, {255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(fromHeight(rgb).pixels, n.pixels);
}

TEST(NormalMap, TangentSpaceMapTiltsTheHeightNormal) {
    TgaImage h = makeImage(2, 1, 8, {50, 50});
    // (255,128,255) adds (1, 0) to n = (0, 0, 1); black marks "no normal".
    TgaImage l = makeImage(2, 1, 24, {255, 128, 255, 0, 0, 0});
    TgaImage n = buildNormalMap(NormalMapSources{&h, &l});
    EXPECT_EQ(texel(n, 0, 0), (Texel{217, 128, 217, 255}));
    EXPECT_EQ(texel(n, 1, 0), (Texel{128, 128, 128, 255}));
    TgaImage alone = makeImage(2, 1, 24, {1, 2, 3, 4, 5, 6}); // without a height map it is copied
    EXPECT_EQ(buildNormalMap(NormalMapSources{nullptr, &alone}).pixels, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
    EXPECT_TRUE(buildNormalMap(NormalMapSources{}).pixels.empty());
}

TEST(NormalMap, AlphaComesFromDiffuseThenLocalThenHeight) {
    TgaImage h = makeImage(4, 2, 32, std::vector<uint8_t>(32, 9)); // alpha 9 everywhere
    TgaImage l = makeImage(4, 2, 32, {});
    for (int i = 0; i < 8; ++i) l.pixels.insert(l.pixels.end(), {128, 128, 128, 5});
    // A 2 x 1 diffuse image scaled onto 4 x 2: x 0..1 -> alpha 100, x 2..3 -> alpha 200.
    TgaImage d = makeImage(2, 1, 32, {0, 0, 0, 100, 0, 0, 0, 200});
    NormalMapSources s{&h};
    EXPECT_EQ(texel(buildNormalMap(s), 1, 1)[3], 9);
    s.local = &l;
    EXPECT_EQ(texel(buildNormalMap(s), 1, 1)[3], 5);
    s.diffuse = &d;
    TgaImage n = buildNormalMap(s);
    EXPECT_EQ(texel(n, 1, 1)[3], 100);
    EXPECT_EQ(texel(n, 2, 0)[3], 200);
}

// Two normals tilted +x and two tilted -x: averaging would shorten them to z = 0.70 (217);
// renormalising gives straight up again.
TEST(NormalMipLevel, BlocksAreRenormalisedAndAlphaAveraged) {
    std::vector<uint8_t> src = {217, 128, 217, 10, 39, 128, 217, 20, 39, 128, 217, 30, 217, 128, 217, 41};
    EXPECT_EQ(buildNormalMipLevel(2, 2, src), (std::vector<uint8_t>{128, 128, 255, 25}));

    // Opposite normals cancel: the sum is too short to normalise and encodes as zero.
    std::vector<uint8_t> cancel = {255, 128, 128, 0, 1, 128, 128, 0, 255, 128, 128, 0, 1, 128, 128, 0};
    EXPECT_EQ(buildNormalMipLevel(2, 2, cancel), (std::vector<uint8_t>{128, 128, 128, 0}));

    // Odd sizes stay inside, a size mismatch is refused; the chain's sizes: the texture upload test.
    EXPECT_EQ(buildNormalMipLevel(3, 3, std::vector<uint8_t>(3 * 3 * 4, 128)).size(), 4u);
    EXPECT_TRUE(buildNormalMipLevel(2, 2, std::vector<uint8_t>(3 * 3 * 4, 128)).empty());
}
