// tests/gl/shadow_passes_test.cpp -- the shadow volumes' stencil against shadows cast by rays
// with every stencil method, the batched arrays against one primitive at a time, the debug
// tint, damaged models, and the analyzer and edge overlays; in the render-pass tests' context.
#include <gtest/gtest.h>

#include <GL/glu.h>

#include <algorithm>
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

#define REQUIRE_CONTEXT() \
    if (!SDL_GL_GetCurrentContext()) GTEST_SKIP() << "no OpenGL context on the offscreen driver"

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Camera {
    Vec eye, centre, up;
};

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
    const auto atInfinity = [light](const float* p) {
        glVertex4f(p[0] - light[0], p[1] - light[1], p[2] - light[2], 0.0f);
    };
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

struct Frame {
    std::vector<unsigned char> stencil, colour;
};

// Ambient pass, then every model's volume for the one light, as the frame draws them; the
// stencil and colour buffers read back.
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

struct WorldTriangle {
    Vec a, b, c, normal;
    int model;
};

std::vector<WorldTriangle> worldTriangles(const ShadowScene& s) {
    std::vector<WorldTriangle> out;
    for (size_t i = 0; i < s.models.size(); ++i) {
        const Model& m = *s.models[i];
        for (int mesh = 0; mesh < m.numMeshes(); ++mesh)
            for (const Triangle& t : m.tris[static_cast<size_t>(mesh)]) {
                Vec p[3];
                for (int k = 0; k < 3; ++k)
                    for (int c = 0; c < 3; ++c) p[k][c] = m.verts[static_cast<size_t>(mesh)][static_cast<size_t>(t.v[k])].pos[c];
                out.push_back({p[0], p[1], p[2], cross(sub(p[1], p[0]), sub(p[2], p[0])), static_cast<int>(i)});
            }
    }
    return out;
}

// Ray parameter where origin + t dir crosses the triangle, or -1.
double hit(const WorldTriangle& t, const Vec& origin, const Vec& dir) {
    const Vec e1 = sub(t.b, t.a), e2 = sub(t.c, t.a);
    const Vec p = cross(dir, e2);
    const double det = dot(e1, p);
    if (std::fabs(det) < 1e-12) return -1;
    const Vec s = sub(origin, t.a);
    const double u = dot(s, p) / det;
    if (u < 0 || u > 1) return -1;
    const Vec q = cross(s, e1);
    const double v = dot(dir, q) / det;
    if (v < 0 || u + v > 1) return -1;
    return dot(e2, q) / det;
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

// Pixels whose 3 x 3 neighbourhood agrees on what is seen and whether it is shadowed: the
// stencil must be non-zero exactly where the rays found a shadow. Returns the mismatches.
int compareWithRays(const std::vector<int>& rays, const std::vector<unsigned char>& stencil, int& shadowed, int& lit) {
    int mismatches = 0;
    shadowed = lit = 0;
    for (int y = 1; y + 1 < kSize; ++y)
        for (int x = 1; x + 1 < kSize; ++x) {
            const int expected = rays[static_cast<size_t>(y * kSize + x)];
            bool interior = expected >= 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    interior = interior && rays[static_cast<size_t>((y + dy) * kSize + x + dx)] == expected;
            if (!interior) continue;
            const bool inShadow = expected & 1;
            (inShadow ? shadowed : lit)++;
            mismatches += inShadow != (stencil[static_cast<size_t>(y * kSize + x)] != 0);
        }
    return mismatches;
}

// The --caps lists that reach every stencil method, with and without depth clamping.
const char* const kCapsVariants[] = {"", "-twoside", "-twoside,-separatestencil", "-stencilwrap",
                                     "-depthclamp", "-twoside -depthclamp", "-stencilwrap,-depthclamp"};

struct NamedScene {
    const char* name;
    ShadowScene scene;
};

std::vector<NamedScene> occluderScenes() {
    std::vector<NamedScene> out;
    out.push_back({"open square", sceneWith(placed(square(), 1, 0, 0, 2))});
    out.push_back({"closed cube", sceneWith(placed(cube(), 0.8f, 0, 0, 2.2f))});
    out.push_back({"edge of three triangles", sceneWith(placed(fin(), 1.2f, 0, 0, 2))});
    NamedScene inside{"camera inside the volume", sceneWith(placed(square(), 1, 0, 0, 2))};
    inside.scene.camera = {{-0.12, -0.08, 1.6}, {-0.12, -0.08, 0}, {0, 1, 0}};
    out.push_back(std::move(inside));
    return out;
}

} // namespace

