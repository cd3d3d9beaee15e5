// tools/demo/md5_writer.h -- MD5Version 10 mesh and animation text for the demo creature.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/creature_rig.h"
#include "tools/demo/mesh_builder.h"

namespace demo {

// The mesh file: joints at bind (identity rotations), then one block per mesh with its
// shader, vertices, triangles (as wound in the builder) and weights.
std::string md5MeshText(const std::vector<RigJoint>& skeleton, const std::vector<BuildMesh>& meshes);

struct Md5Bounds {
    Vec3 min, max;
};

// The animation file: hierarchy with each joint's flags, per-frame bounds, the base frame
// and per frame the animated components of each joint, one line per joint.
std::string md5AnimText(const std::vector<RigJoint>& skeleton, const std::vector<JointPose>& baseFrame,
                        const std::vector<std::vector<JointPose>>& frames, const std::vector<Md5Bounds>& bounds,
                        float frameRate);

} // namespace demo
