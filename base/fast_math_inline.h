// base/fast_math_inline.h -- fastInvSqrt and crossProduct inlined for the per-frame loops; the same
// arithmetic as base/fast_math.cpp, bit for bit, on a table fetched once per loop.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/fast_math.h"

namespace fastmath {

// `table` is invSqrtTable().
inline float invSqrt(const uint8_t* table, float x) {
    uint32_t a;
    memcpy(&a, &x, sizeof a);
    const uint32_t e = (a >> 23) & 0xFFu;
    const uint32_t index = (a >> 17) & 0x7Fu;
    const uint32_t seedBits = ((0x5F000000u - (e << 22)) & 0xFF800000u) | (static_cast<uint32_t>(table[index]) << 15);
    float seed;
    memcpy(&seed, &seedBits, sizeof seed);
    const double g = seed;
    return static_cast<float>((3.0 - static_cast<double>(x) * g * g) * g * 0.5);
}

inline void cross(const float a[3], const float b[3], float out[3]) {
    const float x = a[1] * b[2] - a[2] * b[1];
    const float y = a[2] * b[0] - a[0] * b[2];
    const float z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

} // namespace fastmath
