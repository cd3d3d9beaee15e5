// base/fast_math.cpp -- inverse square root from a 128-byte table plus one Newton step.
#include "base/fast_math.h"

#include "base/fast_math_inline.h"

#include <cmath>
#include <cstring>

namespace {

uint8_t table[128];
bool tableBuilt = false;

float bitsToFloat(uint32_t bits) {
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t floatToBits(float f) {
    uint32_t bits;
    memcpy(&bits, &f, sizeof bits);
    return bits;
}

} // namespace

void initInvSqrtTable() {
    for (uint32_t i = 0; i < 128; ++i) {
        // i's top bit lands in the lowest exponent bit, its other six bits in the top of the mantissa.
        float x = bitsToFloat((i | 0x1F80u) << 17);
        float y = static_cast<float>(1.0 / std::sqrt(static_cast<double>(x)));
        table[i] = static_cast<uint8_t>(((floatToBits(y) + 0x2000u) >> 15) & 0xFFu);
    }
    table[64] = 0xFF;
    tableBuilt = true;
}

const uint8_t* invSqrtTable() {
    if (!tableBuilt) initInvSqrtTable();
    return table;
}

float fastInvSqrt(float x) { return fastmath::invSqrt(invSqrtTable(), x); }

void crossProduct(const float a[3], const float b[3], float out[3]) { fastmath::cross(a, b, out); }
