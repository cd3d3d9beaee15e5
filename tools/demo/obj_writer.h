// tools/demo/obj_writer.h -- Wavefront OBJ text for static meshes, with their MTL library.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/mesh_builder.h"

namespace demo {

// One "usemtl" section per mesh, positions turned from the model's Z-up frame into the
// file's Y-up frame (model x, y, z is written x, z, -y), corners as position/texcoord.
std::string objText(const std::vector<BuildMesh>& meshes, const std::string& mtlLibrary);

// One material per mesh; its diffuse map is "<material>_d.tga", beside the OBJ file.
std::string mtlText(const std::vector<BuildMesh>& meshes);

} // namespace demo
