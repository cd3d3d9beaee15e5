// model/tga_reader.h -- uncompressed and run-length TGA, the format the image reader falls back on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/tga_image.h"

// Decodes a TGA held in memory into `image`: types 2 and 10 (true colour) and 3 and 11
// (grey), any depth of whole bytes, bottom row first whatever the file's origin, colour
// bytes R, G, B(, A). The image ID field and any colour-map data are skipped. Returns 1
// on success; 0 for another type (colour-mapped included), a zero or negative size, fewer
// than 8 bits per pixel, or a file shorter than its header promises. On failure `image`
// keeps the header fields read and holds no pixels.
int readTga(const uint8_t* data, size_t size, TgaImage& image);

// Reads the file through the game-data path resolution, then decodes it as above.
// Returns 0 as well when the file cannot be opened.
int readTga(const std::string& fileName, TgaImage& image);

// Frees the pixels and zeroes every field.
void freeTgaImage(TgaImage& image);
