// model/image_reader.h -- the one image reader: TGA, PNG, JPG and BMP, told apart by their
// bytes, all decoded into the TGA layout; no GL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/tga_image.h"

// Larger images are refused before anything is decoded.
constexpr int kMaxImageSide = 16384;

// Decodes an image held in memory into `image`, in the layout readTga gives: bottom row
// first, bytes R, G, B(, A). PNG, JPG and BMP are known by their signatures and decoded to
// 8-bit grey, 24-bit RGB or 32-bit RGBA (grey with alpha becomes RGBA, so the alpha survives);
// anything else is read as a TGA, exactly as readTga reads it. Returns 1 on success; on
// failure 0, `image` empty, and `why` (when given) says what was wrong.
int readImage(const uint8_t* data, size_t size, TgaImage& image, std::string* why = nullptr);

// Reads the file through the game-data path resolution, then decodes it as above.
int readImage(const std::string& fileName, TgaImage& image, std::string* why = nullptr);
