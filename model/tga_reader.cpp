// model/tga_reader.cpp -- TGA decoding from memory, and its file wrapper; no GL.
#include "model/tga_reader.h"

#include <algorithm>
#include <cstring>

#include "base/file_open.h"

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kTopLeftOrigin = 0x20;

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntryBits = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t descriptor = 0;
};

uint16_t readLittle16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

TgaHeader parseHeader(const uint8_t* p) {
    TgaHeader h;
    h.idLength = p[0];
    h.colorMapType = p[1];
    h.imageType = p[2];
    // p[3..4] first colour-map index: not needed to skip the map.
    h.colorMapLength = readLittle16(p + 5);
    h.colorMapEntryBits = p[7];
    // p[8..11] x and y origin: not used.
    h.width = static_cast<int16_t>(readLittle16(p + 12));
    h.height = static_cast<int16_t>(readLittle16(p + 14));
    h.bitsPerPixel = p[16];
    h.descriptor = p[17];
    return h;
}

bool isSupportedType(uint8_t type) { return type == 2 || type == 3 || type == 10 || type == 11; }
bool isRunLength(uint8_t type) { return type == 10 || type == 11; }

// Where the pixel data starts: after the header, the image ID field and the colour map
// (a true-colour file may still carry one; its entries are whole bytes each).
size_t pixelDataOffset(const TgaHeader& h) {
    size_t offset = kHeaderSize + h.idLength;
    if (h.colorMapType == 1) offset += size_t(h.colorMapLength) * ((h.colorMapEntryBits + 7u) / 8u);
    return offset;
}

// Copies exactly out.size() bytes; false when the input holds fewer.
bool readRaw(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    if (size < out.size()) return false;
    if (!out.empty()) memcpy(out.data(), data, out.size());
    return true;
}

// Run-length decoding until `out` is full. A packet that runs past the end of the image
// is cut there. False when the input ends first.
bool readRunLength(const uint8_t* data, size_t size, size_t bytesPerPixel, std::vector<uint8_t>& out) {
    size_t in = 0;
    size_t produced = 0;
    while (produced < out.size()) {
        if (in >= size) return false;
        uint8_t header = data[in++];
        size_t count = size_t(header & 0x7F) + 1;
        size_t bytes = std::min(count * bytesPerPixel, out.size() - produced);
        if (header & 0x80) {
            if (size - in < bytesPerPixel) return false;
            for (size_t b = 0; b < bytes; ++b) out[produced + b] = data[in + b % bytesPerPixel];
            in += bytesPerPixel;
        } else {
            if (size - in < bytes) return false;
            memcpy(&out[produced], data + in, bytes);
            in += count * bytesPerPixel; // past the whole packet, even when cut
        }
        produced += bytes;
    }
    return true;
}

// Each packet takes at least 1 + bytesPerPixel input bytes and gives at most 128 pixels:
// refuse before allocating when the input cannot possibly fill the image.
bool runLengthCanFill(size_t available, size_t bytesPerPixel, size_t pixelCount) {
    size_t packets = available / (1 + bytesPerPixel);
    return pixelCount <= packets * 128;
}

void swapRedAndBlue(std::vector<uint8_t>& pixels, size_t bytesPerPixel) {
    for (size_t i = 0; i + bytesPerPixel <= pixels.size(); i += bytesPerPixel) std::swap(pixels[i], pixels[i + 2]);
}

void flipRows(std::vector<uint8_t>& pixels, size_t rowBytes, size_t rows) {
    for (size_t y = 0; y < rows / 2; ++y)
        std::swap_ranges(pixels.begin() + long(y * rowBytes), pixels.begin() + long((y + 1) * rowBytes),
                         pixels.begin() + long((rows - 1 - y) * rowBytes));
}

} // namespace

void freeTgaImage(TgaImage& image) {
    image.pixels.clear();
    image.pixels.shrink_to_fit();
    image.imageType = 0;
    image.width = 0;
    image.height = 0;
    image.bitsPerPixel = 0;
}

int readTga(const uint8_t* data, size_t size, TgaImage& image) {
    freeTgaImage(image);
    if (!data || size < kHeaderSize) return 0;
    TgaHeader h = parseHeader(data);
    image.imageType = h.imageType;
    image.width = h.width;
    image.height = h.height;
    image.bitsPerPixel = h.bitsPerPixel;
    if (!isSupportedType(h.imageType)) return 0;
    size_t bytesPerPixel = h.bitsPerPixel / 8u;
    if (h.width <= 0 || h.height <= 0 || bytesPerPixel == 0) return 0;

    size_t offset = pixelDataOffset(h);
    if (offset > size) return 0;
    const uint8_t* body = data + offset;
    size_t available = size - offset;
    size_t pixelCount = size_t(h.width) * size_t(h.height);
    size_t imageBytes = pixelCount * bytesPerPixel;
    bool runLength = isRunLength(h.imageType);
    if (runLength ? !runLengthCanFill(available, bytesPerPixel, pixelCount) : available < imageBytes) return 0;

    std::vector<uint8_t> pixels(imageBytes);
    bool complete = runLength ? readRunLength(body, available, bytesPerPixel, pixels) : readRaw(body, available, pixels);
    if (!complete) return 0;

    if (bytesPerPixel == 3 || bytesPerPixel == 4) swapRedAndBlue(pixels, bytesPerPixel);
    if (h.descriptor & kTopLeftOrigin) flipRows(pixels, size_t(h.width) * bytesPerPixel, size_t(h.height));
    image.pixels = std::move(pixels);
    return 1;
}

int readTga(const std::string& fileName, TgaImage& image) {
    std::string bytes;
    if (!readWholeFile(fileName, bytes)) {
        freeTgaImage(image);
        return 0;
    }
    return readTga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
}
