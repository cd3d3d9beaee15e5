// shadow/geometry_analysis.cpp -- duplicates, seams and tangent-frame clones of one mesh; no GL.
#include "shadow/geometry_analysis.h"

#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/identical_vertices.h"

namespace shadow {

void analyzeGeometry(Model& model, int mesh) {
    steps::analyzeWith(model, mesh, mergeIdenticalVertices);
}

} // namespace shadow
