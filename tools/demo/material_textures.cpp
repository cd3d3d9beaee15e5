// tools/demo/material_textures.cpp -- diffuse, specular, height and tangent-space maps of
// the demo's materials, each sampled from one function per material.
#include <cmath>
#include <functional>

#include "tools/demo/demo_math.h"
#include "tools/demo/noise.h"
#include "tools/demo/textures.h"

namespace demo {

namespace {

struct SurfaceSample {
    Color diffuse;
    float specular = 0;
    float height = 0.5f;
};

using SurfaceFn = std::function<SurfaceSample(float u, float t)>;

// Samples at texel centres; u runs left to right, t bottom to top.
MaterialMaps sampleMaps(int width, int height, const SurfaceFn& fn) {
    MaterialMaps maps;
    maps.diffuse = Image(width, height, 3);
    maps.specular = Image(width, height, 3);
    maps.height = Image(width, height, 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SurfaceSample s = fn((x + 0.5f) / width, (y + 0.5f) / height);
            maps.diffuse.set(x, y, s.diffuse);
            maps.specular.setGrey(x, y, s.specular);
            maps.height.setGrey(x, y, s.height);
        }
    }
    return maps;
}

// A bead of scaly skin: 1 at a scale's middle, 0 on its border.
float beadDome(const CellDistance& c) { return smoothstep(0.0f, 0.38f, c.second - c.nearest); }

// ---- the creature's skin ----

constexpr float kBodyLength = 97.0f; // tail tip to snout, as the mesh's t runs
constexpr float kEyeT = (36.6f + 54.5f) / kBodyLength;
constexpr float kEyeU[2] = {0.33f, 0.67f};

// Elliptic distance to an eye in the texture: 1 on the eyeball's edge.
float eyeDistance(float u, float t, float eyeU) {
    float du = (u - eyeU) / 0.05f, dt = (t - kEyeT) / 0.0115f;
    return std::sqrt(du * du + dt * dt);
}

// Orange blotches over the back and rings on the tail, chosen once per scale.
bool blotchAt(float u, float t) {
    float dorsal = 1.0f - std::fabs(u - 0.5f) * 2.0f; // 1 on the spine line, 0 on the belly
    float n = fbm(u, t * 4.0f, 6, 3, 11u);
    float s = t * kBodyLength - 54.5f;
    if (s < -12) {
        float ring = std::sin((s + 12) * 0.55f);
        return ring > 0.55f - 0.25f * n;
    }
    return n + dorsal * 0.3f > 0.74f;
}

SurfaceSample skinSample(float u, float t) {
    const Color dark{0.1f, 0.21f, 0.25f}, flank{0.18f, 0.34f, 0.3f}, belly{0.80f, 0.70f, 0.47f};
    const Color orange{0.96f, 0.47f, 0.09f}, gold{0.98f, 0.78f, 0.22f};
    float toBelly = std::min(u, 1.0f - u); // 0 on the belly line, 0.5 on the back
    float bellyness = 1.0f - smoothstep(0.09f, 0.17f, toBelly);

    CellDistance c = cellNoise(u * 32.0f, t * 64.0f, 32, 5u, 0.75f);
    float dome = beadDome(c);
    float cellU = (c.cellX + 0.5f) / 32.0f, cellT = (c.cellY + 0.5f) / 64.0f;
    float tint = hash01(c.cellX, c.cellY, 9u);

    Color base = mixColor(dark, flank, smoothstep(0.38f, 0.2f, toBelly) * 0.8f + tint * 0.2f);
    if (blotchAt(cellU, cellT)) base = mixColor(orange, gold, tint * 0.6f);
    base = mixColor(base, belly, bellyness);
    base = base * (0.72f + 0.28f * dome);

    SurfaceSample out;
    out.diffuse = base;
    out.specular = 0.18f + 0.42f * dome * (1 - bellyness * 0.5f);
    out.height = 0.45f + 0.3f * dome * (1 - bellyness);

    for (float eyeU : kEyeU) {
        float e = eyeDistance(u, t, eyeU);
        if (e > 1.3f) continue;
        float slit = std::fabs(u - eyeU) / 0.05f;
        if (e < 1.0f) {
            out.diffuse = mixColor(Color{1.0f, 0.82f, 0.2f}, Color{0.55f, 0.25f, 0.05f}, e * e);
            if (slit < 0.16f && e < 0.92f) out.diffuse = Color{0.02f, 0.02f, 0.02f};
            out.specular = 0.95f;
            out.height = 0.75f + 0.25f * std::sqrt(1 - e * e);
        } else {
            out.diffuse = Color{0.03f, 0.05f, 0.05f};
            out.height = 0.55f;
        }
    }
    // The mouth: a dark groove along each side of the snout.
    float s = t * kBodyLength - 54.5f;
    if (s > 34.5f && s < 42.0f && std::fabs(toBelly - 0.19f) < 0.007f) {
        out.diffuse = Color{0.05f, 0.03f, 0.03f};
        out.height = 0.2f;
    }
    return out;
}

// Belly plates as ridges across the body, and faint wrinkles elsewhere, in tangent space:
// x along u, y along t, z out of the skin.
Image skinLocalMap(int width, int height) {
    Image img(width, height, 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float u = (x + 0.5f) / width, t = (y + 0.5f) / height;
            float toBelly = std::min(u, 1.0f - u);
            float bellyness = 1.0f - smoothstep(0.09f, 0.17f, toBelly);
            float plate = std::fmod(t * kBodyLength / 1.3f, 1.0f); // saw: each plate overlaps the next
            float slopeT = bellyness * (plate < 0.85f ? 0.55f : -2.6f);
            float wrinkle = fbm(u, t * 2.0f, 24, 2, 21u) - 0.5f;
            float slopeU = wrinkle * 0.6f * (1 - bellyness);
            Vec3 n = normalize(Vec3{-slopeU, -slopeT, 1.0f});
            uint8_t* p = &img.bytes[static_cast<size_t>((y * width + x) * 3)];
            p[0] = static_cast<uint8_t>(127.0f * n.x + 128.0f);
            p[1] = static_cast<uint8_t>(127.0f * n.y + 128.0f);
            p[2] = static_cast<uint8_t>(127.0f * n.z + 128.0f);
        }
    }
    return img;
}