TEST(ShadowVolumes, StencilIsNonZeroExactlyInTheShadowTheRaysCastWithEveryMethod) {
    REQUIRE_CONTEXT();
    // Mesa offers every method and depth clamping; the variants must reach all three methods.
    EXPECT_TRUE(limited("").hasDepthClamp);
    std::set<render::StencilMethod> reached;
    for (const char* list : kCapsVariants) reached.insert(render::chooseStencilMethod(limited(list)));
    EXPECT_EQ(reached.size(), 3u);
    for (NamedScene& named : occluderScenes()) {
        const std::vector<int> rays = castShadows(named.scene);
        std::vector<unsigned char> first;
        for (const char* list : kCapsVariants) {
            const Frame frame = drawShadows(named.scene, limited(list), false);
            int shadowed = 0, lit = 0;
            EXPECT_EQ(compareWithRays(rays, frame.stencil, shadowed, lit), 0) << named.name << ", caps " << list;
            if (first.empty()) {
                first = frame.stencil;
                EXPECT_GT(shadowed, 50) << named.name;
                if (std::string(named.name) != "camera inside the volume") {
                    EXPECT_GT(lit, 50) << named.name;
                }
            }
            EXPECT_TRUE(frame.stencil == first) << named.name << ": caps " << list << " counts otherwise";
        }
    }
}

TEST(ShadowVolumes, BatchedArraysCountAndTintLikeOnePrimitiveAtATime) {
    REQUIRE_CONTEXT();
    std::vector<NamedScene> scenes = occluderScenes();
    // A skinned model (clockwise front faces) with seams, mirrored strips and duplicates.
    analysis_meshes::GridOptions grid;
    grid.columns = grid.rows = 8;
    grid.seamColumn = 3;
    grid.mirrorColumn = 5;
    grid.duplicateEvery = 5;
    grid.joints = 2;
    NamedScene skinned{"skinned grid", sceneWith(placed(cube(), 0.5f, 0, 0, 1.5f))};
    skinned.scene.add({placed(analysis_meshes::gridMesh(grid), 0.3f, -1, -1, 3)}, 2);
    scenes.push_back(std::move(skinned));
    // No floor: the far caps meet the cleared depth of the background.
    NamedScene alone{"cube before the background", {}};
    alone.scene.add({placed(cube(), 0.8f, 0, 0, 2.2f)});
    scenes.push_back(std::move(alone));
    for (NamedScene& named : scenes)
        for (const char* list : kCapsVariants)
            for (bool debug : {false, true}) {
                const Frame batched = drawShadows(named.scene, limited(list), debug);
                const Frame reference = drawShadows(named.scene, limited(list), debug, sendVolumeOnePrimitiveAtATime);
                EXPECT_TRUE(batched.stencil == reference.stencil) << named.name << ", caps " << list;
                EXPECT_TRUE(batched.colour == reference.colour) << named.name << ", caps " << list << ", debug " << debug;
            }
}

TEST(ShadowVolumes, DebugModeTintsTheVolumesRedAndGreenOnly) {
    REQUIRE_CONTEXT();
    ShadowScene scene = sceneWith(placed(cube(), 0.8f, 0, 0, 2.2f));
    const Frame plain = drawShadows(scene, probedCapabilities(), false);
    const Frame debug = drawShadows(scene, probedCapabilities(), true);
    EXPECT_TRUE(plain.stencil == debug.stencil);
    int tinted = 0, shadowedPixels = 0;
    for (size_t i = 0; i < plain.stencil.size(); ++i) {
        const unsigned char* p = &plain.colour[3 * i];
        const unsigned char* d = &debug.colour[3 * i];
        EXPECT_EQ(p[2], d[2]) << "blue is never written, pixel " << i;
        if (plain.stencil[i] == 0) continue;
        ++shadowedPixels;
        tinted += d[0] >= p[0] + 6 && d[1] >= p[1] + 8;
    }
    EXPECT_GT(shadowedPixels, 50);
    EXPECT_EQ(tinted, shadowedPixels);
}

TEST(ShadowVolumes, StateLeftForTheLightPasses) {
    REQUIRE_CONTEXT();
    for (const char* list : kCapsVariants) {
        ShadowScene scene = sceneWith(placed(square(), 1, 0, 0, 2));
        drawShadows(scene, limited(list), false);
        expectStates({{GL_DEPTH_FUNC, GL_LEQUAL}, {GL_DEPTH_WRITEMASK, GL_TRUE}, {GL_STENCIL_TEST, GL_FALSE},
                      {GL_TEXTURE_2D, GL_FALSE}, {GL_CULL_FACE, GL_TRUE}, {GL_STENCIL_FAIL, GL_KEEP},
                      {GL_STENCIL_PASS_DEPTH_FAIL, GL_KEEP}, {GL_STENCIL_BACK_PASS_DEPTH_FAIL, GL_KEEP},
                      {GL_DEPTH_CLAMP, GL_FALSE}, {GL_VERTEX_ARRAY, GL_TRUE}, {GL_TEXTURE_COORD_ARRAY, GL_TRUE}},
                     std::string("caps ") + list);
        expectModulateAndColourWrites(list);
    }
}

