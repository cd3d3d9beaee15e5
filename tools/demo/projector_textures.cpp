// tools/demo/projector_textures.cpp -- the light filter's six faces: a rose window below the
// light, leaded lancet windows around it, a star above; and their blurred twins.
#include <algorithm>
#include <cmath>

#include "tools/demo/demo_math.h"
#include "tools/demo/noise.h"
#include "tools/demo/textures.h"

namespace demo {

namespace {

constexpr int kFaceSize = 128;

const Color kGlass[] = {
    {1.0f, 0.78f, 0.35f}, {0.95f, 0.32f, 0.25f}, {0.38f, 0.52f, 1.0f},
    {0.42f, 0.9f, 0.5f},  {1.0f, 0.93f, 0.62f},  {0.8f, 0.45f, 0.95f},
};
const Color kLead{0.05f, 0.05f, 0.05f};
const Color kStone{0.1f, 0.09f, 0.08f};

Color glass(uint32_t index) { return kGlass[index % (sizeof kGlass / sizeof kGlass[0])]; }

// Lead lines are two texels wide: within `width` (in the same units as `d`) of a line.
bool onLead(float d, float width) { return std::fabs(d) < width; }

// x, y in -1..1 from the face's centre.
Color roseWindow(float x, float y) {
    float r = std::sqrt(x * x + y * y);
    if (r > 0.96f) return kStone;
    if (r > 0.9f) return kLead;
    float angle = std::atan2(y, x);
    const float texel = 2.0f / kFaceSize;
    if (r < 0.16f) return onLead(r - 0.08f, texel) ? kLead : Color{1.0f, 0.97f, 0.85f};
    if (onLead(r - 0.16f, texel) || onLead(r - 0.45f, texel) || onLead(r - 0.7f, texel)) return kLead;
    int petals = r < 0.45f ? 8 : 16;
    float sector = (angle + kPi) / (2 * kPi) * petals;
    float within = sector - std::floor(sector);
    if (onLead((within - 0.5f) * r * 2 * kPi / petals, texel)) return kLead;
    int ring = r < 0.45f ? 0 : (r < 0.7f ? 1 : 2);
    // Petal tips: a round lobe in every sector of the middle ring.
    if (ring == 1) {
        float lobe = std::fabs(within - 0.5f) * 2;
        if (onLead((r - 0.45f) / 0.25f - (1.0f - lobe * lobe), 0.03f)) return kLead;
    }
    uint32_t pick = static_cast<uint32_t>(ring * 3 + (static_cast<int>(sector) % 2) +
                                          (ring == 2 ? static_cast<int>(sector) % 3 : 0));
    return glass(pick) * (0.85f + 0.15f * valueNoise(x * 8 + 8, y * 8 + 8, 64, 7u));
}

// A wall of three pointed windows, each leaded into diamond panes; `tint` picks the palette.
Color lancetWindows(float x, float y, uint32_t tint) {
    float column = (x + 1) * 1.5f; // three windows
    int which = static_cast<int>(std::floor(column));
    float cx = (column - which - 0.5f) * 2; // -1..1 within the window
    float halfWidth = 0.78f, bottom = -0.85f, top = 0.42f;
    bool inside = std::fabs(cx) < halfWidth && y > bottom && y < top;
    if (y >= top) { // pointed arch: two arcs of the window's full width meeting at the apex
        float lx = cx / 3.0f, span = 2 * halfWidth / 3.0f; // in face units
        float dl = std::hypot(lx + span / 2, y - top), dr = std::hypot(lx - span / 2, y - top);
        inside = dl < span && dr < span;
    }
    if (!inside) return kStone;
    const float texel = 2.0f / kFaceSize * 1.5f;
    float a = (cx + y) * 4.0f, b = (cx - y) * 4.0f;
    float da = a - std::round(a), db = b - std::round(b);
    if (onLead(da, texel * 2) || onLead(db, texel * 2)) return kLead;
    uint32_t pane = hash2(static_cast<int>(std::floor(a)), static_cast<int>(std::floor(b)) + which * 31, 200u + tint);
    Color c = glass(tint + pane % 3);
    return c * (0.75f + 0.25f * (y + 1) * 0.5f);
}

// Above the light: a pale star on dark glass.
Color starWindow(float x, float y) {
    float r = std::sqrt(x * x + y * y);
    float angle = std::atan2(y, x);
    float star = 0.35f + 0.25f * std::cos(angle * 6);
    if (r < star) return Color{0.95f, 0.95f, 1.0f} * (1.0f - r);
    return Color{0.12f, 0.14f, 0.3f};
}

Image face(int which) {
    Image img(kFaceSize, kFaceSize, 3);
    for (int y = 0; y < kFaceSize; ++y) {
        for (int x = 0; x < kFaceSize; ++x) {
            float fx = (x + 0.5f) / kFaceSize * 2 - 1, fy = (y + 0.5f) / kFaceSize * 2 - 1;
            Color c;
            switch (which) {
            case 2:
                c = starWindow(fx, fy);
                break; // down: the face the filter's +Y looks through
            case 3:
                c = roseWindow(fx, fy);
                break; // up: what a light above the floor casts onto it
            default:
                c = lancetWindows(fx, fy, static_cast<uint32_t>(which));
                break;
            }
            img.set(x, y, c);
        }
    }
    return img;
}

// Three box passes along one axis make a soft bell-shaped blur; edges clamp.
void boxBlurAxis(Image& img, int radius, bool horizontal) {
    Image src = img;
    const int w = img.width, h = img.height, ch = img.channels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < ch; ++c) {
                int sum = 0;
                for (int k = -radius; k <= radius; ++k) {
                    int sx = horizontal ? std::clamp(x + k, 0, w - 1) : x;
                    int sy = horizontal ? y : std::clamp(y + k, 0, h - 1);
                    sum += src.bytes[static_cast<size_t>((sy * w + sx) * ch + c)];
                }
                img.bytes[static_cast<size_t>((y * w + x) * ch + c)] = static_cast<uint8_t>(sum / (2 * radius + 1));
            }
        }
    }
}

} // namespace

std::vector<Image> projectorFaces() {
    std::vector<Image> faces;
    for (int i = 0; i < 6; ++i) faces.push_back(face(i));
    return faces;
}

std::vector<Image> blurredFaces(const std::vector<Image>& sharp) {
    std::vector<Image> out = sharp;
    for (Image& img : out) {
        for (int pass = 0; pass < 3; ++pass) {
            boxBlurAxis(img, 4, true);
            boxBlurAxis(img, 4, false);
        }
    }
    return out;
}

} // namespace demo
