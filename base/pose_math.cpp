// base/pose_math.cpp -- rotation products formed on the CPU with the results the GL matrix stack gives.
#include "base/pose_math.h"

#include <cmath>
#include <cstring>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr float kRadiansToDegrees = 57.295776f;
} // namespace

void identityMatrix(float out[16]) {
    static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    memcpy(out, kIdentity, sizeof kIdentity);
}

void rotationMatrix(float degrees, float x, float y, float z, float out[16]) {
    identityMatrix(out);
    const double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z);
    if (length == 0.0 || !std::isfinite(length)) return;
    const double ax = x / length, ay = y / length, az = z / length;
    const double radians = degrees * kPi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
    out[0] = static_cast<float>(ax * ax * t + c);
    out[1] = static_cast<float>(ay * ax * t + az * s);
    out[2] = static_cast<float>(az * ax * t - ay * s);
    out[4] = static_cast<float>(ax * ay * t - az * s);
    out[5] = static_cast<float>(ay * ay * t + c);
    out[6] = static_cast<float>(az * ay * t + ax * s);
    out[8] = static_cast<float>(ax * az * t + ay * s);
    out[9] = static_cast<float>(ay * az * t - ax * s);
    out[10] = static_cast<float>(az * az * t + c);
}

void multiplyColumnMajor(const float p[16], const float m[16], float out[16]) {
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            r[4 * c + row] = p[row] * m[4 * c] + p[4 + row] * m[4 * c + 1] + p[8 + row] * m[4 * c + 2] +
                             p[12 + row] * m[4 * c + 3];
    memcpy(out, r, sizeof r);
}

void multiplyMatrices(const float a[16], const float b[16], float out[16]) {
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j] + a[4 * i + 3] * b[12 + j];
    memcpy(out, r, sizeof r);
}

void eulerToMatrix(float yaw, float pitch, float roll, float out[16]) {
    float rz[16], ry[16], rx[16], zy[16];
    rotationMatrix(yaw, 0, 0, 1, rz);
    rotationMatrix(pitch, 0, 1, 0, ry);
    rotationMatrix(roll, 1, 0, 0, rx);
    multiplyColumnMajor(rz, ry, zy);
    multiplyColumnMajor(zy, rx, out);
}

void transposeRotation(const float in[16], float out[16]) {
    float r[16];
    identityMatrix(r);
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) r[4 * c + row] = in[4 * row + c];
    memcpy(out, r, sizeof r);
}

void matrixToQuaternion(const float m[16], float q[4]) {
    const float s = std::sqrt(m[0] + m[5] + m[10] + m[15]);
    if (s != 0.0f && !std::isnan(s)) {
        float x = (m[6] - m[9]) / (2 * s);
        float y = (m[8] - m[2]) / (2 * s);
        float z = (m[1] - m[4]) / (2 * s);
        float w = s / 2;
        const float length = std::sqrt(x * x + y * y + z * z + w * w);
        q[0] = x / length;
        q[1] = y / length;
        q[2] = z / length;
        q[3] = w / length;
        return;
    }
    const float a = std::fabs(m[9] - m[6]), b = std::fabs(m[2] - m[8]), c = std::fabs(m[1] - m[4]);
    q[0] = q[1] = q[2] = q[3] = 0;
    if (a >= b && a >= c)
        q[0] = 1;
    else if (b >= a && b >= c)
        q[1] = 1;
    else
        q[2] = 1;
}

void quaternionToAxisAngle(const float q[4], float axis[3], float& angle) {
    float w = q[3];
    if (w > 1) w = 1;
    if (w < -1) w = -1;
    angle = 2 * std::acos(w);
    axis[0] = q[0];
    axis[1] = q[1];
    axis[2] = q[2];
}

void axisAngleToMatrix(const float axis[3], float angle, float out[16]) {
    rotationMatrix(angle * kRadiansToDegrees, axis[0], axis[1], axis[2], out);
}

void quaternionToMatrix(const float q[4], float out[16]) {
    float axis[3], angle;
    quaternionToAxisAngle(q, axis, angle);
    axisAngleToMatrix(axis, angle, out);
}

void blendRotation(const float a[16], const float b[16], float f, float out[16]) {
    float at[16], d[16], q[4], axis[3], angle, r[16];
    transposeRotation(a, at);
    multiplyMatrices(at, b, d); // b x a-transposed: the turn that takes a to b
    matrixToQuaternion(d, q);
    quaternionToAxisAngle(q, axis, angle);
    axisAngleToMatrix(axis, angle * f, r);
    multiplyMatrices(a, r, out); // r x a
}
