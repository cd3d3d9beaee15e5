// shadow/geometry_analysis.cpp -- duplicates, seams and tangent-frame clones of one mesh; no GL.
#include "shadow/geometry_analysis.h"

#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/identical_vertices.h"

namespace shadow {

void analyzeGeometry(Model& model, int mesh) {
    steps::analyzeWith(model, mesh, mergeIdenticalVertices);
}

bool worthSpreading(const Model& model) {
    // A thread costs about what a few hundred triangles' analysis does.
    constexpr long long kSpreadFromTriangles = 20000;
    long long triangles = 0;
    for (int m = 0; m < model.numMeshes(); ++m) triangles += model.numTris(m);
    return model.numMeshes() > 1 && triangles >= kSpreadFromTriangles;
}

} // namespace shadow
