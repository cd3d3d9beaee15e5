// tools/demo/image.h -- an 8-bit picture in memory, bottom row first, and its TGA writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator*(Color a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Color mixColor(Color a, Color b, float t) { return a + (b + a * -1.0f) * t; }

// Row 0 is the bottom row, as a TGA with a bottom-left origin stores it; colour
// bytes are R, G, B (one grey byte for single-channel pictures).
struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<uint8_t> bytes;

    Image() = default;
    Image(int w, int h, int c) : width(w), height(h), channels(c), bytes(static_cast<size_t>(w * h * c), 0) {}
    void set(int x, int y, Color c);
    void setGrey(int x, int y, float v);
};

enum class TgaStorage { Plain, RunLength };

// Writes `image` as an uncompressed (type 2 or 3) or run-length (type 10 or 11) TGA with
// its origin at the bottom left. False when the file cannot be written.
bool writeTga(const std::string& path, const Image& image, TgaStorage storage);

// The bytes writeTga would write; tests and the writer share them.
std::vector<uint8_t> encodeTga(const Image& image, TgaStorage storage);

} // namespace demo