// ---- legs ----

SurfaceSample limbSample(float u, float t) {
    const Color dark{0.1f, 0.21f, 0.25f}, cream{0.78f, 0.68f, 0.46f}, orange{0.95f, 0.5f, 0.1f};
    CellDistance c = cellNoise(u * 14.0f, t * 16.0f, 14, 31u, 0.7f);
    float dome = beadDome(c);
    float toUnder = std::min(u, 1.0f - u);
    float cellT = (c.cellY + 0.5f) / 16.0f;
    Color base = dark;
    if (std::fabs(cellT - 0.4f) < 0.07f || std::fabs(cellT - 0.68f) < 0.05f) base = orange;
    base = mixColor(base, cream, 1.0f - smoothstep(0.1f, 0.2f, toUnder));
    if (t > 0.9f) base = mixColor(base, Color{0.9f, 0.85f, 0.7f}, smoothstep(0.9f, 0.97f, t)); // claws
    SurfaceSample out;
    out.diffuse = base * (0.75f + 0.25f * dome);
    out.specular = 0.2f + 0.4f * dome;
    out.height = 0.4f + 0.35f * dome;
    return out;
}

// ---- crest and lure ----

SurfaceSample finSample(float u, float t) {
    SurfaceSample out;
    if (t > 0.9f) { // the lure stalk: ringed, pale gold
        float ring = 0.5f + 0.5f * std::sin(t * 600.0f);
        out.diffuse = mixColor(Color{0.95f, 0.85f, 0.55f}, Color{0.45f, 0.25f, 0.1f}, ring * 0.6f);
        out.specular = 0.7f;
        out.height = 0.5f + 0.3f * ring;
        return out;
    }
    float rays = std::fabs(std::fmod(u * 26.0f + t * 0.6f, 1.0f) - 0.5f) * 2; // 0 on a ray
    float ray = 1.0f - smoothstep(0.08f, 0.25f, rays);
    float membrane = fbm(u, t, 8, 3, 41u);
    Color base = mixColor(Color{0.62f, 0.1f, 0.05f}, Color{1.0f, 0.62f, 0.12f}, smoothstep(0.15f, 0.85f, t));
    base = base * (0.8f + 0.35f * membrane);
    base = mixColor(base, Color{0.12f, 0.05f, 0.04f}, ray * 0.75f);
    if (t > 0.8f) base = mixColor(base, Color{1.0f, 0.9f, 0.45f}, smoothstep(0.8f, 0.88f, t));
    out.diffuse = base;
    out.specular = 0.55f - 0.3f * ray;
    out.height = 0.4f + 0.4f * ray + 0.08f * membrane;
    return out;
}

