// model/normal_map.cpp -- normal maps from height and tangent-space maps, and their mip levels; no GL.
#include "model/normal_map.h"

#include <algorithm>
#include <cmath>

namespace {

size_t bytesPerPixel(const TgaImage& image) { return image.bitsPerPixel / 8u; }

const uint8_t* pixelAt(const TgaImage& image, int x, int y) {
    return &image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * bytesPerPixel(image)];
}

bool isWhole(const TgaImage& image) {
    return image.width > 0 && image.height > 0 && bytesPerPixel(image) > 0 &&
           image.pixels.size() >= size_t(image.width) * size_t(image.height) * bytesPerPixel(image);
}

bool isColour(const TgaImage* image) {
    return image && isWhole(*image) && (image->bitsPerPixel == 24 || image->bitsPerPixel == 32);
}

bool has32Bits(const TgaImage* image) { return image && isWhole(*image) && image->bitsPerPixel == 32; }

bool sameSize(const TgaImage& a, const TgaImage& b) { return a.width == b.width && a.height == b.height; }

// Height in 0..1: the grey value, or the mean of R, G and B. Two-byte pixels (a depth the
// height map does not support) read as flat.
float heightAt(const TgaImage& h, int x, int y) {
    const uint8_t* p = pixelAt(h, x, y);
    size_t bytes = bytesPerPixel(h);
    if (bytes == 1) return p[0] / 255.0f;
    if (bytes >= 3) return (p[0] + p[1] + p[2]) / 765.0f;
    return 0.0f;
}

// trunc(127 n + 128); the clamp only guards against rounding just past unit length.
uint8_t encode(float component) {
    return static_cast<uint8_t>(std::clamp(static_cast<int>(127.0f * component + 128.0f), 0, 255));
}

float decode(uint8_t byte) { return (byte - 128) / 127.0f; }

// The diffuse alpha scaled to the normal map's size (nearest texel).
uint8_t diffuseAlpha(const TgaImage& diffuse, int x, int y, int width, int height) {
    int dx = int(diffuse.width) * x / width;
    int dy = int(diffuse.height) * y / height;
    return pixelAt(diffuse, dx, dy)[3];
}

TgaImage emptyRgba(int width, int height) {
    TgaImage out;
    out.imageType = 2;
    out.width = static_cast<int16_t>(width);
    out.height = static_cast<int16_t>(height);
    out.bitsPerPixel = 32;
    out.pixels.assign(size_t(width) * size_t(height) * 4, 0);
    return out;
}

void normalFromHeight(const TgaImage& h, int x, int y, float n[3]) {
    int w = h.width, hh = h.height;
    float h0 = heightAt(h, x, y);
    float dx = kBumpStrength * (h0 - heightAt(h, (x + 1) % w, y));
    float dy = kBumpStrength * (h0 - heightAt(h, x, (y + 1) % hh));
    float len = std::sqrt(dx * dx + dy * dy + 1.0f);
    n[0] = dx / len;
    n[1] = -dy / len;
    n[2] = 1.0f / len;
}

// Tilts n by the tangent-space texel; an all-black texel marks "no normal" and gives zero.
void addLocalNormal(const uint8_t* l, float n[3]) {
    if (l[0] == 0 && l[1] == 0 && l[2] == 0) {
        n[0] = n[1] = n[2] = 0.0f;
        return;
    }
    n[0] += decode(l[0]);
    n[1] += decode(l[1]);
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int i = 0; i < 3; ++i) n[i] /= len;
}

TgaImage fromHeight(const TgaImage& h, const NormalMapSources& s) {
    int w = h.width, hh = h.height;
    TgaImage out = emptyRgba(w, hh);
    bool useLocal = isColour(s.local) && sameSize(*s.local, h);
    bool localAlpha = useLocal && s.local->bitsPerPixel == 32;
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < w; ++x) {
            float n[3];
            normalFromHeight(h, x, y, n);
            if (useLocal) addLocalNormal(pixelAt(*s.local, x, y), n);
            uint8_t* t = &out.pixels[(size_t(y) * size_t(w) + size_t(x)) * 4];
            for (int i = 0; i < 3; ++i) t[i] = encode(n[i]);
            if (has32Bits(s.diffuse)) t[3] = diffuseAlpha(*s.diffuse, x, y, w, hh);
            else if (localAlpha) t[3] = pixelAt(*s.local, x, y)[3];
            else if (h.bitsPerPixel == 32) t[3] = pixelAt(h, x, y)[3];
            else t[3] = 255;
        }
    return out;
}

TgaImage fromLocal(const TgaImage& l, const NormalMapSources& s) {
    int w = l.width, hh = l.height;
    TgaImage out = emptyRgba(w, hh);
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* src = pixelAt(l, x, y);
            uint8_t* t = &out.pixels[(size_t(y) * size_t(w) + size_t(x)) * 4];
            t[0] = src[0];
            t[1] = src[1];
            t[2] = src[2];
            if (has32Bits(s.diffuse)) t[3] = diffuseAlpha(*s.diffuse, x, y, w, hh);
            else if (l.bitsPerPixel == 32) t[3] = src[3];
            else t[3] = 255;
        }
    return out;
}

} // namespace

TgaImage buildNormalMap(const NormalMapSources& sources) {
    if (sources.height && isWhole(*sources.height)) return fromHeight(*sources.height, sources);
    // Only a tangent-space map: its RGB are taken as they stand, which needs three colour bytes.
    if (isColour(sources.local)) return fromLocal(*sources.local, sources);
    return TgaImage{};
}

std::vector<uint8_t> buildNormalMipLevel(int width, int height, const std::vector<uint8_t>& texels) {
    if (width < 1 || height < 1 || texels.size() != size_t(width) * size_t(height) * 4) return {};
    int outW = std::max(1, width / 2);
    int outH = std::max(1, height / 2);
    std::vector<uint8_t> out(size_t(outW) * size_t(outH) * 4, 0);
    auto at = [&](int x, int y) { return &texels[(size_t(y) * size_t(width) + size_t(x)) * 4]; };
    for (int y = 0; y < height && y / 2 < outH; y += 2)
        for (int x = 0; x < width && x / 2 < outW; x += 2) {
            const uint8_t* block[4] = {at(x, y), at((x + 1) % width, y), at(x, (y + 1) % height),
                                       at((x + 1) % width, (y + 1) % height)};
            float sum[3] = {0, 0, 0};
            int alpha = 0;
            for (const uint8_t* t : block) {
                for (int i = 0; i < 3; ++i) sum[i] += decode(t[i]);
                alpha += t[3];
            }
            float len = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
            if (len > 0.0001f)
                for (float& c : sum) c /= len;
            uint8_t* o = &out[(size_t(y / 2) * size_t(outW) + size_t(x / 2)) * 4];
            for (int i = 0; i < 3; ++i) o[i] = encode(sum[i]);
            o[3] = static_cast<uint8_t>(alpha / 4);
        }
    return out;
}

std::vector<TgaImage> buildNormalMipChain(TgaImage level0) {
    std::vector<TgaImage> chain;
    int w = level0.width, h = level0.height;
    if (w < 1 || h < 1 || level0.pixels.size() != size_t(w) * size_t(h) * 4) return chain;
    chain.push_back(std::move(level0));
    while (w != 1 || h != 1) {
        std::vector<uint8_t> next = buildNormalMipLevel(w, h, chain.back().pixels);
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        TgaImage level = emptyRgba(0, 0);
        level.width = static_cast<int16_t>(w);
        level.height = static_cast<int16_t>(h);
        level.pixels = std::move(next);
        chain.push_back(std::move(level));
    }
    return chain;
}
