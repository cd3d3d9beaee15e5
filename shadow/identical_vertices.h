// shadow/identical_vertices.h -- finds and merges coinciding vertices through a grid index; no GL.
#pragma once

class Model;

namespace shadow {
struct MeshAnalysis;
}

namespace shadow {

// Merges every pair (i, j), i < j, that the pairwise order would merge, in that order, but
// looks only at pairs whose positions (static models) or weights (skinned models) fall in
// neighbouring grid cells. Near-linear for ordinary meshes.
void mergeIdenticalVertices(Model& model, int mesh, MeshAnalysis& lists);

} // namespace shadow
