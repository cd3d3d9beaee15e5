// load/load_model.cpp -- readmeshfromfile: reader dispatch and the shared post-processing.
#include "load/load_model.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "base/fast_math.h"
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "model/animation.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "shadow/geometry_analysis.h"

namespace {

constexpr size_t kMaxTriRefs = 40;

using StaticReader = void (Model::*)(const char*);

// By the last four characters of the name, letter case ignored; null for MD5mesh files.
StaticReader staticReaderFor(const std::string& name) {
    if (name.size() < 4) return nullptr;
    const char* ext = name.c_str() + name.size() - 4;
    if (strcasecmp(ext, ".ase") == 0) return &Model::readAse;
    if (strcasecmp(ext, ".obj") == 0) return &Model::readObj;
    if (strcasecmp(ext, ".lwo") == 0) return &Model::readLwo;
    return nullptr;
}

bool readFile(const std::string& name, std::string& data) {
    try {
        return readWholeFile(name, data);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int vertsRead(const Model& model, size_t m) {
    return std::min(model.numVerts[m], static_cast<int>(model.verts[m].size()));
}

// For each vertex, the triangles that use it and the corner it stands at, in triangle order
// and corner order, at most 40: one walk over the triangles gives the order that scanning
// all triangles once per vertex gives.
} // namespace

void buildIncidenceLists(Model& model, int mesh) {
    const size_t m = static_cast<size_t>(mesh);
    std::vector<Vertex>& verts = model.verts[m];
    const int vertTotal = vertsRead(model, m);
    for (int i = 0; i < vertTotal; ++i) {
        Vertex& vert = verts[static_cast<size_t>(i)];
        vert.triList.clear();
        vert.cornerList.clear();
        vert.numTriRefs = 0;
    }
    const std::vector<Triangle>& tris = model.tris[m];
    for (size_t t = 0; t < tris.size(); ++t) {
        for (int k = 0; k < 3; ++k) {
            const int v = tris[t].v[k];
            if (v < 0 || v >= vertTotal) continue;
            Vertex& vert = verts[static_cast<size_t>(v)];
            if (vert.triList.size() >= kMaxTriRefs) continue;
            vert.triList.push_back(static_cast<int>(t));
            vert.cornerList.push_back(k);
            vert.numTriRefs = static_cast<int>(vert.triList.size());
        }
    }
}

namespace {

void setBindPose(Model& model) {
    for (Joint& joint : model.joints) {
        std::copy(joint.bindPos, joint.bindPos + 3, joint.pos);
        std::copy(joint.bindRot, joint.bindRot + 9, joint.rot);
    }
}

struct CornerData {
    float pos[3] = {0, 0, 0};
    float u = 0, v = 0;
};

// A static model takes each corner from `corners`; a skinned one, or a file without corner
// records (an MD5mesh without joints), from the vertex the corner names.
CornerData cornerOf(const Model& model, size_t m, size_t t, int k, bool useCorners) {
    CornerData c;
    if (useCorners) {
        const CornerVertex& cv = model.corners[m][3 * t + static_cast<size_t>(k)];
        std::copy(cv.pos, cv.pos + 3, c.pos);
        c.u = cv.u;
        c.v = cv.v;
        return c;
    }
    const int v = model.tris[m][t].v[k];
    if (v < 0 || v >= static_cast<int>(model.verts[m].size())) return c;
    const Vertex& vert = model.verts[m][static_cast<size_t>(v)];
    std::copy(vert.pos, vert.pos + 3, c.pos);
    c.u = vert.u;
    c.v = vert.v;
    return c;
}

void scale(float v[3], float factor) {
    for (int k = 0; k < 3; ++k) v[k] *= factor;
}

float squaredLength(const float v[3]) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; }

// Per axis: both near zero, or the same sign (zero counting as negative).
bool frameAgreesWithNormal(const float c[3], const float n[3]) {
    for (int k = 0; k < 3; ++k) {
        const bool bothZero = std::fabs(c[k]) < 0.001f && std::fabs(n[k]) < 0.001f;
        const bool agreeing = (c[k] > 0 && n[k] > 0) || (c[k] <= 0 && n[k] <= 0);
        if (!bothZero && !agreeing) return false;
    }
    return true;
}

void computeFaceVectors(Model& model, size_t m) {
    const bool skinned = model.numJoints > 0;
    std::vector<Triangle>& tris = model.tris[m];
    const bool useCorners = !skinned && model.corners[m].size() >= 3 * tris.size();
    for (size_t t = 0; t < tris.size(); ++t) {
        Triangle& tri = tris[t];
        const CornerData a = cornerOf(model, m, t, 0, useCorners);
        const CornerData b = cornerOf(model, m, t, 1, useCorners);
        const CornerData c = cornerOf(model, m, t, 2, useCorners);
        float e1[3], e2[3];
        for (int k = 0; k < 3; ++k) {
            e1[k] = b.pos[k] - a.pos[k];
            e2[k] = a.pos[k] - c.pos[k];
        }
        const float du1 = b.u - a.u, du2 = a.u - c.u;
        const float dv1 = a.v - b.v, dv2 = c.v - a.v;
        crossProduct(e1, e2, tri.normal);
        for (int k = 0; k < 3; ++k) {
            tri.tangentS[k] = dv2 * e1[k] - dv1 * e2[k];
            tri.tangentT[k] = du1 * e2[k] - du2 * e1[k];
        }
        if (dv2 * du1 - dv1 * du2 < 0) {
            scale(tri.tangentS, -1.0f);
            scale(tri.tangentT, -1.0f);
        }
        // Static models wind their triangles the other way round.
        const float normalSign = skinned ? 1.0f : -1.0f;
        scale(tri.normal, normalSign * fastInvSqrt(squaredLength(tri.normal)));
        scale(tri.tangentS, fastInvSqrt(squaredLength(tri.tangentS)));
        scale(tri.tangentT, fastInvSqrt(squaredLength(tri.tangentT)));
        float frame[3];
        crossProduct(tri.tangentS, tri.tangentT, frame);
        tri.rightHanded = frameAgreesWithNormal(frame, tri.normal) ? 1 : 0;
    }
}

void buildIndexList(Model& model, size_t m) {
    const std::vector<Triangle>& tris = model.tris[m];
    std::vector<int>& indices = model.indices[m];
    indices.resize(3 * tris.size());
    for (size_t t = 0; t < tris.size(); ++t)
        for (int k = 0; k < 3; ++k) indices[3 * t + static_cast<size_t>(k)] = tris[t].v[k];
}

} // namespace

void prepareForAnalysis(Model& model) {
    const size_t meshCount = static_cast<size_t>(std::max(model.numMeshes, 0));
    for (int m = 0; m < model.numMeshes; ++m) buildIncidenceLists(model, m);
    setBindPose(model);
    for (size_t m = 0; m < meshCount; ++m) {
        model.skinMesh(static_cast<int>(m));
        computeFaceVectors(model, m);
    }
    for (size_t m = 0; m < meshCount; ++m) buildIndexList(model, m);
    for (size_t m = 0; m < meshCount; ++m) {
        model.numVertsTotal[m] = model.numVerts[m];
        model.numClones[m] = 0;
    }
}

void postProcessModel(Model& model) {
    prepareForAnalysis(model);
    const size_t meshCount = static_cast<size_t>(std::max(model.numMeshes, 0));
    for (size_t m = 0; m < meshCount; ++m) {
        shadow::analyzeGeometry(model, static_cast<int>(m));
        logFormat("mesh %i: verts: %i clones: %i\n", static_cast<int>(m), model.numVerts[m], model.numClones[m]);
    }
    shadow::buildEdges(model);
}

bool loadMd5MeshFromMemory(Model& model, std::string_view data, const std::string& fileName) {
    if (!md5::readMeshFromMemory(model, data, fileName)) return false;
    postProcessModel(model);
    return true;
}

Model::Model(const char* meshFile, const char* animFile) {
    reset();
    readmeshfromfile(meshFile, animFile);
}

void Model::readmeshfromfile(const char* meshFile, const char* animFile) {
    if (!meshFile) return;
    logText("readmeshfromfile starting, opening file: ");
    logText(meshFile);
    logText("\n");
    std::string name = meshFile;
    if (StaticReader reader = staticReaderFor(name)) {
        (this->*reader)(meshFile);
        if (numMeshes == 0) (this->*reader)(rewriteToBasepath(name).c_str());
        postProcessModel(*this);
    } else {
        std::string data;
        if (!readFile(name, data)) {
            name = rewriteToBasepath(name);
            logText("not found, trying ");
            logText(name);
            logText("\n");
            if (!readFile(name, data)) {
                logText("cannot open file\n");
                return;
            }
        }
        // The per-mesh "cannot open file" lines of a reread cannot occur: the bytes are read once.
        if (!loadMd5MeshFromMemory(*this, data, name)) return;
    }
    loadAnimation(animFile);
    fileName = name;
    hasFileName = true;
}
