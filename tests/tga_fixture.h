// tests/tga_fixture.h -- builds small TGA files in memory for the texture tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

struct TgaFixture {
    uint8_t imageType = 2;
    int width = 1;
    int height = 1;
    uint8_t bitsPerPixel = 24;
    uint8_t descriptor = 0;
    std::string idField;
    uint8_t colorMapType = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntryBits = 0;
    std::vector<uint8_t> colorMap;
    std::vector<uint8_t> body; // pixel data exactly as stored in the file

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out = {uint8_t(idField.size()), colorMapType, imageType, 0, 0,
                                    uint8_t(colorMapLength & 0xFF), uint8_t(colorMapLength >> 8), colorMapEntryBits,
                                    0, 0, 0, 0, uint8_t(width & 0xFF), uint8_t((width >> 8) & 0xFF),
                                    uint8_t(height & 0xFF), uint8_t((height >> 8) & 0xFF), bitsPerPixel, descriptor};
        out.insert(out.end(), idField.begin(), idField.end());
        out.insert(out.end(), colorMap.begin(), colorMap.end());
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }

    void writeTo(const std::filesystem::path& path) const {
        std::vector<uint8_t> b = bytes();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
};

// A w x h file of the given type and depth whose pixel data is `body`.
inline TgaFixture tgaOf(uint8_t type, int w, int h, uint8_t bits, std::vector<uint8_t> body) {
    TgaFixture t;
    t.imageType = type;
    t.width = w;
    t.height = h;
    t.bitsPerPixel = bits;
    t.body = std::move(body);
    return t;
}

// A w x h uncompressed 8-bit grey file whose every pixel is `value`.
inline TgaFixture greyTga(int w, int h, uint8_t value) { return tgaOf(3, w, h, 8, std::vector<uint8_t>(size_t(w) * size_t(h), value)); }
