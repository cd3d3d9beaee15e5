// tools/demo/noise.h -- deterministic hashes and tileable value noise for procedural textures.
#pragma once

#include <cmath>
#include <cstdint>

namespace demo {

inline uint32_t hash2(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// A value in [0, 1) for the lattice point (x, y).
inline float hash01(int x, int y, uint32_t seed) { return (hash2(x, y, seed) & 0xFFFFFF) / 16777216.0f; }

inline int wrapIndex(int i, int period) { return ((i % period) + period) % period; }

// Smooth value noise in [0, 1] on a lattice that repeats every `period` cells in x and y.
inline float valueNoise(float x, float y, int period, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    int xa = wrapIndex(x0, period), xb = wrapIndex(x0 + 1, period);
    int ya = wrapIndex(y0, period), yb = wrapIndex(y0 + 1, period);
    float a = hash01(xa, ya, seed), b = hash01(xb, ya, seed);
    float c = hash01(xa, yb, seed), d = hash01(xb, yb, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Octaves of value noise; (u, v) in [0, 1) tiles with period 1.
inline float fbm(float u, float v, int basePeriod, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(u * period, v * period, period, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        amp *= 0.5f;
        period *= 2;
    }
    return sum / norm;
}

// Nearest and second-nearest distances to jittered cell points (cells of one unit),
// repeating every `periodX` cells in x and, when `periodY` is positive, every `periodY`
// cells in y. Scales and cracks come from these two.
struct CellDistance {
    float nearest = 1e9f;
    float second = 1e9f;
    int cellX = 0, cellY = 0;
};

inline CellDistance cellNoise(float x, float y, int periodX, uint32_t seed, float jitter, int periodY = 0) {
    CellDistance r;
    int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = cx + dx, gy = cy + dy;
            int hx = wrapIndex(gx, periodX);
            int hy = periodY > 0 ? wrapIndex(gy, periodY) : gy;
            float px = gx + 0.5f + (hash01(hx, hy, seed) - 0.5f) * jitter;
            float py = gy + 0.5f + (hash01(hx, hy, seed + 7u) - 0.5f) * jitter;
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < r.nearest) {
                r.second = r.nearest;
                r.nearest = d;
                r.cellX = hx;
                r.cellY = hy;
            } else if (d < r.second) {
                r.second = d;
            }
        }
    }
    return r;
}

} // namespace demo
