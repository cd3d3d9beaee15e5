// model/image_reader.cpp -- TGA, PNG, JPG and BMP from memory into the TGA layout, and the file
// wrapper; the one place stb_image is compiled. No GL.
#include "model/image_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/file_open.h"
#include "base/load_problem.h"
#include "model/tga_reader.h"

// Memory only (files come through the project's own opening, which resolves game-data names),
// and only the formats game data uses.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_NO_FAILURE_STRINGS_FOR_USERS
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wtype-limits"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

enum class Signature { Tga, Png, Jpeg, Bmp };

// TGA has no signature of its own: whatever is not one of the others is offered to readTga.
Signature signatureOf(const uint8_t* data, size_t size) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && memcmp(data, png, 8) == 0) return Signature::Png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return Signature::Jpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return Signature::Bmp;
    return Signature::Tga;
}

const char* formatName(Signature s) {
    switch (s) {
    case Signature::Png: return "PNG";
    case Signature::Jpeg: return "JPG";
    case Signature::Bmp: return "BMP";
    case Signature::Tga: break;
    }
    return "TGA";
}

int refuse(TgaImage& image, std::string* why, std::string reason) {
    freeTgaImage(image);
    if (why) *why = std::move(reason);
    return 0;
}

std::string tooLarge(const char* format, int width, int height) {
    return std::string(format) + " image of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, larger than " + std::to_string(kMaxImageSide) + " pixels a side";
}

// The TGA header's width and height (signed 16-bit, little-endian at bytes 12 and 14).
bool tgaTooLarge(const uint8_t* data, size_t size, int& width, int& height) {
    if (size < 18) return false;
    width = int16_t(uint16_t(data[12] | (data[13] << 8)));
    height = int16_t(uint16_t(data[14] | (data[15] << 8)));
    return width > kMaxImageSide || height > kMaxImageSide;
}

// stb's rows go down from the top, the layout's go up from the bottom; grey with alpha
// becomes RGBA so that the alpha reaches the normal map.
void storeDecoded(const stbi_uc* decoded, int width, int height, int channels, TgaImage& image) {
    const size_t outChannels = channels == 2 ? 4 : size_t(channels);
    const size_t inRow = size_t(width) * size_t(channels), outRow = size_t(width) * outChannels;
    image.pixels.resize(outRow * size_t(height));
    for (size_t y = 0; y < size_t(height); ++y) {
        const stbi_uc* in = decoded + (size_t(height) - 1 - y) * inRow;
        uint8_t* out = image.pixels.data() + y * outRow;
        if (channels != 2) {
            memcpy(out, in, inRow);
            continue;
        }
        for (size_t x = 0; x < size_t(width); ++x, in += 2, out += 4) {
            out[0] = out[1] = out[2] = in[0];
            out[3] = in[1];
        }
    }
    image.imageType = channels == 1 ? 3 : 2;
    image.width = static_cast<int16_t>(width);
    image.height = static_cast<int16_t>(height);
    image.bitsPerPixel = static_cast<uint8_t>(outChannels * 8);
}

int readWithStb(const uint8_t* data, size_t size, Signature format, TgaImage& image, std::string* why) {
    const std::string name = formatName(format);
    if (size > size_t(INT_MAX)) return refuse(image, why, name + " file too large to decode");
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return refuse(image, why, name + " image not readable (" + stbi_failure_reason() + ")");
    if (width > kMaxImageSide || height > kMaxImageSide)
        return refuse(image, why, tooLarge(name.c_str(), width, height));
    stbi_uc* decoded = stbi_load_from_memory(data, length, &width, &height, &channels, 0);
    if (!decoded) return refuse(image, why, name + " image not readable (" + stbi_failure_reason() + ")");
    freeTgaImage(image);
    // The header may promise another shape than the data gives; the decoded size is what counts.
    if (width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide && channels >= 1 && channels <= 4)
        storeDecoded(decoded, width, height, channels, image);
    stbi_image_free(decoded);
    if (image.pixels.empty()) return refuse(image, why, name + " image of an unusable shape");
    return 1;
}

} // namespace

int readImage(const uint8_t* data, size_t size, TgaImage& image, std::string* why) {
    if (!data) size = 0;
    const Signature format = signatureOf(data, size);
    if (format != Signature::Tga) return readWithStb(data, size, format, image, why);
    int width = 0, height = 0;
    if (tgaTooLarge(data, size, width, height)) return refuse(image, why, tooLarge("TGA", width, height));
    if (readTga(data, size, image)) return 1;
    return refuse(image, why, "not a PNG, JPG or BMP image, nor a TGA of type 2, 3, 10 or 11 with all its pixels");
}

int readImage(const std::string& fileName, TgaImage& image, std::string* why) {
    std::string bytes;
    if (!readWholeFile(fileName, bytes)) return refuse(image, why, "not readable (" + systemReason() + ")");
    return readImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, why);
}
