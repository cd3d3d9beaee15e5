// model/ase_reader.cpp -- ASE text exports: one mesh per "*GEOMOBJECT ", records stored at their numbers; no GL.
#include <array>
#include <optional>

#include "model/model.h"
#include "model/static_readers.h"
#include "base/text_scan.h"

namespace staticmodel {

namespace {

using textscan::Cursor;
using textscan::LineReader;

// The second token as an integer ("12:" reads as 12); false when there is none.
bool secondInt(std::string_view line, int& value, size_t* rest = nullptr) {
    textscan::Pieces pieces(line);
    pieces.next();
    const std::string_view second = pieces.next();
    if (rest) *rest = pieces.position();
    return Cursor(second).readInt(value);
}

enum Keyword : unsigned {
    kGeomObject = 1u << 0,
    kMaterial = 1u << 1,
    kBitmap = 1u << 2,
    kMaterialRef = 1u << 3,
    kNumVertex = 1u << 4,
    kNumFaces = 1u << 5,
    kNumTVertex = 1u << 6,
    kNumTVFaces = 1u << 7,
    kVertex = 1u << 8,
    kTVert = 1u << 9,
    kFace = 1u << 10,
    kTFace = 1u << 11,
};

struct KeywordName {
    std::string_view word;
    unsigned flag;
};

// A keyword counts where it stands anywhere in the line with a blank or tab right after it.
constexpr KeywordName kKeywords[] = {
    {"*GEOMOBJECT", kGeomObject},     {"*MATERIAL", kMaterial},          {"*BITMAP", kBitmap},
    {"*MATERIAL_REF", kMaterialRef},  {"*MESH_NUMVERTEX", kNumVertex},   {"*MESH_NUMFACES", kNumFaces},
    {"*MESH_NUMTVERTEX", kNumTVertex}, {"*MESH_NUMTVFACES", kNumTVFaces}, {"*MESH_NUMTFACES", kNumTVFaces},
    {"*MESH_VERTEX", kVertex},         {"*MESH_TVERT", kTVert},           {"*MESH_FACE", kFace},
    {"*MESH_TFACE", kTFace},
};

// Every keyword begins with '*' and ends at a blank or tab, so each '*' of the line is
// tested once: the characters from it up to the next blank or tab must be one keyword.
unsigned keywordsOf(std::string_view line) {
    unsigned found = 0;
    for (size_t at = line.find('*'); at != std::string_view::npos; at = line.find('*', at + 1)) {
        size_t end = at + 1;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        if (end >= line.size()) break; // a keyword needs its blank or tab
        std::string_view word = line.substr(at, end - at);
        for (const KeywordName& k : kKeywords)
            if (word == k.word) found |= k.flag;
    }
    return found;
}

bool inRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

// What belongs to the mesh being read and is dropped when the next one starts.
struct MeshScratch {
    std::vector<std::array<float, 2>> texVerts;
    int texFaces = -1; // -1: no "*MESH_NUMTVFACES " yet, so texture faces are ignored
    std::vector<unsigned char> hasTexCoords; // per vertex
};

class AseReader {
public:
    AseReader(Model& model, std::string_view text) : model_(model), text_(text), budget_(static_cast<long long>(text.size())) {}

    void run() {
        int meshes = 0, materials = 0;
        countBlocks(meshes, materials);
        if (!model_.allocateMeshes(meshes)) return;
        bitmaps_.resize(static_cast<size_t>(materials));
        LineReader lines(text_);
        std::string_view line;
        while (lines.next(line)) readLine(line);
        finishMeshes();
    }

private:
    void countBlocks(int& meshes, int& materials) {
        LineReader lines(text_);
        std::string_view line;
        while (lines.next(line)) {
            unsigned keywords = keywordsOf(line);
            if (keywords & kGeomObject) ++meshes;
            if (keywords & kMaterial) ++materials;
        }
    }

    void readLine(std::string_view line) {
        unsigned keywords = keywordsOf(line);
        if (!keywords) return;
        if (keywords & kGeomObject) startMesh();
        if (keywords & kMaterial) secondInt(line, material_);
        if (keywords & kBitmap) storeBitmap(line);
        if (keywords & kMaterialRef) applyMaterial(line);
        if (mesh_ < 0) return;
        if (keywords & kNumVertex) createVertices(line);
        if (keywords & kNumFaces) createFaces(line);
        if (keywords & kNumTVertex) createTexVerts(line);
        if (keywords & kNumTVFaces) createTexFaces(line);
        if (keywords & kVertex) readVertex(line);
        if (keywords & kTVert) readTexVert(line);
        if (keywords & kFace) readFace(line);
        if (keywords & kTFace) readTexFace(line);
    }

