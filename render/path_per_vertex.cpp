// render/path_per_vertex.cpp -- the fallback without bump mapping: fixed-function GL_LIGHT0
// at the light's model-space position, one vertex normal per corner.
//
//   unit 0  diffuse map (corner or vertex u, v), modulate; none without one
//   other units untouched (the bump-mapped paths leave them empty)
//   lighting: GL_LIGHT0 with lightcolor_d, lightcolor_s and lightAmbient; blend (one, one)
#include "model/model.h"
#include "render/light_paths.h"
#include "scene/scene.h"

namespace render {
namespace {

void sendTriangles(const Model& model, int mesh) {
    const auto m = static_cast<size_t>(mesh);
    const std::vector<Vertex>& verts = model.verts[m];
    const std::vector<int>& indices = model.indices[m];
    const std::vector<CornerVertex>& corners = model.corners[m];
    // A static model takes its texture coordinates per corner; a skinned one, or a static
    // one without corner records, from its vertices.
    const bool useCorners = model.numJoints() == 0 && corners.size() >= indices.size();
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < indices.size(); ++i) {
        const Vertex& v = verts[static_cast<size_t>(indices[i])];
        glNormal3fv(v.normal);
        if (useCorners)
            glTexCoord2f(corners[i].u, corners[i].v);
        else
            glTexCoord2f(v.u, v.v);
        glVertex3fv(v.pos);
    }
    glEnd();
}

} // namespace

void drawPerVertex(const LightMesh& d) {
    const auto m = static_cast<size_t>(d.mesh);
    glColor4f(1, 1, 1, 1);
    if (d.caps.hasMultitexture) selectUnit(0);
    if (d.model.hasDiffuse[m]) {
        glBindTexture(GL_TEXTURE_2D, d.model.diffuseTex[m]);
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glDepthFunc(GL_EQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    // The position goes through the current modelview, which holds the model's placement.
    const float position[4] = {d.lightPos[0], d.lightPos[1], d.lightPos[2], 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, d.light.lightcolor_d);
    glLightfv(GL_LIGHT0, GL_SPECULAR, d.light.lightcolor_s);
    glLightfv(GL_LIGHT0, GL_AMBIENT, d.light.lightAmbient);
    glEnable(GL_LIGHT0);
    sendTriangles(d.model, d.mesh);

    // The overlays and markers drawn after the light passes expect plain colour again.
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
}

} // namespace render
