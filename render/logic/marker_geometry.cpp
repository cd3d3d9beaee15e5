// render/logic/marker_geometry.cpp -- the lines of the skeleton and camera markers; no GL.
#include "render/logic/marker_geometry.h"

#include <algorithm>

#include "model/model.h"

namespace render {
namespace {

// pos + a c0 + b c1 + c c2, with the columns of `rot`.
void combine(const float pos[3], const float rot[9], float a, float b, float c, float out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = pos[k] + a * rot[k] + b * rot[3 + k] + c * rot[6 + k];
}

void copy3(const float in[3], float out[3]) { std::copy(in, in + 3, out); }

} // namespace

void jointAxes(const float pos[3], const float rot[9], MarkerLine axes[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        copy3(pos, axes[axis].from);
        for (int k = 0; k < 3; ++k) axes[axis].to[k] = pos[k] + 2.0f * rot[3 * axis + k];
    }
}

bool boneLine(const Model& model, int joint, MarkerLine& bone) {
    const int count = model.numJoints();
    if (joint < 0 || joint >= count) return false;
    const Joint& j = model.joints[static_cast<size_t>(joint)];
    if (j.parent < 0 || j.parent >= count) return false;
    copy3(model.joints[static_cast<size_t>(j.parent)].pos, bone.from);
    copy3(j.pos, bone.to);
    return true;
}

CameraFrustum cameraFrustum(const float pos[3], const float rot[9]) {
    // The four corners in order, as signs of (c1, c2).
    const float corners[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    CameraFrustum f;
    for (int i = 0; i < 4; ++i) {
        combine(pos, rot, -2, 2 * corners[i][0], 2 * corners[i][1], f.nearLoop[i]);
        combine(pos, rot, 2, 4 * corners[i][0], 4 * corners[i][1], f.edges[i].from);
        copy3(f.nearLoop[i], f.edges[i].to);
    }
    copy3(f.nearLoop[0], f.nearLoop[4]);
    return f;
}

} // namespace render
