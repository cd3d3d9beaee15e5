// scene/scene_framing.h -- the free camera framing a model's bounds, and the scene made for one model file; no GL.
#pragma once

#include <string>

#include "scene/scene.h"

// An axis-aligned box in world space; `empty` until a point is added.
struct Bounds {
    Vec3 min = {0, 0, 0};
    Vec3 max = {0, 0, 0};
    bool empty = true;
    void add(const float p[3]);
};

// The field of view of the free camera, in degrees.
constexpr double kFreeCameraFov = 45.0;
// How much of the picture a framed model fills.
constexpr double kFramedFill = 2.0 / 3.0;

// The world-space bounds of the model's triangles as they stand now (the last skinning, the
// bind pose right after loading) under its placement. False when it has no vertex.
bool modelBounds(const Model& model, Bounds& out);

// Moves the free camera, keeping its yaw and pitch, so that the box's centre lies in the middle
// of the picture and its corners reach `fill` of the picture's half width or half height,
// whichever they reach first, in a view of vertical field of view `fovyDegrees` and `aspect`
// (width over height). The camera orbits the model in focus; nothing for an empty box.
void frameBounds(Scene& scene, const Bounds& box, double fovyDegrees, double aspect, double fill = kFramedFill);

// Home: frames the current bounds of the model in focus with the free camera, switching the
// animated camera off so that the framing is seen. False, changing nothing, when the focus holds
// no model with vertices.
bool frameModelInFocus(Scene& scene, double aspect);

// A scene of its own for one model file: slot 0 named `modelFile` with `animFile` (none when
// empty), one light, and the base path set to the model's folder, so that data-relative names
// are looked up next to the model. The model itself is loaded by start-up as for any scene.
void makeModelScene(Scene& scene, const std::string& modelFile, const std::string& animFile);

// After the model of a one-model scene is loaded: its light goes above the model and in front
// of it (on the camera's side), and the free camera frames the bind-pose bounds.
void placeModelSceneLightAndCamera(Scene& scene, double aspect);
