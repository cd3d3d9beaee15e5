// base/pose_math.h -- 4x4 matrix, quaternion and axis-angle helpers of the skeleton pose.
// Matrices are 16 floats, OpenGL column-major (element row r, column c at 4c + r); the
// rotations are those glRotatef builds. Angles are degrees except inside the axis-angle pair.
#pragma once

// The matrix of glRotatef(degrees, x, y, z); a zero axis gives the identity.
void rotationMatrix(float degrees, float x, float y, float z, float out[16]);

// Rz(yaw) x Ry(pitch) x Rx(roll): roll turns a point first, yaw last.
void eulerToMatrix(float yaw, float pitch, float roll, float out[16]);

// out(r, c) = in(c, r) for the upper-left 3x3; no translation; bottom row 0, 0, 0, 1.
void transposeRotation(const float in[16], float out[16]);

// out[4i + j] = sum over k of a[4i + k] b[4k + j]: read column-major that is out = b x a.
void multiplyMatrices(const float a[16], const float b[16], float out[16]);

// out = p x m in the column-major sense (m applied first), the order the matrix stack gives.
void multiplyColumnMajor(const float p[16], const float m[16], float out[16]);

// q as x, y, z, w with w >= 0 (the short way round); a degenerate trace picks the axis whose
// off-diagonal difference is largest.
void matrixToQuaternion(const float m[16], float q[4]);

// angle (radians) = 2 acos(w), w clamped to -1..1; axis = (x, y, z) as it stands.
void quaternionToAxisAngle(const float q[4], float axis[3], float& angle);

// The glRotatef rotation by `angle` radians about the axis (normalised here); zero axis: identity.
void axisAngleToMatrix(const float axis[3], float angle, float out[16]);

void quaternionToMatrix(const float q[4], float out[16]);

// The turn from rotation a to rotation b by fraction f (0 gives a, 1 gives b), the short way;
// equal to spherical linear interpolation of the two orientations.
void blendRotation(const float a[16], const float b[16], float f, float out[16]);

void identityMatrix(float out[16]);
