// render/frame_passes.cpp -- placement, plus the passes not yet built: each draws nothing.
#include "render/frame_passes.h"

#include <GL/gl.h>

#include "model/model.h"

namespace render {

void applyPlacement(const Model& model) { glMultMatrixf(model.placement); }

void buildNormalisationCubeMap(int) {}
void createGlowTextures(unsigned int&, unsigned int&) {}
void drawAmbientPass(Model&, const float*, const GlCapabilities&) {}
void computeLightInModelSpace(Model&, const Light&) {}
void markAllSilhouettes(Model&) {}
void drawShadowVolumes(Model&, const GlCapabilities&, bool) {}
void drawSilhouetteEdges(Model&) {}
void drawLightPass(Model&, const Light&, bool, const GlCapabilities&) {}
void drawSeamPoints(Model&) {}
void drawMeshAnalyzer(Model&, const GlCapabilities&) {}
void drawOpenEdges(Model&) {}
void drawWireframeOverlay(Model&, const GlCapabilities&) {}
void drawSkeleton(Model&) {}
void drawCameraJoints(Model&) {}
void applyStereoEyeOffset(int, int) {}
void drawStereoSecondView(int, int, int, void (*)(void*), void*) {}
void applyGlow(int, unsigned int, unsigned int, int, int, const GlCapabilities&) {}

} // namespace render
