// scene/scene_framing.cpp -- framing bounds with the free camera and the one-model scene; no GL.
#include "scene/scene_framing.h"

#include <algorithm>
#include <cmath>

#include "base/file_open.h"
#include "base/view_math.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The view's near plane; a framed box keeps its nearest corner beyond it.
constexpr double kNearPlane = 1.0;

// The free camera's rotation, Rx(pitch - 90) * Rz(-yaw), as three rows.
struct ViewRotation {
    double row[3][3];

    explicit ViewRotation(const Scene& scene) {
        const double yaw = -scene.cameraYaw * (kPi / 180.0);
        const double pitch = (scene.cameraPitch - 90.0) * (kPi / 180.0);
        const double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
        const double rows[3][3] = {{cy, -sy, 0}, {cp * sy, cp * cy, -sp}, {sp * sy, sp * cy, cp}};
        std::copy(&rows[0][0], &rows[0][0] + 9, &row[0][0]);
    }
    void apply(const double v[3], double out[3]) const {
        for (int r = 0; r < 3; ++r) out[r] = row[r][0] * v[0] + row[r][1] * v[1] + row[r][2] * v[2];
    }
    // A direction of the view (x right, y up, z towards the viewer) in world space.
    Vec3 worldDirection(int axis) const {
        return {static_cast<float>(row[axis][0]), static_cast<float>(row[axis][1]), static_cast<float>(row[axis][2])};
    }
};

// The point the free camera orbits: the origin of the model in focus, else the world origin.
Vec3 orbitCentre(const Scene& scene) {
    const int focus = scene.model_in_focus;
    if (focus >= 0 && focus < scene.nummodels && static_cast<size_t>(focus) < scene.modelpos.size())
        return scene.modelpos[static_cast<size_t>(focus)];
    return {0, 0, 0};
}

Vec3 centreOf(const Bounds& box) {
    return {(box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2, (box.min[2] + box.max[2]) / 2};
}

float halfDiagonal(const Bounds& box) {
    const float dx = box.max[0] - box.min[0], dy = box.max[1] - box.min[1], dz = box.max[2] - box.min[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz) / 2;
}

const Model* modelInFocus(const Scene& scene) {
    const int focus = scene.model_in_focus;
    if (focus < 0 || focus >= scene.nummodels || static_cast<size_t>(focus) >= scene.models.size()) return nullptr;
    return scene.models[static_cast<size_t>(focus)].get();
}

} // namespace

void Bounds::add(const float p[3]) {
    for (int k = 0; k < 3; ++k) {
        min[k] = empty ? p[k] : std::min(min[k], p[k]);
        max[k] = empty ? p[k] : std::max(max[k], p[k]);
    }
    empty = false;
}

bool modelBounds(const Model& model, Bounds& out) {
    out = Bounds{};
    // The corners of the triangles only: a vertex merged into another keeps a stale position.
    for (size_t m = 0; m < model.tris.size() && m < model.verts.size(); ++m) {
        const std::vector<Vertex>& verts = model.verts[m];
        for (const Triangle& tri : model.tris[m])
            for (int corner : tri.v) {
                if (corner < 0 || static_cast<size_t>(corner) >= verts.size()) continue;
                float world[3];
                transformPoint(model.placement, verts[static_cast<size_t>(corner)].pos, world);
                out.add(world);
            }
    }
    return !out.empty;
}

void frameBounds(Scene& scene, const Bounds& box, double fovyDegrees, double aspect, double fill) {
    if (box.empty || !(aspect > 0) || !(fill > 0)) return;
    const ViewRotation rotation(scene);
    const Vec3 orbit = orbitCentre(scene);
    // The eight corners in the rotated frame, relative to the orbit centre.
    double corners[8][3];
    double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
    for (int i = 0; i < 8; ++i) {
        const double world[3] = {(i & 1 ? box.max[0] : box.min[0]) - orbit[0], (i & 2 ? box.max[1] : box.min[1]) - orbit[1],
                                 (i & 4 ? box.max[2] : box.min[2]) - orbit[2]};
        rotation.apply(world, corners[i]);
        for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], corners[i][k]), high[k] = std::max(high[k], corners[i][k]);
    }
    const double centre[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    // A corner at (x, y, z) from the centre, the centre at distance D, is seen at depth D - z; it
    // reaches the fraction max(|x| / (t * aspect), |y| / t) / (D - z) of the half picture.
    const double t = std::tan(fovyDegrees * (kPi / 360.0));
    double distance = 0;
    for (const double* c : corners) {
        const double x = c[0] - centre[0], y = c[1] - centre[1], z = c[2] - centre[2];
        const double reach = std::max(std::fabs(x) / (t * aspect), std::fabs(y) / t) / fill;
        distance = std::max(distance, z + std::max(reach, 2 * kNearPlane));
    }
    scene.cameraPanX = static_cast<float>(centre[0]);
    scene.cameraPanY = static_cast<float>(centre[1]);
    scene.cameraDolly = static_cast<float>(-distance - centre[2]);
}

bool frameModelInFocus(Scene& scene, double aspect) {
    const Model* model = modelInFocus(scene);
    Bounds box;
    if (!model || !modelBounds(*model, box)) return false;
    scene.animatedCamera = 0;
    frameBounds(scene, box, kFreeCameraFov, aspect);
    return true;
}

void makeModelScene(Scene& scene, const std::string& modelFile, const std::string& animFile) {
    scene.basepath = folderOf(modelFile);
    if (scene.basepath.empty()) scene.basepath = "./";
    addModelSlot(scene);
    scene.modelname[0] = modelFile;
    if (!animFile.empty()) scene.modelanim[0] = animFile;
    addLight(scene);
    scene.model_in_focus = 0;
    scene.selectedLight = 0;
}

void placeModelSceneLightAndCamera(Scene& scene, double aspect) {
    const Model* model = modelInFocus(scene);
    Bounds box;
    if (!model || !modelBounds(*model, box)) return;
    frameBounds(scene, box, kFreeCameraFov, aspect);
    if (scene.lights.empty()) return;
    // Up and towards the viewer, each by the radius of the box's sphere: outside the model,
    // still between it and the camera.
    const ViewRotation rotation(scene);
    const Vec3 up = rotation.worldDirection(1), back = rotation.worldDirection(2), centre = centreOf(box);
    const float size = std::max(halfDiagonal(box), 1.0f);
    Light& light = scene.lights[0];
    for (int k = 0; k < 3; ++k) light.lightpos[k] = centre[k] + size * (up[k] + back[k]);
    light.lightpos[3] = 1;
}
