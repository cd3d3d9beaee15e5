// tools/demo/image.cpp -- pixel access and TGA encoding for the demo's textures.
#include "tools/demo/image.h"

#include <cstdio>
#include <cstring>

namespace demo {

namespace {

uint8_t toByte(float v) {
    if (!(v > 0)) return 0;
    if (v >= 1) return 255;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

// Pixel i in file order: B, G, R(, A) for colour, the grey byte otherwise.
void appendFilePixel(const Image& image, size_t i, std::vector<uint8_t>& out) {
    const uint8_t* p = &image.bytes[i * static_cast<size_t>(image.channels)];
    if (image.channels == 1) {
        out.push_back(p[0]);
        return;
    }
    out.push_back(p[2]);
    out.push_back(p[1]);
    out.push_back(p[0]);
    if (image.channels == 4) out.push_back(p[3]);
}

bool samePixel(const Image& image, size_t a, size_t b) {
    size_t n = static_cast<size_t>(image.channels);
    return std::memcmp(&image.bytes[a * n], &image.bytes[b * n], n) == 0;
}

// Packets never cross a row end, as the format asks of careful writers.
void appendRunLengthRow(const Image& image, size_t rowStart, size_t count, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && samePixel(image, rowStart + i, rowStart + i + run)) ++run;
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            appendFilePixel(image, rowStart + i, out);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < count && raw < 128 &&
               !(i + raw + 1 < count && samePixel(image, rowStart + i + raw, rowStart + i + raw + 1)))
            ++raw;
        out.push_back(static_cast<uint8_t>(raw - 1));
        for (size_t k = 0; k < raw; ++k) appendFilePixel(image, rowStart + i + k, out);
        i += raw;
    }
}

} // namespace

void Image::set(int x, int y, Color c) {
    uint8_t* p = &bytes[static_cast<size_t>((y * width + x) * channels)];
    if (channels == 1) {
        p[0] = toByte((c.r + c.g + c.b) / 3.0f);
        return;
    }
    p[0] = toByte(c.r);
    p[1] = toByte(c.g);
    p[2] = toByte(c.b);
    if (channels == 4) p[3] = 255;
}

void Image::setGrey(int x, int y, float v) {
    uint8_t* p = &bytes[static_cast<size_t>((y * width + x) * channels)];
    for (int k = 0; k < channels && k < 3; ++k) p[k] = toByte(v);
    if (channels == 4) p[3] = 255;
}

std::vector<uint8_t> encodeTga(const Image& image, TgaStorage storage) {
    const bool grey = image.channels == 1;
    const bool rle = storage == TgaStorage::RunLength;
    uint8_t header[18] = {0};
    header[2] = static_cast<uint8_t>(grey ? (rle ? 11 : 3) : (rle ? 10 : 2));
    header[12] = static_cast<uint8_t>(image.width & 0xFF);
    header[13] = static_cast<uint8_t>(image.width >> 8);
    header[14] = static_cast<uint8_t>(image.height & 0xFF);
    header[15] = static_cast<uint8_t>(image.height >> 8);
    header[16] = static_cast<uint8_t>(image.channels * 8);
    header[17] = static_cast<uint8_t>(image.channels == 4 ? 8 : 0); // alpha bits; bottom-left origin
    std::vector<uint8_t> out(header, header + 18);
    const size_t w = static_cast<size_t>(image.width);
    for (size_t y = 0; y < static_cast<size_t>(image.height); ++y) {
        if (rle) {
            appendRunLengthRow(image, y * w, w, out);
        } else {
            for (size_t x = 0; x < w; ++x) appendFilePixel(image, y * w + x, out);
        }
    }
    return out;
}

bool writeTga(const std::string& path, const Image& image, TgaStorage storage) {
    std::vector<uint8_t> data = encodeTga(image, storage);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

} // namespace demo
