// tools/demo/demo_math.h -- small vector, rotation and quaternion helpers for the demo generator.
#pragma once

#include <cmath>

namespace demo {

constexpr float kPi = 3.14159265358979f;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
    float l = length(a);
    return l > 1e-12f ? a * (1.0f / l) : Vec3{1, 0, 0};
}
inline Vec3 lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

// A rotation as three columns: the images of the X, Y and Z axes.
struct Mat3 {
    Vec3 c[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

inline Vec3 operator*(const Mat3& m, Vec3 v) { return m.c[0] * v.x + m.c[1] * v.y + m.c[2] * v.z; }
inline Mat3 operator*(const Mat3& a, const Mat3& b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i) r.c[i] = a * b.c[i];
    return r;
}
inline Mat3 transpose(const Mat3& m) {
    Mat3 r;
    r.c[0] = {m.c[0].x, m.c[1].x, m.c[2].x};
    r.c[1] = {m.c[0].y, m.c[1].y, m.c[2].y};
    r.c[2] = {m.c[0].z, m.c[1].z, m.c[2].z};
    return r;
}

// Right-handed turns by `deg` degrees about one axis, as glRotatef makes them.
inline Mat3 rotX(float deg) {
    float a = deg * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    Mat3 m;
    m.c[1] = {0, c, s};
    m.c[2] = {0, -s, c};
    return m;
}
inline Mat3 rotY(float deg) {
    float a = deg * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    Mat3 m;
    m.c[0] = {c, 0, -s};
    m.c[2] = {s, 0, c};
    return m;
}
inline Mat3 rotZ(float deg) {
    float a = deg * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    Mat3 m;
    m.c[0] = {c, s, 0};
    m.c[1] = {-s, c, 0};
    return m;
}

// The frame whose X axis is `forward` and whose Z axis leans toward world up.
inline Mat3 frameFromForward(Vec3 forward) {
    Mat3 m;
    m.c[0] = normalize(forward);
    m.c[1] = normalize(cross(Vec3{0, 0, 1}, m.c[0]));
    m.c[2] = cross(m.c[0], m.c[1]);
    return m;
}

struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};

// The unit quaternion of a rotation, with w <= 0: MD5 files store x, y, z only and
// readers complete w as the negative root.
inline Quat quatFromMatrix(const Mat3& m) {
    float m00 = m.c[0].x, m11 = m.c[1].y, m22 = m.c[2].z;
    float m21 = m.c[1].z, m12 = m.c[2].y, m02 = m.c[2].x, m20 = m.c[0].z, m10 = m.c[0].y, m01 = m.c[1].x;
    Quat q;
    float trace = m00 + m11 + m22;
    if (trace > 0) {
        float s = std::sqrt(trace + 1.0f) * 2;
        q = {(m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s, 0.25f * s};
    } else if (m00 > m11 && m00 > m22) {
        float s = std::sqrt(1.0f + m00 - m11 - m22) * 2;
        q = {0.25f * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s};
    } else if (m11 > m22) {
        float s = std::sqrt(1.0f + m11 - m00 - m22) * 2;
        q = {(m01 + m10) / s, 0.25f * s, (m12 + m21) / s, (m02 - m20) / s};
    } else {
        float s = std::sqrt(1.0f + m22 - m00 - m11) * 2;
        q = {(m02 + m20) / s, (m12 + m21) / s, 0.25f * s, (m10 - m01) / s};
    }
    float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    float sign = q.w > 0 ? -1.0f : 1.0f;
    return {q.x * sign / len, q.y * sign / len, q.z * sign / len, q.w * sign / len};
}

inline float smoothstep(float e0, float e1, float x) {
    float t = (x - e0) / (e1 - e0);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return t * t * (3 - 2 * t);
}
inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mix(float a, float b, float t) { return a + (b - a) * t; }

} // namespace demo
