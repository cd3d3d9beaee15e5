// load/load_model.cpp -- readmeshfromfile: reader dispatch and the shared post-processing.
#include "load/load_model.h"

#include "base/large_buffers.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "base/face_frame.h"
#include "base/fast_math.h"
#include "base/debug_log.h"
#include "base/parallel_work.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "model/animation.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "shadow/geometry_analysis.h"

namespace {

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

// The invariants every later step relies on instead of checking: triangle corners within the
// vertices read, static models' corner records none or three per triangle, weight ranges within the
// weights and weight joints within the skeleton. The readers drop bad records as they read them;
// a mesh that still breaks one (a hand-built model, a reader's fault) is emptied and not drawn.
bool meshRecordsValid(const Model& model, size_t m) {
    const int vertCount = model.numVerts[m];
    if (vertCount < 0 || static_cast<size_t>(vertCount) != model.verts[m].size()) return false;
    for (const Triangle& tri : model.tris[m])
        for (int k = 0; k < 3; ++k)
            if (tri.v[k] < 0 || tri.v[k] >= vertCount) return false;
    if (model.numJoints() == 0) return model.corners[m].empty() || model.corners[m].size() == 3 * model.tris[m].size();
    const long long weightCount = static_cast<long long>(model.weights[m].size());
    for (const Vertex& vert : model.verts[m]) {
        if (vert.weightCount == 0) continue;
        if (vert.weightStart < 0 || vert.weightCount < 0 ||
            static_cast<long long>(vert.weightStart) + vert.weightCount > weightCount)
            return false;
    }
    for (const VertexWeight& w : model.weights[m])
        if (w.joint < 0 || w.joint >= model.numJoints()) return false;
    return true;
}

void checkMeshRecords(Model& model, size_t m) {
    if (meshRecordsValid(model, m)) return;
    logFormat("mesh %i: records out of range, not drawn\n", static_cast<int>(m));
    LoadProblem problem;
    problem.kind = ProblemKind::RecordDropped;
    problem.mesh = static_cast<int>(m);
    problem.message = "mesh " + std::to_string(m) + ": records out of range, mesh not drawn";
    addProblem(model.problems, std::move(problem));
    model.verts[m].clear();
    model.numVerts[m] = 0;
    model.tris[m].clear();
    model.corners[m].clear();
    model.weights[m].clear();
    model.meshLoaded[m] = 0;
}

struct CornerData {
    const float* pos;
    float uv[2];
};

// A static model takes each corner from `corners`; a skinned one, or a file without corner
// records (an MD5mesh without joints), from the vertex the corner names.
CornerData cornerOf(const Model& model, size_t m, size_t t, int k, bool useCorners) {
    if (useCorners) {
        const CornerVertex& cv = model.corners[m][3 * t + static_cast<size_t>(k)];
        return CornerData{cv.pos, {cv.u, cv.v}};
    }
    const Vertex& vert = model.verts[m][static_cast<size_t>(model.tris[m][t].v[k])];
    return CornerData{vert.pos, {vert.u, vert.v}};
}

void computeFaceVectors(Model& model, size_t m) {
    const bool skinned = model.numJoints() > 0;
    std::vector<Triangle>& tris = model.tris[m];
    const bool useCorners = !skinned && !model.corners[m].empty();
    const uint8_t* table = invSqrtTable();
    for (size_t t = 0; t < tris.size(); ++t) {
        Triangle& tri = tris[t];
        const CornerData a = cornerOf(model, m, t, 0, useCorners);
        const CornerData b = cornerOf(model, m, t, 1, useCorners);
        const CornerData c = cornerOf(model, m, t, 2, useCorners);
        FaceFrame f;
        computeFaceFrame(a.pos, b.pos, c.pos, a.uv, b.uv, c.uv, skinned ? 1.0f : -1.0f, table, f);
        std::copy(f.normal, f.normal + 3, tri.normal);
        std::copy(f.s, f.s + 3, tri.tangentS);
        std::copy(f.t, f.t + 3, tri.tangentT);
        tri.rightHanded = faceFrameRightHanded(f) ? 1 : 0;
    }
}

void buildIndexList(Model& model, size_t m) {
    const std::vector<Triangle>& tris = model.tris[m];
    std::vector<int>& indices = model.indices[m];
    reserveToFill(indices, 3 * tris.size());
    indices.resize(3 * tris.size());
    for (size_t t = 0; t < tris.size(); ++t)
        for (int k = 0; k < 3; ++k) indices[3 * t + static_cast<size_t>(k)] = tris[t].v[k];
}

} // namespace

