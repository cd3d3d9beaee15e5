// shadow/geometry_analysis.cpp -- duplicates, seams and tangent-frame clones of one mesh; no GL.
#include "shadow/geometry_analysis.h"

#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/identical_vertices.h"

namespace shadow {

void analyzeGeometry(Model& model, int mesh) {
    if (!steps::meshExists(model, mesh)) return;
    MeshAnalysis lists;
    steps::beginAnalysis(model, mesh, lists);
    mergeIdenticalVertices(model, mesh, lists);
    steps::splitTangentFrames(model, mesh, lists);
    steps::finishAnalysis(model, mesh, lists);
}

} // namespace shadow