// ---- floor: flagstones in running bond, two rows per tile so both directions repeat ----

SurfaceSample floorSample(float u, float t) {
    float row = t * 2.0f;
    int rowIndex = static_cast<int>(std::floor(row));
    float col = u * 2.0f + (rowIndex % 2 ? 0.5f : 0.0f);
    int colIndex = wrapIndex(static_cast<int>(std::floor(col)), 2);
    float fu = col - std::floor(col), ft = row - std::floor(row);
    float edge = std::min(std::min(fu, 1 - fu) * 2.0f, std::min(ft, 1 - ft)) * 128.0f; // texels to the joint
    float bevel = smoothstep(1.5f, 6.0f, edge);
    float mottle = fbm(u, t, 8, 5, 61u);
    float stoneTint = hash01(colIndex, rowIndex, 63u);
    CellDistance crack = cellNoise(u * 6.0f, t * 6.0f, 6, 67u, 0.9f, 6);
    float crackLine =
        (1.0f - smoothstep(0.0f, 0.04f, crack.second - crack.nearest)) * smoothstep(0.55f, 0.75f, fbm(u, t, 4, 2, 71u));

    Color stone = mixColor(Color{0.44f, 0.4f, 0.35f}, Color{0.52f, 0.47f, 0.4f}, stoneTint);
    stone = mixColor(stone, Color{0.35f, 0.36f, 0.34f}, mottle * 0.6f);
    stone = stone * (0.85f + 0.3f * mottle);
    Color mortar = mixColor(Color{0.14f, 0.13f, 0.11f}, Color{0.16f, 0.26f, 0.1f}, fbm(u, t, 16, 3, 73u));
    SurfaceSample out;
    out.diffuse = mixColor(mortar, stone, bevel) * (1.0f - 0.55f * crackLine);
    out.specular = 0.04f + 0.2f * bevel * (0.4f + 0.6f * mottle);
    out.height = 0.12f + bevel * (0.6f + 0.2f * mottle) - 0.25f * crackLine * bevel;
    return out;
}

// ---- the column: marble with a band of carved signs ----

// 1 inside a carved stroke of the sign in band cell `cell` at local (x, y) in 0..1.
float glyphStroke(int cell, float x, float y) {
    float ink = 0;
    for (int k = 0; k < 3; ++k) {
        uint32_t h = hash2(cell, k, 91u);
        float d;
        switch (h % 4) {
        case 0:
            d = std::fabs(y - (0.2f + 0.6f * ((h >> 4) % 3) / 2.0f));
            break; // horizontal
        case 1:
            d = std::fabs(x - (0.25f + 0.5f * ((h >> 4) % 2)));
            break; // vertical
        case 2:
            d = std::fabs((x - y) * 0.707f);
            break; // diagonal
        default:
            d = std::fabs(std::sqrt((x - 0.5f) * (x - 0.5f) + (y - 0.5f) * (y - 0.5f)) - 0.3f);
            break;
        }
        ink = std::max(ink, 1.0f - smoothstep(0.05f, 0.09f, d));
    }
    return ink;
}

