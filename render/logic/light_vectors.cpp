// render/logic/light_vectors.cpp -- the lighting passes' CPU side: path choice, tangent-space
// vectors, filter values, light-facing lists and the scratch arrays; no GL.
#include "render/logic/light_vectors.h"

#include <algorithm>
#include <new>

#include "base/debug_log.h"
#include "base/fast_math_inline.h"
#include "model/model.h"
#include "scene/scene.h"

namespace render {

bool canBumpMap(const GlCapabilities& caps) {
    return caps.hasCubeMap && caps.hasEnvDot3 && caps.hasMultitexture && caps.maxTextureUnits >= 2;
}

namespace {

Highlight fourUnitHighlight(const GlCapabilities& caps) {
    if (caps.maxTextureUnits <= 3 || !caps.hasCombine4) return Highlight::None;
    if (caps.hasRegisterCombiners && caps.maxGeneralCombiners >= 3) return Highlight::FourUnitCombiners;
    return Highlight::FourUnitEnvironment;
}

Highlight twoUnitHighlight(const GlCapabilities& caps) {
    if (caps.hasRegisterCombiners) return caps.maxGeneralCombiners >= 2 ? Highlight::TwoUnitCombiners : Highlight::None;
    return caps.hasCombine4 ? Highlight::TwoUnitEnvironment : Highlight::None;
}

} // namespace

LightPlan planLightMesh(const GlCapabilities& caps, bool filtered, const MeshMaterials& materials, bool specularOn,
                        bool shadowed) {
    LightPlan plan;
    const bool bump = canBumpMap(caps) && materials.hasNormalMap;
    const int units = caps.maxTextureUnits;
    // A filtered light needs all four units; with three it takes the per-vertex light.
    if (bump && filtered && units > 3) {
        plan.path = LightPath::FourUnit;
        plan.highlight = fourUnitHighlight(caps);
    } else if (bump && !filtered && units >= 3) {
        plan.path = LightPath::ThreeUnit;
        plan.highlight = fourUnitHighlight(caps);
    } else if (bump && units == 2) {
        plan.path = LightPath::TwoUnit;
        plan.highlight = twoUnitHighlight(caps);
    } else {
        return plan;
    }
    if (!specularOn || !materials.hasSpecular) plan.highlight = Highlight::None;
    plan.diffuse = materials.hasDiffuse;
    plan.tangentVectors = true;
    plan.filterValues = filtered && plan.diffuse;
    plan.facingList = plan.highlight != Highlight::None && !shadowed;
    return plan;
}

namespace {

inline float dot3(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The length's inverse, or 0 for a zero vector.
inline float inverseLength(const uint8_t* table, const float d[3]) {
    const float squared = dot3(d, d);
    return squared > 0.0f ? fastmath::invSqrt(table, squared) : 0.0f;
}

} // namespace

void tangentSpaceLightVectors(const Vertex* verts, int count, const float light[3], const float eye[3],
                              float* tslight, float* halight) {
    const uint8_t* table = invSqrtTable();
    for (int i = 0; i < count; ++i) {
        const Vertex& vx = verts[i];
        const float l[3] = {light[0] - vx.pos[0], light[1] - vx.pos[1], light[2] - vx.pos[2]};
        const float v[3] = {eye[0] - vx.pos[0], eye[1] - vx.pos[1], eye[2] - vx.pos[2]};
        const float il = inverseLength(table, l), iv = inverseLength(table, v);
        const float h[3] = {3.0f * (l[0] * il + v[0] * iv), 3.0f * (l[1] * il + v[1] * iv),
                            3.0f * (l[2] * il + v[2] * iv)};
        float* ts = tslight + 3 * i;
        float* ha = halight + 3 * i;
        ts[0] = dot3(l, vx.tangentS);
        ts[1] = dot3(l, vx.tangentT);
        ts[2] = dot3(l, vx.normal);
        ha[0] = dot3(h, vx.tangentS);
        ha[1] = dot3(h, vx.tangentT);
        ha[2] = dot3(h, vx.normal);
    }
}

float filterWeight(float dist, float nearRadius, float farRadius) {
    if (dist >= farRadius) return 0.0f;
    if (dist < nearRadius) return 1.0f;
    return 1.0f - (dist - nearRadius) / (farRadius - nearRadius);
}

void filterSpaceValues(const Vertex* verts, int count, const Light& light, const float lightPos[3], float* texcoord,
                       float* colour) {
    const uint8_t* table = invSqrtTable();
    const float* c1 = light.orientation;
    const float* c2 = light.orientation + 3;
    const float* c3 = light.orientation + 6;
    for (int i = 0; i < count; ++i) {
        const float d[3] = {verts[i].pos[0] - lightPos[0], verts[i].pos[1] - lightPos[1],
                            verts[i].pos[2] - lightPos[2]};
        float* tc = texcoord + 3 * i;
        tc[0] = dot3(c1, d);
        tc[1] = dot3(c2, d);
        tc[2] = dot3(c3, d);
        const float inverse = inverseLength(table, d);
        const float dist = inverse > 0.0f ? 1.0f / inverse : 0.0f;
        float* rgba = colour + 4 * i;
        rgba[0] = light.lightcolor_d[0];
        rgba[1] = light.lightcolor_d[1];
        rgba[2] = light.lightcolor_d[2];
        rgba[3] = filterWeight(dist, light.light_nearradius, light.light_farradius);
    }
}

void buildLightFacingList(const Model& model, int mesh, const float light[3], std::vector<unsigned int>& out) {
    out.clear();
    const auto m = static_cast<size_t>(mesh);
    const std::vector<Triangle>& tris = model.tris[m];
    const std::vector<int>& indices = model.indices[m];
    const std::vector<Vertex>& verts = model.verts[m];
    // The triangle records and the draw indices run in step; a shorter index array ends the list.
    const size_t count = std::min(tris.size(), indices.size() / 3);
    for (size_t t = 0; t < count; ++t) {
        const int first = tris[t].v[0];
        if (first < 0 || static_cast<size_t>(first) >= verts.size()) continue;
        const float* p = verts[static_cast<size_t>(first)].pos;
        const float toLight[3] = {light[0] - p[0], light[1] - p[1], light[2] - p[2]};
        if (dot3(tris[t].normal, toLight) < 0.0f) continue;
        for (size_t k = 0; k < 3; ++k) out.push_back(static_cast<unsigned int>(indices[3 * t + k]));
    }
}

namespace {

// Grows `v` to at least `size` zeroed entries; never shrinks it.
template <typename T>
bool growTo(std::vector<T>& v, size_t size) {
    if (v.size() >= size) return true;
    try {
        v.assign(size, T{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

bool LightScratch::reserve(int vertexCount, int triangleCount, bool withFilter) {
    const size_t vertices = static_cast<size_t>(std::max(vertexCount, 0));
    const size_t triangles = static_cast<size_t>(std::max(triangleCount, 0));
    if (!growTo(tslight, 3 * vertices) || !growTo(halight, 3 * vertices) ||
        (withFilter && !growTo(cubemaptexcoord, 3 * vertices))) {
        logText(withFilter ? "couldn\u00b4t allocate mem for dynamic tslight, halight, cubemaptexcoord arrays\n"
                           : "couldn\u00b4t allocate mem for dynamic tslight, halight arrays\n");
        return false;
    }
    if (withFilter && !growTo(vertexcolor, 4 * vertices)) {
        logText("couldn\u00b4t allocate mem for dynamic vertexcolor array\n");
        return false;
    }
    if (facing.capacity() < 3 * triangles) {
        try {
            facing.reserve(3 * triangles);
        } catch (const std::bad_alloc&) {
            logText("couldn't allocate space for vertex indices\n");
            return false;
        }
    }
    return true;
}

} // namespace render
