// render/light_paths.h -- what the lighting paths share: the mesh in hand, the process-wide
// state of the passes, and the unit and array helpers. Each path lives in its own file.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include "base/gl_capabilities.h"
#include "render/logic/light_vectors.h"

struct Light;
class Model;

namespace render {

// The scratch arrays of the two passes (filtered and plain lights keep their own, as the
// passes may meet meshes of different sizes), the normalisation cube map and the one-time
// notice. One record, kept until exit.
struct LightPassState {
    LightScratch filtered;
    LightScratch plain;
    unsigned int normalisationCube = 0;
    bool noticeShown = false;
};
LightPassState& lightPassState();

// Start-up hands over the normalisation cube map it built (0: none).
void setNormalisationCubeTexture(unsigned int name);

// One mesh lit by one light, everything a path reads.
struct LightMesh {
    Model& model;
    int mesh;
    const Light& light;
    bool shadowed;
    const GlCapabilities& caps;
    const LightPlan& plan;
    const LightScratch& scratch;
    const float* lightPos; // model space
    unsigned int normalisationCube;
};

// --- helpers (light_pass.cpp) ---
// Both the server and the client side of a unit.
void selectUnit(int unit);
// Binds `name` on the active unit as `target` (GL_TEXTURE_2D or the cube map) and turns the
// other target off, so that a cube map left on cannot hide the 2D texture.
void useTexture(GLenum target, GLuint name);
void noTexture();
// The texture environment on the active unit: GL_COMBINE with one RGB and one alpha function.
void combineRgb(GLenum function, GLenum source0, GLenum operand0, GLenum source1 = GL_PREVIOUS_ARB,
                GLenum operand1 = GL_SRC_COLOR);
void combineAlpha(GLenum function, GLenum source0, GLenum operand0, GLenum source1 = GL_PREVIOUS_ARB,
                  GLenum operand1 = GL_SRC_ALPHA);
// Vertex positions from the vertex records; the texture coordinates of the active unit from
// the records' u, v, from a 3-float array, or none.
void vertexArray(const LightMesh& d);
void uvCoordinates(const LightMesh& d);
void vectorCoordinates(const float* xyz);
void noCoordinates();
// Unit 0 the normal map (u, v) with RGB = dot3 of its texel and unit 1's; unit 1 the
// normalisation cube looked up along `vectors` (3 floats per vertex). Unit 1 stays active.
void normalDotCube(const LightMesh& d, const float* vectors);
void drawAllTriangles(const LightMesh& d);
// The highlight's triangles: the light-facing list when one was built, else all.
void drawHighlightTriangles(const LightMesh& d);
// Depth test for a highlight: equal over the ambient pass's depth, or, for a surface the
// ambient pass left out (no diffuse map), less-or-equal with the stencil state saved and
// the test off. Returns whether the stencil state was pushed.
bool highlightDepth(const LightMesh& d);
// What every bump-mapped path hands back: units 1 to 3 empty, unit 0 active with modulate,
// colour white, blend (one, zero), depth less, alpha reference 0.5, depth and colour writes on.
void leaveBumpPaths(const GlCapabilities& caps);

// --- paths, one file each ---
void drawFourUnitDiffuse(const LightMesh& d);        // path_four_unit.cpp
void drawFourUnitHighlight(const LightMesh& d);      // path_four_unit.cpp (either set-up)
void drawThreeUnitDiffuse(const LightMesh& d);       // path_three_unit.cpp
void drawTwoUnit(const LightMesh& d);                // path_two_unit.cpp
void drawPerVertex(const LightMesh& d);              // path_per_vertex.cpp

// --- register combiners (path_register_combiners.cpp) ---
// The highlight program: general combiners 0 to generalCombiners - 1 of the table and the
// final combiner. `intoAlpha`: the final combiner puts spare 0's blue into alpha and
// nothing into colour (the two-unit highlight into destination alpha). Stage 3 is written
// only where the driver has a fourth combiner.
void loadHighlightCombiners(int generalCombiners, bool intoAlpha, int maxGeneralCombiners);
// Register-combiner four-unit set-up: units and textures, then the program.
void setUpFourUnitCombiners(const LightMesh& d);

} // namespace render
