// model/tga_image.h -- a decoded picture of any format in the TGA layout: bottom row first, R, G, B(, A).
#pragma once

#include <cstdint>
#include <vector>

struct TgaImage {
    uint8_t imageType = 0; // 2, 3, 10 or 11 (PNG, JPG and BMP: 2 for colour, 3 for grey)
    int16_t width = 0;
    int16_t height = 0;
    uint8_t bitsPerPixel = 0;
    std::vector<uint8_t> pixels; // width * height * bitsPerPixel / 8 bytes
};
