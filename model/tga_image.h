// model/tga_image.h -- a decoded TGA picture: bottom row first, colour bytes R, G, B(, A).
#pragma once

#include <cstdint>
#include <vector>

struct TgaImage {
    uint8_t imageType = 0; // 2, 3, 10 or 11
    int16_t width = 0;
    int16_t height = 0;
    uint8_t bitsPerPixel = 0;
    std::vector<uint8_t> pixels; // width * height * bitsPerPixel / 8 bytes
};
