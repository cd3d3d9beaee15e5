// render/view_passes.h -- the pass order of one view with the current matrices.
#pragma once

struct GlCapabilities;
struct Scene;

namespace render {

// The first view, or the second stereo view, in which the camera model shows its markers
// without its skeleton.
enum class ViewKind { first, stereoSecond };

// Selects the model-view matrix and draws the view: when renderMode is 0 or 1 the ambient
// pass of every model, then per light the stencil clear, the shadow volumes and the
// lighting pass; then, in every mode, the overlays of the render mode and the skeletons
// (blending off, depth function less-or-equal from there on). Every model is drawn under
// its placement.
void drawView(Scene& scene, const GlCapabilities& caps, ViewKind kind = ViewKind::first);

} // namespace render