void prepareForAnalysis(Model& model) {
    const size_t meshCount = static_cast<size_t>(model.numMeshes());
    for (size_t m = 0; m < meshCount; ++m) {
        checkMeshRecords(model, m);
        model.clearCloneLists(static_cast<int>(m));
    }
    model.setBindPose();
    forEachIndex(meshCount, shadow::worthSpreading(model), [&model](size_t m) {
        model.skinMesh(static_cast<int>(m));
        computeFaceVectors(model, m);
        buildIndexList(model, m);
    });
}

void postProcessModel(Model& model) {
    prepareForAnalysis(model);
    // One mesh after the other, though each is analysed on its own: the analysis of a mesh
    // needs scratch lists several times its size, which the next mesh then reuses; side by
    // side they would raise the peak memory of a large model by a quarter.
    for (int m = 0; m < model.numMeshes(); ++m) {
        shadow::analyzeGeometry(model, m);
        logFormat("mesh %i: verts: %i clones: %i\n", m, model.numVerts[static_cast<size_t>(m)], model.numClones(m));
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

namespace {

bool couldNotOpen(const LoadProblems& problems) {
    return !problems.empty() && problems.front().kind == ProblemKind::CannotOpen;
}

// A static reader under the name given and, when that gives no mesh, under its base-path
// rewrite. The problems kept are those of the file read: the rewrite's when only it could be
// opened, else the given name's, which says where the rewrite was looked for as well.
void readStaticWithRetry(Model& model, StaticReader reader, const char* meshFile) {
    (model.*reader)(meshFile);
    if (model.numMeshes() != 0) return;
    LoadProblems first = std::move(model.problems);
    model.problems.clear();
    const std::string rewritten = rewriteToBasepath(meshFile);
    model.meshFolder = folderOf(rewritten);
    (model.*reader)(rewritten.c_str());
    if (!couldNotOpen(model.problems)) {
        if (!couldNotOpen(first)) model.problems.insert(model.problems.begin(), first.begin(), first.end());
        return;
    }
    if (couldNotOpen(first) && rewritten != meshFile) first.front().message += " (also tried " + rewritten + ")";
    model.problems = std::move(first);
}

} // namespace

void Model::readmeshfromfile(const char* meshFile, const char* animFile) {
    if (!meshFile) return;
    logText("readmeshfromfile starting, opening file: ");
    logText(meshFile);
    logText("\n");
    std::string name = meshFile;
    meshFolder = folderOf(name);
    if (StaticReader reader = staticReaderFor(name)) {
        readStaticWithRetry(*this, reader, meshFile);
        postProcessModel(*this);
    } else {
        std::string data;
        if (!readWholeFile(name, data)) {
            LoadProblem unopened = cannotOpenProblem(name);
            name = rewriteToBasepath(name);
            logText("not found, trying ");
            logText(name);
            logText("\n");
            if (!readWholeFile(name, data)) {
                logText("cannot open file\n");
                if (name != meshFile) unopened.message += " (also tried " + name + ")";
                addProblem(problems, std::move(unopened));
                return;
            }
            meshFolder = folderOf(name);
        }
        // The per-mesh "cannot open file" lines of a reread cannot occur: the bytes are read once.
        // The bytes go before the post-processing, which needs none of them.
        const bool read = md5::readMeshFromMemory(*this, data, name);
        std::string().swap(data);
        if (!read) {
            nameProblemFile(problems, name);
            return;
        }
        postProcessModel(*this);
    }
    // Texture problems are the model file's.
    nameProblemFile(problems, name);
    loadAnimation(animFile);
    fileName = name;
    hasFileName = true;
}
