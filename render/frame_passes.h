// render/frame_passes.h -- the drawing operations the frame calls, in the frame's order.
// Each lives in the file of the pass that owns it and
// leaves the GL state the frame expects (unit 0 active, modulate, blend one/zero, depth
// function less, depth writes on).
#pragma once

struct GlCapabilities;
struct Light;
struct Scene;
class Model;

namespace render {

// Multiplies the current matrix by the model's placement.
void applyPlacement(const Model& model);

// Start-up textures: the normalisation cube map (bound on the active unit) and the glow
// targets.
void buildNormalisationCubeMap(int size);
void createGlowTextures(unsigned int& glowTex1024, unsigned int& glowTex64);

// The normal and blurred cube maps of the filtered lights, from "data\normal_*.tga" and
// "data\blurred_*.tga"; only complete sets are built.
void buildLightCubeMaps(Scene& scene, const GlCapabilities& caps);

// Ambient and depth pass of one model.
void drawAmbientPass(Model& model, const float globalAmbient[4], const GlCapabilities& caps);

// Shadows of one light on one model.
void computeLightInModelSpace(Model& model, const Light& light);
void markAllSilhouettes(Model& model);
void drawShadowVolumes(Model& model, const GlCapabilities& caps, bool debug);
void drawSilhouetteEdges(Model& model);

// The lighting pass of one light on one model, under the stencil test when `stencilTest`.
void drawLightPass(Model& model, const Light& light, bool stencilTest, const GlCapabilities& caps);

// Overlays of the render modes and the skeleton.
void drawSeamPoints(Model& model);
void drawMeshAnalyzer(Model& model, const GlCapabilities& caps);
void drawOpenEdges(Model& model);
void drawWireframeOverlay(Model& model, const GlCapabilities& caps);
void drawSkeleton(Model& model);
void drawCameraJoints(Model& model);

// Stereo: the eye offset put first on the view of eye 0 or 1 (nothing when stereoMode is 0),
// and the second view in the right half: the camera of the first view from the other eye
// (`animatedCameraPose` when the animated camera is in use, else null for the free camera),
// then the light markers and the view. The caller sets the whole viewport again afterwards.
void applyStereoEyeOffset(int stereoMode, int eye);
void drawStereoSecondView(Scene& scene, const float* animatedCameraPose, int renderWidth, int renderHeight,
                          const GlCapabilities& caps);
// Around the overlay text: in stereo the text is kept inside the first view.
void beginFirstViewText(int stereoMode, int renderWidth, int renderHeight);
void endFirstViewText();

// The glow post-process over the finished picture, when its conditions hold (switched on,
// combiners and texture units, a picture between 64 and 1024 pixels on each side); otherwise
// it touches nothing.
void applyGlow(int glowOn, unsigned int glowTex1024, unsigned int glowTex64, int renderWidth, int renderHeight,
               const GlCapabilities& caps);

} // namespace render
