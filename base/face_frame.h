// base/face_frame.h -- the face frame of a triangle (unit normal, S and T) and its handedness:
// one computation for the load-time face vectors and the per-frame vectors.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/fast_math_inline.h"

struct FaceFrame {
    float normal[3];
    float s[3];
    float t[3];
    // The determinant dv2 du1 - dv1 du2 is exactly 0: S and T are parallel (or zero).
    bool degenerateUv;
};

// Corner positions p0..p2 and texture coordinates (u, v) per corner. e1 = p1 - p0, e2 = p0 - p2;
// normal = e1 x e2, S = dv2 e1 - dv1 e2, T = du1 e2 - du2 e1, both negated when the determinant
// is negative; each scaled by the table's inverse square root, the normal also by `normalSign`
// (static models wind their triangles the other way round). `table` is invSqrtTable().
inline void computeFaceFrame(const float* p0, const float* p1, const float* p2, const float uv0[2],
                             const float uv1[2], const float uv2[2], float normalSign, const uint8_t* table,
                             FaceFrame& out) {
    const float e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const float e2[3] = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
    const float du1 = uv1[0] - uv0[0], du2 = uv0[0] - uv2[0];
    const float dv1 = uv0[1] - uv1[1], dv2 = uv2[1] - uv0[1];
    fastmath::cross(e1, e2, out.normal);
    for (int i = 0; i < 3; ++i) {
        out.s[i] = dv2 * e1[i] - dv1 * e2[i];
        out.t[i] = du1 * e2[i] - du2 * e1[i];
    }
    const float det = dv2 * du1 - dv1 * du2;
    out.degenerateUv = det == 0;
    if (det < 0) {
        for (int i = 0; i < 3; ++i) {
            out.s[i] = -out.s[i];
            out.t[i] = -out.t[i];
        }
    }
    auto scale = [](float v[3], float f) {
        v[0] *= f;
        v[1] *= f;
        v[2] *= f;
    };
    auto squared = [](const float v[3]) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; };
    scale(out.normal, normalSign * fastmath::invSqrt(table, squared(out.normal)));
    scale(out.s, fastmath::invSqrt(table, squared(out.s)));
    scale(out.t, fastmath::invSqrt(table, squared(out.t)));
}

// The tangent frame agrees with the normal when on every axis S x T and the normal are both
// near zero or have the same sign (zero counting as negative). S x T is the determinant times
// the face's cross product, so with a degenerate determinant it is exactly zero: the flag then
// follows from the normal alone, not from the rounding of two parallel tangents.
inline bool faceFrameRightHanded(const FaceFrame& f) {
    float c[3] = {0, 0, 0};
    if (!f.degenerateUv) fastmath::cross(f.s, f.t, c);
    for (int k = 0; k < 3; ++k) {
        const bool bothZero = std::fabs(c[k]) < 0.001f && std::fabs(f.normal[k]) < 0.001f;
        const bool agreeing = (c[k] > 0 && f.normal[k] > 0) || (c[k] <= 0 && f.normal[k] <= 0);
        if (!bothZero && !agreeing) return false;
    }
    return true;
}