    void startMesh() {
        if (mesh_ + 1 >= model_.numMeshes()) return;
        ++mesh_;
        model_.meshLoaded[static_cast<size_t>(mesh_)] = 1;
        scratch_ = MeshScratch{};
    }

    void storeBitmap(std::string_view line) {
        if (inRange(material_, bitmaps_.size())) bitmaps_[static_cast<size_t>(material_)] = std::string(textscan::secondName(line));
    }

    void applyMaterial(std::string_view line) {
        int ref = -1;
        if (mesh_ < 0 || !secondInt(line, ref) || !inRange(ref, bitmaps_.size())) return;
        const std::optional<std::string>& bitmap = bitmaps_[static_cast<size_t>(ref)];
        if (bitmap) findMaterialTextures(model_, *bitmap, mesh_);
    }

    // A count is taken only while all counts together stay within the file's size: every
    // record they announce needs a line of its own, so larger counts come from damage.
    bool readCount(std::string_view line, int& count) {
        if (!secondInt(line, count) || count < 0 || count > budget_) return false;
        budget_ -= count;
        return true;
    }

    size_t m() const { return static_cast<size_t>(mesh_); }

    void createVertices(std::string_view line) {
        int count = 0;
        if (!readCount(line, count)) return;
        model_.numVerts[m()] = count;
        model_.verts[m()].assign(static_cast<size_t>(count), Vertex{});
        scratch_.hasTexCoords.assign(static_cast<size_t>(count), 0);
    }

    void createFaces(std::string_view line) {
        int count = 0;
        if (!readCount(line, count)) return;
        model_.tris[m()].assign(static_cast<size_t>(count), Triangle{});
        model_.corners[m()].assign(3 * static_cast<size_t>(count), CornerVertex{});
    }

    void createTexVerts(std::string_view line) {
        int count = 0;
        if (readCount(line, count)) scratch_.texVerts.assign(static_cast<size_t>(count), {0.0f, 0.0f});
    }

    void createTexFaces(std::string_view line) {
        int count = 0;
        if (readCount(line, count)) scratch_.texFaces = count;
    }

    void readVertex(std::string_view line) {
        int i = -1;
        size_t rest = 0;
        if (!secondInt(line, i, &rest) || !inRange(i, model_.verts[m()].size())) return;
        Cursor cursor(line, rest);
        float* pos = model_.verts[m()][static_cast<size_t>(i)].pos;
        cursor.readFloat(pos[0]) && cursor.readFloat(pos[1]) && cursor.readFloat(pos[2]);
    }

    void readTexVert(std::string_view line) {
        int i = -1;
        size_t rest = 0;
        if (!secondInt(line, i, &rest) || !inRange(i, scratch_.texVerts.size())) return;
        Cursor cursor(line, rest);
        auto& uv = scratch_.texVerts[static_cast<size_t>(i)];
        cursor.readFloat(uv[0]) && cursor.readFloat(uv[1]);
    }

    // " A: %i B: %i C: %i" after the face number; a face naming a vertex that does not
    // exist is ignored.
    void readFace(std::string_view line) {
        int i = -1;
        size_t rest = 0;
        if (!secondInt(line, i, &rest) || !inRange(i, model_.tris[m()].size())) return;
        Cursor cursor(line, rest);
        int v[3];
        const char labels[3] = {'A', 'B', 'C'};
        for (int k = 0; k < 3; ++k) {
            if (!cursor.expect(labels[k]) || !cursor.expect(':') || !cursor.readInt(v[k])) return;
            if (!inRange(v[k], model_.verts[m()].size())) {
                dropped(i, v[k], "face " + std::to_string(i) + " names vertex " + std::to_string(v[k]) + " of " +
                                     std::to_string(model_.verts[m()].size()) + ", dropped");
                return;
            }
        }
        Triangle& tri = model_.tris[m()][static_cast<size_t>(i)];
        for (int k = 0; k < 3; ++k) tri.v[k] = v[k];
    }

    void readTexFace(std::string_view line) {
        int i = -1;
        size_t rest = 0;
        if (!secondInt(line, i, &rest) || scratch_.texFaces < 0 || i < 0 || i >= scratch_.texFaces ||
            !inRange(i, model_.tris[m()].size()))
            return;
        Cursor cursor(line, rest);
        int t[3];
        for (int k = 0; k < 3; ++k)
            if (!cursor.readInt(t[k])) return;
        for (int k = 0; k < 3; ++k) applyTexCorner(static_cast<size_t>(i), k, t[k]);
    }

