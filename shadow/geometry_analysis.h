// shadow/geometry_analysis.h -- load-time analysis: duplicates, seams, clones, edge lists.
#pragma once

class Model;

namespace shadow {

// Merges duplicate vertices, ties seams and appends clones for one mesh of `model`
// (updates verts, numVertsTotal, numClones, numDuplicates, the clone lists and indices).
// Expects the face vectors, rightHanded flags, incidence lists and indices of the bind pose.
// Candidate pairs are found through a spatial index; the result equals the pairwise order's.
void analyzeGeometry(Model& model, int mesh);

// Builds the edge list of every mesh from the triangle records (after analyzeGeometry).
// Edges are paired through a sorted key table; the result equals the linear search's. The
// meshes are built on several threads where worthSpreading says so; the log reads the same.
void buildEdges(Model& model);

// Whether `model` holds enough triangles for work on its meshes to pay for more threads.
bool worthSpreading(const Model& model);

// The plain pairwise versions: every vertex pair in order, a linear search per edge.
// Kept as the reference the fast versions are tested against.
namespace reference {
void analyzeGeometry(Model& model, int mesh);
void buildEdges(Model& model);
} // namespace reference

} // namespace shadow
