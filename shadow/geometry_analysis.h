// shadow/geometry_analysis.h -- load-time analysis: duplicates, seams, clones, edge lists.
#pragma once

class Model;

namespace shadow {

// Merges duplicate vertices, ties seams and appends clones for one mesh of `model`
// (updates verts, numVertsTotal, numClones, the clone lists and indices).
void analyzeGeometry(Model& model, int mesh);

// Builds the edge list of every mesh.
void buildEdges(Model& model);

} // namespace shadow