    // The vertex at the corner takes the texture coordinates if it has none yet; a vertex
    // that already has others is copied for this corner. Duplicates are merged later.
    void applyTexCorner(size_t tri, int k, int t) {
        if (!inRange(t, scratch_.texVerts.size())) {
            dropped(static_cast<long long>(tri), t,
                    "texture face " + std::to_string(tri) + " names texture vertex " + std::to_string(t) + " of " +
                        std::to_string(scratch_.texVerts.size()) + ", corner " + std::to_string(k) + " keeps no UV");
            return;
        }
        std::vector<Vertex>& verts = model_.verts[m()];
        Triangle& triangle = model_.tris[m()][tri];
        int p = triangle.v[k];
        if (!inRange(p, verts.size())) return;
        const auto& uv = scratch_.texVerts[static_cast<size_t>(t)];
        scratch_.hasTexCoords.resize(verts.size(), 1);
        Vertex& vertex = verts[static_cast<size_t>(p)];
        if (!scratch_.hasTexCoords[static_cast<size_t>(p)]) {
            vertex.u = uv[0];
            vertex.v = uv[1];
            scratch_.hasTexCoords[static_cast<size_t>(p)] = 1;
        } else if (vertex.u != uv[0] || vertex.v != uv[1]) {
            Vertex copy;
            copy.pos[0] = vertex.pos[0];
            copy.pos[1] = vertex.pos[1];
            copy.pos[2] = vertex.pos[2];
            copy.u = uv[0];
            copy.v = uv[1];
            triangle.v[k] = static_cast<int>(verts.size());
            verts.push_back(std::move(copy));
            scratch_.hasTexCoords.push_back(1);
            ++model_.numVerts[m()];
        }
        CornerVertex& corner = model_.corners[m()][3 * tri + static_cast<size_t>(k)];
        corner.u = uv[0];
        corner.v = uv[1];
    }

    // Corners take the positions of their vertices. A triangle still naming a vertex that
    // does not exist (a mesh whose vertex count came late, or not at all) is dropped.
    void finishMeshes() {
        for (size_t mesh = 0; mesh < static_cast<size_t>(model_.numMeshes()); ++mesh) {
            std::vector<Vertex>& verts = model_.verts[mesh];
            std::vector<Triangle>& tris = model_.tris[mesh];
            std::vector<CornerVertex>& corners = model_.corners[mesh];
            size_t kept = 0;
            for (size_t t = 0; t < tris.size(); ++t) {
                const int* v = tris[t].v;
                if (!inRange(v[0], verts.size()) || !inRange(v[1], verts.size()) || !inRange(v[2], verts.size())) continue;
                for (size_t k = 0; k < 3; ++k) {
                    CornerVertex& corner = corners[3 * t + k];
                    const float* pos = verts[static_cast<size_t>(v[k])].pos;
                    corner.pos[0] = pos[0];
                    corner.pos[1] = pos[1];
                    corner.pos[2] = pos[2];
                    corners[3 * kept + k] = corner;
                }
                if (kept != t) tris[kept] = std::move(tris[t]);
                ++kept;
            }
            tris.resize(kept);
            corners.resize(3 * kept);
            model_.numVerts[mesh] = static_cast<int>(verts.size());
        }
    }

    // The loader names the file.
    void dropped(long long record, long long value, const std::string& message) {
        LoadProblem problem;
        problem.kind = ProblemKind::RecordDropped;
        problem.mesh = mesh_;
        problem.record = record;
        problem.value = value;
        problem.message = "mesh " + std::to_string(mesh_) + ": " + message;
        addProblem(model_.problems, std::move(problem));
    }

    Model& model_;
    std::string_view text_;
    long long budget_;
    std::vector<std::optional<std::string>> bitmaps_;
    int material_ = -1;
    int mesh_ = -1;
    MeshScratch scratch_;
};

} // namespace

void readAseText(Model& model, std::string_view text) {
    stopOnBadAlloc([&] { AseReader(model, text).run(); });
}

} // namespace staticmodel

void Model::readAse(const char* fileName) {
    staticmodel::readStaticFile(*this, fileName, [](Model& model, std::string_view text, const std::string&) {
        staticmodel::readAseText(model, text);
    });
}
