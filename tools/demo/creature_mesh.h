// tools/demo/creature_mesh.h -- the demo creature's three skinned meshes at bind pose.
#pragma once

#include <vector>

#include "tools/demo/creature_rig.h"
#include "tools/demo/mesh_builder.h"

namespace demo {

// Body (skin: diffuse, specular, height and tangent-space maps), legs (limbs) and the
// dorsal crest with the lure stalk (fin). Materials are named for the texture lookup.
std::vector<BuildMesh> creatureMeshes();

// Vertex positions of `mesh` under a model-space pose (bind rotations are the identity).
std::vector<Vec3> skinPositions(const BuildMesh& mesh, const std::vector<JointPose>& modelPose);

} // namespace demo
