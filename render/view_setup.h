// render/view_setup.h -- the matrices of one view: projection and viewport, the free or the
// animated camera, the lights' eye positions, and the light markers drawn with them.
#pragma once

struct Scene;

namespace render {

// Selects the model-view matrix, the one every pass works on.
void selectModelView();

// Loads the perspective with the far plane at infinity (near 1) for a view of the given
// vertical field of view, then sets the viewport: the left half of the render region in
// stereo, else all of it. Leaves the projection matrix selected.
void setProjection(double fovDegrees, int renderWidth, int renderHeight, int stereoMode);

// The viewport over the whole render region, after the stereo views.
void setFullViewport(int renderWidth, int renderHeight);

// The model-view matrix from identity: the stereo offset of `eye` (0 the first view, 1 the
// second), then the camera.
// The animated camera looks from its joint along the joint's X axis with Z up (`cameraPose`
// as the camera animation fills it); the free camera dollies, pans, pitches and yaws round
// the model in focus.
void setAnimatedCameraView(const float cameraPose[17], int stereoMode, int eye = 0);
void setFreeCameraView(const Scene& scene, int eye = 0);

// Every light's `eyePos`: its `lightpos` under the current model-view matrix.
void updateLightEyePositions(Scene& scene);

// One point per light in its diffuse colour (the selected light larger, a pixel less so in
// the second stereo view, `eye` 1), when displaylights.
void drawLightMarkers(const Scene& scene, int eye = 0);

} // namespace render
