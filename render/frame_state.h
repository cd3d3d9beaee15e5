// render/frame_state.h -- the GL state a frame starts from and hands back at its end; the
// passes of the frame assume it and leave it as they found it.
#pragma once

struct GlCapabilities;

namespace render {

// Clears colour and depth (the stencil is cleared per light) and sets the frame's state:
// depth test on; blending on with (one, zero); alpha test on, greater than 0.5; point
// smoothing on; back faces culled with clockwise front faces; the fixed-function material
// and light model (local viewer, separate specular where the driver has it, colour
// material tracking front ambient and diffuse).
void setFrameState(const GlCapabilities& caps);

// Lighting and 2D texturing off: the light markers and the text draw plain colour.
void setUnlitState();

// Current colour (1, 1, 1, 1) for the overlay text.
void setTextColour();

// Saves the modelview and projection matrices and loads the identity into both, for drawing
// in clip space; the projection matrix is current afterwards.
void pushIdentityMatrices();
// Takes both back; the modelview matrix is current afterwards.
void popIdentityMatrices();

// After the views: cube-map and 2D texturing off on unit 1, unit 0 active again (nothing
// without multitexture).
void resetTextureUnits(const GlCapabilities& caps);

} // namespace render
