// model/image_reader.cpp -- TGA, PNG, JPG and BMP from memory into the TGA layout, and the file
// wrapper; the one place stb_image is compiled. No GL.
#include "model/image_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

#include "base/file_open.h"
#include "base/load_problem.h"
#include "model/tga_reader.h"

// Memory only (files come through the project's own opening, which resolves game-data names),
// and only the formats game data uses. Its warnings stay quiet: it is a system header.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

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

// A Huffman table of more than 256 codes overruns the decoder's fixed arrays, so every byte pair
// that the decoder could take as a "define Huffman table" marker is checked first, as the decoder
// would read the tables there. Looking at every position, not only where segments start, keeps
// the check from depending on how the decoder walks a damaged file.
bool jpegHuffmanTablesFit(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 4 <= size; ++at) {
        if (data[at] != 0xFF || data[at + 1] != 0xC4) continue;
        long left = long((data[at + 2] << 8) | data[at + 3]) - 2;
        size_t p = at + 4;
        // The decoder reads zeros past the end of the data, and so does this.
        auto byte = [&](size_t i) { return i < size ? data[i] : uint8_t(0); };
        while (left > 0 && p < size) {
            const uint8_t q = byte(p);
            if ((q >> 4) > 1 || (q & 15) > 3) break; // the decoder refuses the file here
            int codes = 0;
            for (size_t i = 1; i <= 16; ++i) codes += byte(p + i);
            if (codes > 256) return false;
            p += 17 + size_t(codes);
            left -= 17 + codes;
        }
    }
    return true;
}

// The decoder copies an empty image-data chunk to a null buffer before it has any. Every place
// where such a chunk header could stand is checked, as for the Huffman tables above.
bool pngHasEmptyImageData(const uint8_t* data, size_t size) {
    static const uint8_t emptyIdat[8] = {0, 0, 0, 0, 'I', 'D', 'A', 'T'};
    return std::search(data, data + size, std::begin(emptyIdat), std::end(emptyIdat)) != data + size;
}

int readWithStb(const uint8_t* data, size_t size, Signature format, TgaImage& image, std::string* why) {
    const std::string name = formatName(format);
    if (size > size_t(INT_MAX)) return refuse(image, why, name + " file too large to decode");
    const int length = static_cast<int>(size);
    if (format == Signature::Jpeg && !jpegHuffmanTablesFit(data, size))
        return refuse(image, why, "JPG image not readable (a Huffman table of more than 256 codes)");
    if (format == Signature::Png && pngHasEmptyImageData(data, size))
        return refuse(image, why, "PNG image not readable (an empty image data chunk)");
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
