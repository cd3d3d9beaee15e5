// render/logic/light_vectors.h -- what the lighting passes compute on the CPU before they bind
// any array: the choice of path, the per-vertex light and half-angle vectors in tangent space,
// the filter coordinates and weights, the light-facing triangle lists and the scratch arrays
// they live in; no GL.
#pragma once

#include <vector>

#include "base/gl_capabilities.h"

struct Light;
struct Vertex;
class Model;

namespace render {

// How one mesh receives one light.
enum class LightPath {
    FourUnit,  // filtered light: diffuse through both filters on units 0 to 3
    ThreeUnit, // plain light: diffuse on units 0 to 2
    TwoUnit,   // diffuse and highlight through destination alpha
    PerVertex, // fixed-function GL_LIGHT0
};

enum class Highlight {
    None,
    FourUnitCombiners,      // register combiners, 3 general combiners
    FourUnitEnvironment,    // texture-environment subtract-and-scale chain
    TwoUnitCombiners,       // register combiners into destination alpha
    TwoUnitEnvironment,     // one subtract-and-scale stage into destination alpha
};

// The material facts the choice depends on.
struct MeshMaterials {
    bool hasDiffuse = false;
    bool hasNormalMap = false; // a local (normal) map or a height map turned into one
    bool hasSpecular = false;
};

struct LightPlan {
    LightPath path = LightPath::PerVertex;
    bool diffuse = false;         // the bump-mapped diffuse draw runs
    Highlight highlight = Highlight::None;
    bool tangentVectors = false;  // tslight and halight are needed
    bool filterValues = false;    // cubemaptexcoord and vertexcolor are needed
    bool facingList = false;      // the highlight draws only the light-facing triangles
};

// True when the driver can bump-map at all: cube maps, dot3 and texture units.
bool canBumpMap(const GlCapabilities& caps);

// The one choice between the paths, for a filtered (`filtered`) or plain light. The
// light-facing list is built exactly when a highlight is drawn without shadows, so no
// highlight ever draws a list made for another mesh.
LightPlan planLightMesh(const GlCapabilities& caps, bool filtered, const MeshMaterials& materials, bool specularOn,
                        bool shadowed);

// Per vertex: l = light - position and v = eye - position in the vertex's tangent frame
// (tangentS, tangentT, normal); tslight = l, halight = 3 (l/|l| + v/|v|). A zero vector
// (light or eye on the vertex) contributes nothing instead of dividing by zero.
void tangentSpaceLightVectors(const Vertex* verts, int count, const float light[3], const float eye[3],
                              float* tslight, float* halight);

// Weight of the sharp filter at distance `dist`: 1 inside the near radius, falling linearly
// to 0 at the far radius, 0 from the far radius on (also when far <= near).
float filterWeight(float dist, float nearRadius, float farRadius);

// Per vertex: the light-to-vertex vector in the light's filter space (the transposed
// orientation applied to it), and the colour (lightcolor_d, weight) of the vertex.
void filterSpaceValues(const Vertex* verts, int count, const Light& light, const float lightPos[3], float* texcoord,
                       float* colour);

// The draw indices of every triangle of `mesh` whose face normal has a non-negative dot
// product with (light - its first vertex), appended to `out` (cleared first).
void buildLightFacingList(const Model& model, int mesh, const float light[3], std::vector<unsigned int>& out);

// The per-vertex arrays of one pass. They only grow: once every mesh has been drawn, a
// frame allocates nothing.
struct LightScratch {
    std::vector<float> tslight;         // 3 floats per vertex
    std::vector<float> halight;         // 3 floats per vertex
    std::vector<float> cubemaptexcoord; // 3 floats per vertex
    std::vector<float> vertexcolor;     // 4 floats per vertex
    std::vector<unsigned int> facing;   // light-facing draw indices

    // Room for `vertexCount` vertices (and `withFilter`: the filter arrays as well) and
    // `triangleCount` triangles. False, with the log line, when the memory cannot be had.
    bool reserve(int vertexCount, int triangleCount, bool withFilter);
};

} // namespace render
