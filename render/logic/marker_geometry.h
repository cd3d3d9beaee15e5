// render/logic/marker_geometry.h -- the lines of the skeleton and camera markers, from a
// joint's position and rotation columns; no GL.
#pragma once

#include <vector>

class Model;

namespace render {

struct MarkerLine {
    float from[3];
    float to[3];
};

// A joint's three axes: from `pos` to pos + 2 c0, pos + 2 c1, pos + 2 c2 (red, green, blue).
void jointAxes(const float pos[3], const float rot[9], MarkerLine axes[3]);

// The bone from the parent's position to the joint's, or false when the joint has no
// parent inside the joint array.
bool boneLine(const Model& model, int joint, MarkerLine& bone);

// A camera joint's open frustum: the closed near rectangle (five points, the first again
// at the end) at pos - 2 c0, and the four edges from the far corners at pos + 2 c0 to the
// near corners with the same signs.
struct CameraFrustum {
    float nearLoop[5][3];
    MarkerLine edges[4];
};
CameraFrustum cameraFrustum(const float pos[3], const float rot[9]);

} // namespace render