SurfaceSample columnSample(float u, float t) {
    float turbulence = fbm(u, t, 4, 5, 81u);
    // Soft bands across the stone, and thin veins only where a second noise lets them show.
    float band = 0.5f + 0.5f * std::sin((u * 2.0f + t * 1.5f + turbulence * 2.2f) * kPi * 2.0f);
    float vein = std::fabs(std::sin((u * 2.0f + t * 1.5f + turbulence * 2.6f) * kPi * 3.0f));
    float veinDark = (1.0f - smoothstep(0.0f, 0.08f, vein)) * smoothstep(0.45f, 0.6f, fbm(u, t, 4, 3, 87u));
    Color marble = mixColor(Color{0.9f, 0.87f, 0.8f}, Color{0.72f, 0.72f, 0.68f}, band * 0.6f);
    marble = mixColor(marble, Color{0.36f, 0.4f, 0.38f}, veinDark * 0.8f);
    marble = marble * (0.9f + 0.1f * fbm(u, t, 16, 3, 83u));
    float dirt = 1.0f - smoothstep(0.0f, 0.25f, t);
    marble = mixColor(marble, Color{0.25f, 0.32f, 0.16f}, dirt * 0.7f * fbm(u, t, 8, 3, 85u) * 1.4f);
    float carve = 0;
    if (t > 0.66f && t < 0.76f) {
        float gx = u * 12.0f;
        int cell = static_cast<int>(std::floor(gx));
        carve = glyphStroke(cell, gx - cell, (t - 0.66f) / 0.1f);
    }
    float groove = (t > 0.645f && t < 0.655f) || (t > 0.765f && t < 0.775f) ? 1.0f : 0.0f;
    SurfaceSample out;
    out.diffuse = marble * (1.0f - 0.45f * std::max(carve, groove));
    out.specular = 0.5f * (1.0f - dirt * 0.8f) * (1.0f - 0.7f * carve);
    float pits = fbm(u, t, 32, 2, 89u);
    out.height = 0.55f + 0.08f * turbulence + 0.12f * pits - 0.45f * std::max(carve, groove);
    return out;
}

SurfaceSample plinthSample(float u, float t) {
    float speck = hash01(static_cast<int>(u * 128), static_cast<int>(t * 128), 95u);
    float grain = fbm(u, t, 8, 4, 97u);
    Color granite = mixColor(Color{0.42f, 0.38f, 0.38f}, Color{0.58f, 0.5f, 0.48f}, grain);
    if (speck > 0.82f)
        granite = Color{0.15f, 0.14f, 0.15f};
    else if (speck < 0.08f)
        granite = Color{0.85f, 0.82f, 0.8f};
    float moss = smoothstep(0.55f, 0.7f, fbm(u, t, 4, 3, 99u)) * (1.0f - smoothstep(0.0f, 0.5f, t));
    SurfaceSample out;
    out.diffuse = mixColor(granite, Color{0.2f, 0.33f, 0.1f}, moss);
    out.specular = 0.3f * (1 - moss) + 0.15f * (speck > 0.82f ? 1.0f : 0.0f);
    out.height = 0.5f + 0.15f * grain + 0.05f * speck + 0.15f * moss;
    return out;
}

} // namespace

MaterialMaps skinMaps() {
    MaterialMaps m = sampleMaps(256, 512, skinSample);
    m.local = skinLocalMap(256, 512);
    return m;
}
MaterialMaps limbMaps() { return sampleMaps(128, 128, limbSample); }
MaterialMaps finMaps() { return sampleMaps(128, 128, finSample); }
MaterialMaps floorMaps() { return sampleMaps(256, 256, floorSample); }
MaterialMaps columnMaps() { return sampleMaps(256, 256, columnSample); }
MaterialMaps plinthMaps() { return sampleMaps(128, 128, plinthSample); }

} // namespace demo
