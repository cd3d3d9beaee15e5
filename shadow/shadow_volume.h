// shadow/shadow_volume.h -- per light: the triangles facing it, the silhouette edges and the
// shadow volume's geometry (caps and sides, the far ends at infinity with w = 0); no GL.
#pragma once

#include <vector>

class Model;

namespace shadow {

// True when every triangle corner, draw index and edge of the mesh names a vertex or
// triangle that exists. A model whose load stopped halfway skips post-processing, so the
// per-frame passes check this once per mesh instead of trusting the loader's invariants.
bool meshIndicesInRange(const Model& model, int mesh);

// A mesh casts a shadow when it is loaded and does not carry a specular map alone.
bool castsShadow(const Model& model, int mesh);

// facesLight of every triangle: the light (model.lightPosModel) lies strictly in front of the
// plane through the triangle's first corner along its normal. The mesh's records must be in
// range.
void markFacingTriangles(Model& model, int mesh);

// isSilhouette of every edge: an open edge when its triangle faces the light, a shared edge
// when exactly one of its two triangles does. Marks the triangles first. A mesh whose
// records are out of range gets no silhouette.
void markSilhouetteEdges(Model& model, int mesh);
void markAllSilhouettes(Model& model);

// The volume of one mesh for the marked light, as homogeneous vertices (x, y, z, w), four
// floats each. Each lit triangle gives a near cap (the triangle itself, w = 1) and a far cap
// (its corners pushed away from the light to infinity, w = 0, in reverse order); each
// silhouette edge gives one quad that follows the winding of the lit triangle on it.
struct VolumeGeometry {
    std::vector<float> nearCaps; // three vertices per lit triangle
    std::vector<float> farCaps;  // three vertices per lit triangle, same order as nearCaps
    std::vector<float> sides;    // four vertices per silhouette edge

    static constexpr int kFloatsPerVertex = 4;
    int capCount() const { return static_cast<int>(nearCaps.size() / (3 * kFloatsPerVertex)); }
    int sideCount() const { return static_cast<int>(sides.size() / (4 * kFloatsPerVertex)); }
};

// Fills `out` from the current positions, facesLight and isSilhouette (markSilhouetteEdges
// first). Empty when the mesh casts no shadow or its records are out of range. The arrays
// keep their capacity from one call to the next.
void buildVolumeGeometry(const Model& model, int mesh, VolumeGeometry& out);

// The lines of the edge overlays, two vertices (x, y, z) per edge in edge order: the open
// edges (no second triangle) and the silhouette edges. Empty for a mesh out of range.
void openEdgeLines(const Model& model, int mesh, std::vector<float>& out);
void silhouetteEdgeLines(const Model& model, int mesh, std::vector<float>& out);

} // namespace shadow
