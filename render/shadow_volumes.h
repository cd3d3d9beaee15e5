// render/shadow_volumes.h -- the stencil passes of the shadow volumes with the way one mesh's
// volume is sent left open, so that tests can send it one primitive at a time instead.
#pragma once

struct GlCapabilities;
class Model;

namespace shadow {
struct VolumeGeometry;
}

namespace render {

// Sends the volume of one mesh for one stencil pass. `geometry` is the mesh's volume for the
// current light (empty when it casts no shadow). `depthLess` is true while the depth function
// is still the GL_LESS the passes start with; near caps are always drawn with GL_LESS, far
// caps and sides with the function in effect, and the first near cap of a call leaves
// GL_LEQUAL behind.
using VolumeSender = void (*)(const Model& model, int mesh, const shadow::VolumeGeometry& geometry,
                              bool& depthLess);

// The batched sender: caps and sides from vertex arrays, a few draws per mesh.
void sendVolumeArrays(const Model& model, int mesh, const shadow::VolumeGeometry& geometry, bool& depthLess);

// drawShadowVolumes with another sender.
void drawShadowVolumesWith(Model& model, const GlCapabilities& caps, bool debug, VolumeSender send);

} // namespace render
