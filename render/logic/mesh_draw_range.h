// render/logic/mesh_draw_range.h -- how many indices of a mesh the drawing calls may hand to
// the driver; no GL.
#pragma once

class Model;

namespace render {

// 3 x numTris, cut to the stored indices; 0 when the mesh is not there or any of those
// indices lies outside the mesh's vertex array (the driver would read past it).
int drawableIndexCount(const Model& model, int mesh);

} // namespace render
