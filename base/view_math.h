// base/view_math.h -- the projection and viewport sizes of the frame; plain maths, no GL.
#pragma once

// Width of one view: half the render width (integer division) in stereo, else all of it.
int viewWidth(int renderWidth, int stereoMode);

// Aspect of the frame's projection; a height of 0 counts as 1.
double viewAspect(int renderWidth, int renderHeight, int stereoMode);

// The perspective matrix that gluPerspective makes (column-major), with element 10 set
// to -1 and element 14 to -2: the far plane moves to infinity, as the shadow volumes need.
void infinitePerspective(double fovyDegrees, double aspect, double zNear, double zFar, float out[16]);

// The vertical field of view of the animated camera: its own, or 45 degrees when the
// animation gives none that a perspective can use (0 where no fov channel drives the joint).
double animatedCameraFov(float fov);

// gluPerspective's matrix itself (the window's default projection uses it).
void perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar, float out[16]);

// out = m x (x, y, z, 1), the first three components.
void transformPoint(const float m[16], const float p[3], float out[3]);

// The inverse of a rotation-plus-translation matrix applied to p: R^T (p - t), where R is
// m's upper-left 3x3 and t its translation (brings an eye-space light into a model's space).
void inverseRigidTransformPoint(const float m[16], const float p[3], float out[3]);
