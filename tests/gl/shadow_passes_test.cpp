// tests/gl/shadow_passes_test.cpp -- the shadow volumes' stencil against shadows cast by rays
// with every stencil method, the batched arrays against one primitive at a time, and the
// analyzer and edge overlays; in the render-pass tests' context.
#include <gtest/gtest.h>

#include <GL/glu.h>

#include <array>
#include <cmath>
#include <memory>
#include <set>

#include "model/model.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/logic/stencil_method.h"
#include "render/shadow_volumes.h"
#include "render/view_setup.h"
#include "scene/scene.h"
#include "shadow/shadow_volume.h"
#include "tests/gl/gl_checks.h"
#include "tests/support/volume_shapes.h"

namespace {

constexpr int kSize = 64; // the window of the render-pass tests
using namespace volume_shapes;
using Vec = std::array<double, 3>;

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Camera { Vec eye, centre, up; };

// Models standing at the origin (identity placement), one light, one camera.
struct ShadowScene {
    std::vector<std::unique_ptr<Model>> models;
    Vec light{1.2, 0.8, 6.0};
    Camera camera{{0.5, -3, 9}, {0, 0, 0}, {0, 1, 0}};
    void add(const std::vector<MeshShape>& shapes, int joints = 0) {
        models.push_back(std::make_unique<Model>());
        prepare(*models.back(), shapes, joints);
    }
};

// A floor of side 16 at z = 0 and an occluder between it and the light.
ShadowScene sceneWith(const MeshShape& occluder) {
    ShadowScene s;
    s.add({placed(square(), 8, 0, 0, 0)});
    s.add({occluder});
    return s;
}

void setView(const ShadowScene& s, Light& light) {
    render::setProjection(45, kSize, kSize, 0);
    render::selectModelView();
    glLoadIdentity();
    const Camera& c = s.camera;
    gluLookAt(c.eye[0], c.eye[1], c.eye[2], c.centre[0], c.centre[1], c.centre[2], c.up[0], c.up[1], c.up[2]);
    float v[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, v);
    for (int r = 0; r < 3; ++r)
        light.eyePos[r] = static_cast<float>(v[r] * s.light[0] + v[4 + r] * s.light[1] + v[8 + r] * s.light[2] + v[12 + r]);
    light.eyePos[3] = 1;
}

// The reference for the batched arrays: one glBegin/glEnd per cap, each with its own depth
// function, and one quad list per mesh, straight from the triangles and edges.
void sendVolumeOnePrimitiveAtATime(const Model& model, int mesh, const shadow::VolumeGeometry&, bool& depthLess) {
    if (!shadow::castsShadow(model, mesh) || !shadow::meshIndicesInRange(model, mesh)) return;
    const auto at = [](int i) { return static_cast<size_t>(i); };
    const std::vector<Vertex>& verts = model.verts[at(mesh)];
    const std::vector<Triangle>& tris = model.tris[at(mesh)];
    const float* light = model.lightPosModel;
    const auto point = [](const float* p) { glVertex4f(p[0], p[1], p[2], 1.0f); };
    const auto atInfinity = [light](const float* p) { glVertex4f(p[0] - light[0], p[1] - light[1], p[2] - light[2], 0); };
    for (const Triangle& t : tris) {
        if (!t.facesLight) continue;
        const float *p0 = verts[at(t.v[0])].pos, *p1 = verts[at(t.v[1])].pos, *p2 = verts[at(t.v[2])].pos;
        glBegin(GL_TRIANGLES);
        for (const float* p : {p0, p2, p1}) atInfinity(p);
        glEnd();
        glDepthFunc(GL_LESS);
        glBegin(GL_TRIANGLES);
        for (const float* p : {p0, p1, p2}) point(p);
        glEnd();
        glDepthFunc(GL_LEQUAL);
        depthLess = false;
    }
    const auto side = [&](const float* a, const float* b) { point(b); point(a); atInfinity(a); atInfinity(b); };
    glBegin(GL_QUADS);
    for (const Edge& e : model.edges[at(mesh)]) {
        if (!e.isSilhouette) continue;
        const float *q0 = verts[at(e.v0)].pos, *q1 = verts[at(e.v1)].pos;
        if ((e.v0 < e.v1 && tris[at(e.tri0)].facesLight) || (e.tri1 == -1 && e.v0 > e.v1)) side(q0, q1);
        else if (e.v0 < e.v1 && e.tri1 != -1 && tris[at(e.tri1)].facesLight) side(q1, q0);
    }
    glEnd();
}

struct Frame { std::vector<unsigned char> stencil, colour; };

// The ambient pass and every model's volume for the one light, as the frame draws them, read back.
Frame drawShadows(ShadowScene& s, const GlCapabilities& caps, bool debug,
                  render::VolumeSender send = render::sendVolumeArrays) {
    Light light;
    render::setFrameState(caps);
    setView(s, light);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    for (auto& m : s.models) render::drawAmbientPass(*m, ambient, caps);
    for (auto& m : s.models) {
        render::computeLightInModelSpace(*m, light);
        render::markAllSilhouettes(*m);
        render::drawShadowVolumesWith(*m, caps, debug, send);
    }
    Frame f{std::vector<unsigned char>(kSize * kSize), readRgb(kSize, kSize)};
    glReadPixels(0, 0, kSize, kSize, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, f.stencil.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return f;
}

struct WorldTriangle { Vec a, b, c, normal; int model; };

std::vector<WorldTriangle> worldTriangles(const ShadowScene& s) {
    std::vector<WorldTriangle> out;
    for (size_t i = 0; i < s.models.size(); ++i)
        for (size_t mesh = 0; mesh < s.models[i]->tris.size(); ++mesh)
            for (const Triangle& t : s.models[i]->tris[mesh]) {
                Vec p[3];
                for (size_t k = 0; k < 9; ++k) p[k / 3][k % 3] = s.models[i]->verts[mesh][size_t(t.v[k / 3])].pos[k % 3];
                out.push_back({p[0], p[1], p[2], cross(sub(p[1], p[0]), sub(p[2], p[0])), static_cast<int>(i)});
            }
    return out;
}

// Ray parameter where origin + t dir crosses the triangle, or -1.
double hit(const WorldTriangle& t, const Vec& origin, const Vec& dir) {
    const Vec e1 = sub(t.b, t.a), e2 = sub(t.c, t.a), p = cross(dir, e2), s = sub(origin, t.a), q = cross(s, e1);
    const double det = dot(e1, p), u = dot(s, p) / det, v = dot(dir, q) / det;
    return std::fabs(det) < 1e-12 || u < 0 || v < 0 || u + v > 1 ? -1 : dot(e2, q) / det;
}

// Per pixel: -1 background, else (visible model) * 2 + (1 when the point lies behind a
// triangle that faces the light, i.e. inside a volume).
std::vector<int> castShadows(const ShadowScene& s) {
    const std::vector<WorldTriangle> tris = worldTriangles(s);
    Light unused;
    setView(s, unused);
    double mv[16], pr[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    std::vector<int> out(kSize * kSize, -1);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            Vec n, f;
            gluUnProject(x + 0.5, y + 0.5, 0.0, mv, pr, vp, &n[0], &n[1], &n[2]);
            gluUnProject(x + 0.5, y + 0.5, 0.5, mv, pr, vp, &f[0], &f[1], &f[2]);
            const Vec dir = sub(f, n);
            double best = 1e30;
            const WorldTriangle* seen = nullptr;
            for (const WorldTriangle& t : tris) {
                if (dot(t.normal, dir) >= 0) continue; // culled back face
                const double d = hit(t, n, dir);
                if (d > 0 && d < best) best = d, seen = &t;
            }
            if (!seen) continue;
            const Vec p = {n[0] + best * dir[0], n[1] + best * dir[1], n[2] + best * dir[2]};
            const Vec toLight = sub(s.light, p);
            bool shadowed = false;
            for (const WorldTriangle& t : tris) {
                if (&t == seen || dot(t.normal, sub(s.light, t.a)) <= 0) continue;
                const double d = hit(t, p, toLight);
                shadowed = shadowed || (d > 1e-6 && d < 1);
            }
            out[static_cast<size_t>(y * kSize + x)] = seen->model * 2 + (shadowed ? 1 : 0);
        }
    return out;
}

// Mismatches of stencil and rays over the pixels whose 3 x 3 neighbourhood the rays agree on.
int compareWithRays(const std::vector<int>& rays, const std::vector<unsigned char>& stencil, int& shadowed, int& lit) {
    int mismatches = 0;
    shadowed = lit = 0;
    for (int y = 1; y + 1 < kSize; ++y)
        for (int x = 1; x + 1 < kSize; ++x) {
            const int expected = rays[static_cast<size_t>(y * kSize + x)];
            bool interior = expected >= 0;
            for (int d = 0; d < 9; ++d)
                interior = interior && rays[size_t((y + d / 3 - 1) * kSize + x + d % 3 - 1)] == expected;
            if (!interior) continue;
            const bool inShadow = expected & 1;
            (inShadow ? shadowed : lit)++;
            mismatches += inShadow != (stencil[static_cast<size_t>(y * kSize + x)] != 0);
        }
    return mismatches;
}

// The --caps lists that reach every stencil method, with and without depth clamping.
const char* const kCapsVariants[] = {"", "-twoside", "-twoside,-separatestencil", "-depthclamp",
                                     "-stencilwrap,-depthclamp"};

struct NamedScene { const char* name; ShadowScene scene; bool rays; };

// The overlays seen straight from above through an orthographic view.
void beginFlatView(double left, double right, double bottom, double top) {
    render::setFrameState(probedCapabilities());
    orthoView(kSize, kSize, left, right, bottom, top, 10);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
}

void expectFillMode() {
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
}

int pixelsNear(const std::vector<unsigned char>& rgb, int r, int g, int b, int tolerance = 12) {
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        n += std::abs(rgb[i] - r) <= tolerance && std::abs(rgb[i + 1] - g) <= tolerance && std::abs(rgb[i + 2] - b) <= tolerance;
    return n;
}

} // namespace

// The stencil is non-zero exactly where rays find a shadow, whichever method counts it; the
// batched arrays count and tint as one primitive at a time does; the light passes' state follows.
TEST(ShadowVolumes, StencilMatchesTheRaysAndTheOnePrimitiveReferenceWithEveryMethod) {
    REQUIRE_CONTEXT();
    // Mesa offers every method and depth clamping; the variants must reach all three methods.
    EXPECT_TRUE(limited("").hasDepthClamp);
    std::set<render::StencilMethod> reached;
    for (const char* list : kCapsVariants) reached.insert(render::chooseStencilMethod(limited(list)));
    EXPECT_EQ(reached.size(), 3u);
    std::vector<NamedScene> scenes;
    scenes.push_back({"open square", sceneWith(placed(square(), 1, 0, 0, 2)), true});
    scenes.push_back({"closed cube", sceneWith(placed(cube(), 0.8f, 0, 0, 2.2f)), true});
    scenes.push_back({"edge of three triangles", sceneWith(placed(fin(), 1.2f, 0, 0, 2)), true});
    scenes.push_back({"camera inside the volume", sceneWith(placed(square(), 1, 0, 0, 2)), true});
    scenes.back().scene.camera = {{-0.12, -0.08, 1.6}, {-0.12, -0.08, 0}, {0, 1, 0}};
    // A skinned model (clockwise front faces) with seams, mirrored strips and duplicates.
    scenes.push_back({"skinned grid", sceneWith(placed(cube(), 0.5f, 0, 0, 1.5f)), false});
    scenes.back().scene.add({placed(analysis_meshes::gridMesh({8, 8, 3, 5, 5, 2}), 0.3f, -1, -1, 3)}, 2);
    // No floor: the far caps meet the cleared depth of the background.
    scenes.push_back({"cube before the background", {}, false});
    scenes.back().scene.add({placed(cube(), 0.8f, 0, 0, 2.2f)});
    for (NamedScene& named : scenes) {
        SCOPED_TRACE(named.name);
        const std::vector<int> rays = named.rays ? castShadows(named.scene) : std::vector<int>{};
        std::vector<unsigned char> first;
        for (const char* list : kCapsVariants) {
            SCOPED_TRACE(std::string("caps ") + list);
            Frame frame;
            for (bool debug : {true, false}) {
                const Frame reference = drawShadows(named.scene, limited(list), debug, sendVolumeOnePrimitiveAtATime);
                frame = drawShadows(named.scene, limited(list), debug);
                EXPECT_TRUE(frame.stencil == reference.stencil);
                EXPECT_TRUE(frame.colour == reference.colour) << "debug " << debug;
            }
            // The state the light passes expect.
            expectStates({{GL_DEPTH_FUNC, GL_LEQUAL}, {GL_DEPTH_WRITEMASK, GL_TRUE}, {GL_STENCIL_TEST, GL_FALSE},
                          {GL_TEXTURE_2D, GL_FALSE}, {GL_CULL_FACE, GL_TRUE}, {GL_STENCIL_FAIL, GL_KEEP},
                          {GL_STENCIL_PASS_DEPTH_FAIL, GL_KEEP}, {GL_STENCIL_BACK_PASS_DEPTH_FAIL, GL_KEEP},
                          {GL_DEPTH_CLAMP, GL_FALSE}, {GL_VERTEX_ARRAY, GL_TRUE}, {GL_TEXTURE_COORD_ARRAY, GL_TRUE}});
            expectModulateAndColourWrites();
            if (first.empty()) first = frame.stencil;
            EXPECT_TRUE(frame.stencil == first) << "counts otherwise than the first method";
            if (rays.empty()) continue;
            int shadowed = 0, lit = 0;
            EXPECT_EQ(compareWithRays(rays, frame.stencil, shadowed, lit), 0);
            EXPECT_GT(shadowed, 50);
            EXPECT_TRUE(lit > 50 || named.scene.camera.eye[2] < 2) << "too little lit floor";
        }
    }
}

// The analyzer: mirrored faces cyan, others red, points at seams and identical twins.
TEST(Overlays, AnalyzerColoursSeamPointsOpenEdgesAndWireframe) {
    REQUIRE_CONTEXT();
    Model model;
    prepare(model, {analysis_meshes::gridMesh({8, 8, 2, 5, 13})});
    beginFlatView(0, 8, 0, 8);
    render::drawSeamPoints(model);
    render::drawMeshAnalyzer(model, probedCapabilities());
    std::vector<unsigned char> rgb = readRgb(kSize, kSize);
    EXPECT_GT(pixelsNear(rgb, 255, 0, 0), 300) << "right-handed faces";
    EXPECT_GT(pixelsNear(rgb, 0, 255, 255), 300) << "mirrored faces";
    EXPECT_GT(pixelsNear(rgb, 255, 255, 255), 8) << "seam corners";
    EXPECT_GT(pixelsNear(rgb, 255, 153, 76), 2) << "identical twins";
    expectFillMode();
    // Open edges in yellow over everything, none for a closed mesh; the wireframe outlines.
    Model square, cube;
    prepare(square, {placed(volume_shapes::square(), 0.5f, 0, 0, -1)});
    prepare(cube, {placed(volume_shapes::cube(), 0.9f, 0, 0, 2)});
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
    beginFlatView(-1, 1, -1, 1);
    render::drawAmbientPass(cube, grey, probedCapabilities()); // in front of the square
    render::drawOpenEdges(cube);
    EXPECT_EQ(pixelsNear(readRgb(kSize, kSize), 230, 204, 51), 0);
    render::drawOpenEdges(square);
    rgb = readRgb(kSize, kSize);
    EXPECT_GT(pixelsNear(rgb, 230, 204, 51), 4 * 28); // four sides of 32 pixels, two wide
    EXPECT_NEAR(rgb[3 * (kSize / 2 * kSize + kSize / 2)], 128, 2) << "inside the square stays grey";
    expectStates({{GL_DEPTH_FUNC, GL_LESS}});

    beginFlatView(-1, 1, -1, 1);
    render::drawWireframeOverlay(square, probedCapabilities());
    rgb = readRgb(kSize, kSize);
    EXPECT_GT(pixelsNear(rgb, 255, 255, 255), 4 * 28);
    EXPECT_GT(pixelsNear(rgb, 255, 0, 0) + pixelsNear(rgb, 0, 0, 255), 0) << "face tangents";
    expectFillMode();
    expectStates({{GL_POLYGON_OFFSET_LINE, GL_FALSE}});
}
