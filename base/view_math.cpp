// base/view_math.cpp -- projection maths of the frame.
#include "base/view_math.h"

#include <cmath>

int viewWidth(int renderWidth, int stereoMode) { return stereoMode != 0 ? renderWidth / 2 : renderWidth; }

double viewAspect(int renderWidth, int renderHeight, int stereoMode) {
    int height = renderHeight > 0 ? renderHeight : 1;
    return static_cast<double>(viewWidth(renderWidth, stereoMode)) / height;
}

void perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar, float out[16]) {
    double radians = fovyDegrees / 2 * M_PI / 180.0;
    double deltaZ = zFar - zNear;
    double sine = sin(radians);
    for (int i = 0; i < 16; ++i) out[i] = 0;
    // gluPerspective leaves the identity in place for a degenerate request.
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        out[0] = out[5] = out[10] = out[15] = 1;
        return;
    }
    double cotangent = cos(radians) / sine;
    out[0] = static_cast<float>(cotangent / aspect);
    out[5] = static_cast<float>(cotangent);
    out[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    out[11] = -1;
    out[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
}

double animatedCameraFov(float fov) { return fov > 0.0f && fov < 180.0f ? fov : 45.0; }

void infinitePerspective(double fovyDegrees, double aspect, double zNear, double zFar, float out[16]) {
    perspectiveMatrix(fovyDegrees, aspect, zNear, zFar, out);
    out[10] = -1.0f;
    out[14] = -2.0f;
}

void transformPoint(const float m[16], const float p[3], float out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

void inverseRigidTransformPoint(const float m[16], const float p[3], float out[3]) {
    for (int c = 0; c < 3; ++c) {
        out[c] = 0;
        for (int j = 0; j < 3; ++j) out[c] += m[4 * c + j] * (p[j] - m[12 + j]);
    }
}
