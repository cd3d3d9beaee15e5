// render/skeleton_markers.cpp -- the posed skeleton with its joint axes, and the camera
// frustums of a camera animation: lines in front of everything that write no depth.
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/logic/capability_probe.h"
#include "model/model.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/logic/marker_geometry.h"

namespace render {
namespace {

void beginMarkers() {
    glDisable(GL_LIGHTING);
    if (probedCapabilities().hasMultitexture) {
        ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        if (probedCapabilities().hasCubeMap) glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_2D);
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_FALSE);
}

void endMarkers() {
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColor3f(1, 1, 1);
}

void emitLine(const MarkerLine& line) {
    glBegin(GL_LINES);
    glVertex3fv(line.from);
    glVertex3fv(line.to);
    glEnd();
}

void drawJointAxes(const Joint& joint) {
    static const float kAxisColours[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    MarkerLine axes[3];
    jointAxes(joint.pos, joint.rot, axes);
    for (int axis = 0; axis < 3; ++axis) {
        glColor3fv(kAxisColours[axis]);
        emitLine(axes[axis]);
    }
}

void drawFrustum(const Joint& joint) {
    const CameraFrustum frustum = cameraFrustum(joint.pos, joint.rot);
    glBegin(GL_LINE_STRIP);
    for (const float* corner : frustum.nearLoop) glVertex3fv(corner);
    glEnd();
    for (const MarkerLine& edge : frustum.edges) emitLine(edge);
}

} // namespace

void drawSkeleton(Model& model) {
    beginMarkers();
    const int count = model.numJoints();
    for (int j = 0; j < count; ++j) {
        MarkerLine bone;
        if (boneLine(model, j, bone)) {
            glLineWidth(2);
            glColor3f(0.6f, 0.6f, 1.0f);
            emitLine(bone);
            glLineWidth(1);
        }
        drawJointAxes(model.joints[static_cast<size_t>(j)]);
    }
    endMarkers();
}

void drawCameraJoints(Model& model) {
    beginMarkers();
    const int count = model.numJoints();
    for (int j = 0; j < count; ++j) {
        if (j == model.cameraJoint) glLineWidth(3);
        glColor3f(1, 1, 1);
        drawFrustum(model.joints[static_cast<size_t>(j)]);
        glLineWidth(1);
    }
    endMarkers();
}

} // namespace render