// A load that stopped halfway leaves no edge lists; a damaged model names records that do not
// exist. Neither may be read, and neither may disturb the other models' shadows.
TEST(ShadowVolumes, DamagedModelsCastNothingAndDrawNoOverlay) {
    REQUIRE_CONTEXT();
    ShadowScene clean = sceneWith(placed(square(), 1, 0, 0, 2));
    const Frame expected = drawShadows(clean, probedCapabilities(), false);
    ShadowScene damaged = sceneWith(placed(square(), 1, 0, 0, 2));
    damaged.add({placed(cube(), 0.5f, 2, 2, 3), placed(fin(), 0.5f, -2, 2, 3)});
    Model& broken = *damaged.models.back();
    broken.edges[0].clear();
    broken.edges[1][0].tri1 = 1000;
    broken.indices[1].resize(2);
    const Frame got = drawShadows(damaged, probedCapabilities(), false);
    EXPECT_TRUE(got.stencil == expected.stencil);
    render::drawSilhouetteEdges(broken);
    render::drawSeamPoints(broken);
    render::drawMeshAnalyzer(broken, probedCapabilities());
    render::drawOpenEdges(broken);
    render::drawWireframeOverlay(broken, probedCapabilities());
    Model empty;
    render::markAllSilhouettes(empty);
    render::drawShadowVolumes(empty, probedCapabilities(), true);
    render::drawMeshAnalyzer(empty, probedCapabilities());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace {

// The overlays seen straight from above through an orthographic view.
void beginFlatView(double left, double right, double bottom, double top) {
    render::setFrameState(probedCapabilities());
    orthoView(kSize, left, right, bottom, top, 10);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
}

std::vector<unsigned char> readColour() { return readRgb(kSize, kSize); }

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

TEST(MeshAnalyzer, MirroredFacesCyanOthersRedAndPointsAtSeamsAndTwins) {
    REQUIRE_CONTEXT();
    analysis_meshes::GridOptions grid;
    grid.columns = grid.rows = 8;
    grid.seamColumn = 2;
    grid.mirrorColumn = 5;
    grid.duplicateEvery = 13;
    Model model;
    prepare(model, {analysis_meshes::gridMesh(grid)});
    beginFlatView(0, 8, 0, 8);
    render::drawSeamPoints(model);
    render::drawMeshAnalyzer(model, probedCapabilities());
    const std::vector<unsigned char> rgb = readColour();
    EXPECT_GT(pixelsNear(rgb, 255, 0, 0), 300) << "right-handed faces";
    EXPECT_GT(pixelsNear(rgb, 0, 255, 255), 300) << "mirrored faces";
    EXPECT_GT(pixelsNear(rgb, 255, 255, 255), 8) << "seam corners";
    EXPECT_GT(pixelsNear(rgb, 255, 153, 76), 2) << "identical twins";
    expectFillMode();

    // A grid without seams, mirrors or twins shows one face colour and no points.
    Model plain;
    prepare(plain, {analysis_meshes::gridMesh({})});
    beginFlatView(0, 8, 0, 8);
    render::drawMeshAnalyzer(plain, probedCapabilities());
    const std::vector<unsigned char> plainRgb = readColour();
    EXPECT_EQ(pixelsNear(plainRgb, 255, 255, 255), 0);
    EXPECT_EQ(std::min(pixelsNear(plainRgb, 0, 255, 255), pixelsNear(plainRgb, 255, 0, 0)), 0);
}

TEST(EdgeOverlays, OpenEdgesYellowOverEverythingClosedMeshNone) {
    REQUIRE_CONTEXT();
    Model square, cube;
    prepare(square, {placed(volume_shapes::square(), 0.5f, 0, 0, -1)});
    prepare(cube, {placed(volume_shapes::cube(), 0.9f, 0, 0, 2)});
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
    beginFlatView(-1, 1, -1, 1);
    render::drawAmbientPass(cube, grey, probedCapabilities()); // in front of the square
    render::drawOpenEdges(cube);
    EXPECT_EQ(pixelsNear(readColour(), 230, 204, 51), 0);
    render::drawOpenEdges(square);
    const std::vector<unsigned char> rgb = readColour();
    EXPECT_GT(pixelsNear(rgb, 230, 204, 51), 4 * 28); // four sides of 32 pixels, two wide
    EXPECT_NEAR(rgb[3 * (kSize / 2 * kSize + kSize / 2)], 128, 2) << "inside the square stays grey";
    expectStates({{GL_DEPTH_FUNC, GL_LESS}});
}

TEST(EdgeOverlays, WireframeDrawsOutlinesAndRestoresFillMode) {
    REQUIRE_CONTEXT();
    Model square;
    prepare(square, {placed(volume_shapes::square(), 0.5f, 0, 0, 0)});
    beginFlatView(-1, 1, -1, 1);
    render::drawWireframeOverlay(square, probedCapabilities());
    const std::vector<unsigned char> rgb = readColour();
    EXPECT_GT(pixelsNear(rgb, 255, 255, 255), 4 * 28);
    EXPECT_GT(pixelsNear(rgb, 255, 0, 0) + pixelsNear(rgb, 0, 0, 255), 0) << "face tangents";
    expectFillMode();
    expectStates({{GL_POLYGON_OFFSET_LINE, GL_FALSE}});
}
