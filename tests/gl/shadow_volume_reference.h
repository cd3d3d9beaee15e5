// tests/gl/shadow_volume_reference.h -- the shadow volume of one mesh sent one primitive at a
// time in immediate mode, each cap with its own depth function: the sequence the batched
// arrays must count the same as.
#pragma once

class Model;

namespace shadow {
struct VolumeGeometry;
}

// A render::VolumeSender that ignores the arrays and walks the model's triangles and edges.
void sendVolumeOnePrimitiveAtATime(const Model& model, int mesh, const shadow::VolumeGeometry& unused,
                                   bool& depthLess);
