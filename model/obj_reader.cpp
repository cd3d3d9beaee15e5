// model/obj_reader.cpp -- Wavefront OBJ with its MTL library: one mesh per "usemtl " section; no GL.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "base/debug_log.h"
#include "base/file_open.h"
#include "model/obj_welder.h"
#include "model/model.h"
#include "model/static_readers.h"
#include "base/text_scan.h"

namespace staticmodel {

namespace {

using textscan::Cursor;
using textscan::LineReader;

enum LineKind : unsigned { kUsemtl = 1, kMtllib = 2, kPosition = 4, kTexCoord = 8, kFace = 16 };

// Keywords stand anywhere in a line with a blank after them. Lines that begin with '#'
// are comments: "# End of file" is no face.
unsigned classify(std::string_view line) {
    if (textscan::isComment(line)) return 0;
    unsigned kinds = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] != ' ') continue;
        char c = line[i - 1];
        if (c == 'v') kinds |= kPosition;
        else if (c == 'f') kinds |= kFace;
        else if (c == 't' && i >= 2 && line[i - 2] == 'v') kinds |= kTexCoord;
        else if ((c == 'l' || c == 'b') && i >= 6) {
            std::string_view word = line.substr(i - 6, 6);
            if (word == "usemtl") kinds |= kUsemtl;
            else if (word == "mtllib") kinds |= kMtllib;
        }
    }
    return kinds;
}

// The text after the first occurrence of `keyword`.
std::string_view after(std::string_view line, std::string_view keyword) {
    size_t at = line.find(keyword);
    return at == std::string_view::npos ? std::string_view() : line.substr(at + keyword.size());
}

// Corner pieces of a face line, after its "f ".
template <typename Visit>
int forEachCornerPiece(std::string_view line, Visit visit) {
    textscan::Pieces pieces(after(line, "f "));
    int count = 0;
    for (std::string_view piece = pieces.next(); !piece.empty(); piece = pieces.next()) {
        visit(piece);
        ++count;
    }
    return count;
}

// More triangles than this in one mesh cannot be held anyway; counting stops there so the
// count cannot overflow. Faces beyond it are dropped like faces the memory cannot hold.
constexpr int kMaxTrianglesPerMesh = 1 << 28;

// Polygons are fanned from their first corner; one- and two-corner faces make one triangle.
int trianglesOfFace(int cornerCount) { return cornerCount >= 3 ? cornerCount - 2 : 1; }

// Positions and texture coordinates of the whole file, and what the counting pass learnt.
struct ObjTables {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texCoords;
    std::vector<int> trisPerMesh;
    int numMeshes = 0;
    std::string library;
    std::vector<unsigned char> lineKinds; // classify() of every line, kept for the face pass
};

void readPosition(std::string_view line, ObjTables& tables) {
    Cursor cursor(after(line, "v "));
    float x = 0, y = 0, z = 0;
    cursor.readFloat(x) && cursor.readFloat(y) && cursor.readFloat(z);
    tables.positions.push_back({x, -z, y}); // the file's y axis is the model's z axis
}

void readTexCoord(std::string_view line, ObjTables& tables) {
    Cursor cursor(after(line, "vt "));
    float u = 0, v = 0;
    cursor.readFloat(u) && cursor.readFloat(v);
    tables.texCoords.push_back({u, v});
}

// Counts meshes and triangles and reads every position and texture coordinate.
void countingPass(std::string_view text, ObjTables& tables) {
    bool seenUsemtl = false;
    int current = 0;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        unsigned kinds = classify(line);
        tables.lineKinds.push_back(static_cast<unsigned char>(kinds));
        if (!kinds) continue;
        if (kinds & kUsemtl) {
            ++tables.numMeshes;
            if (seenUsemtl) ++current;
            seenUsemtl = true;
        } else if ((kinds & kFace) && !seenUsemtl && tables.numMeshes == 0) {
            tables.numMeshes = 1;
        }
        if (kinds & kMtllib) tables.library = std::string(textscan::secondName(line));
        if (kinds & kPosition) readPosition(line, tables);
        if (kinds & kTexCoord) readTexCoord(line, tables);
        if (kinds & kFace) {
            if (tables.trisPerMesh.size() <= static_cast<size_t>(current)) tables.trisPerMesh.resize(current + 1, 0);
            int corners = forEachCornerPiece(line, [](std::string_view) {});
            int& count = tables.trisPerMesh[current];
            if (count < kMaxTrianglesPerMesh) count += trianglesOfFace(corners);
        }
    }
}

// One face corner: the position index (0-based, possibly out of range) and its data.
struct FaceCorner {
    int position = -1;
    CornerVertex data;
};

// A negative index counts back from the lines of its kind read so far; the result is 0-based.
long long resolveIndex(int index, int readSoFar) {
    long long i = index;
    if (i < 0) i = static_cast<long long>(readSoFar) + i + 1;
    return i - 1;
}

FaceCorner readCorner(std::string_view piece, const ObjTables& tables, int positionsSoFar, int texCoordsSoFar) {
    FaceCorner corner;
    Cursor cursor(piece);
    int p = 0;
    cursor.readInt(p);
    long long position = resolveIndex(p, positionsSoFar);
    if (position >= 0 && position < static_cast<long long>(tables.positions.size())) {
        const auto& xyz = tables.positions[static_cast<size_t>(position)];
        corner.data.pos[0] = xyz[0];
        corner.data.pos[1] = xyz[1];
        corner.data.pos[2] = xyz[2];
    }
    corner.position = position < -1 ? -1 : static_cast<int>(position);
    if (cursor.peek() != '/') return corner;
    cursor.advance();
    int t = 0;
    if (cursor.peek() == '/' || !cursor.readInt(t)) return corner;
    long long texCoord = resolveIndex(t, texCoordsSoFar);
    if (texCoord >= 0 && texCoord < static_cast<long long>(tables.texCoords.size())) {
        corner.data.u = tables.texCoords[static_cast<size_t>(texCoord)][0];
        corner.data.v = tables.texCoords[static_cast<size_t>(texCoord)][1];
    }
    return corner;
}

// Material name -> diffuse map name (empty when its block has none), first block of a name.
using MaterialMaps = std::unordered_map<std::string, std::string>;

// A material's map is the first "map_Kd " line of its own block; the next "newmtl " ends it.
MaterialMaps indexLibrary(std::string_view text) {
    MaterialMaps maps;
    std::string* open = nullptr;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (textscan::isComment(line)) continue;
        if (line.find("newmtl ") != std::string_view::npos) {
            auto [it, fresh] = maps.emplace(std::string(textscan::secondName(line)), std::string());
            open = fresh ? &it->second : nullptr;
        } else if (open && open->empty() && line.find("map_Kd ") != std::string_view::npos) {
            *open = std::string(textscan::secondName(line));
        }
    }
    return maps;
}

// Where the OBJ file's own folder ends: after its last '\', '/' or ':'.
std::string directoryOf(const std::string& fileName) {
    size_t at = fileName.find_last_of("\\/:");
    return at == std::string::npos ? std::string() : fileName.substr(0, at + 1);
}

class FaceReader {
public:
    FaceReader(Model& model, const ObjTables& tables, const std::string& fileName, const LibraryLoader& loadLibrary)
        : model_(model), tables_(tables), directory_(directoryOf(fileName)), loadLibrary_(loadLibrary) {}

    void run(std::string_view text) {
        LineReader lines(text);
        std::string_view line;
        for (size_t i = 0; lines.next(line); ++i) {
            unsigned kinds = i < tables_.lineKinds.size() ? tables_.lineKinds[i] : classify(line);
            if (kinds & kPosition) ++positionsSoFar_;
            if (kinds & kTexCoord) ++texCoordsSoFar_;
            if (kinds & kUsemtl) startMaterial(line);
            if (kinds & kFace) readFace(line);
        }
    }

private:
    // Every "usemtl " line after the first starts the next mesh. Faces before the first one
    // already belong to mesh 0, so only a new mesh starts its triangles from slot 0.
    void startMaterial(std::string_view line) {
        if (seenUsemtl_) {
            ++mesh_;
            slot_ = 0;
        }
        seenUsemtl_ = true;
        lookUpMaterial(std::string(textscan::secondName(line)));
    }

    void lookUpMaterial(const std::string& material) {
        if (mesh_ < 0 || mesh_ >= model_.numMeshes()) return;
        model_.materialName[static_cast<size_t>(mesh_)] = material;
        std::string libraryPath = directory_ + tables_.library;
        if (!libraryTried_) {
            libraryTried_ = true;
            std::string contents;
            if (loadLibrary_(libraryPath, contents)) maps_ = indexLibrary(contents);
        }
        if (!maps_) {
            logText("couldn\xB4t open material library for this obj-file: ");
            logText(libraryPath);
            logText("\n");
            return;
        }
        auto it = maps_->find(material);
        if (it == maps_->end() || it->second.empty()) return;
        findMaterialTextures(model_, directory_ + it->second, mesh_);
    }

    void readFace(std::string_view line) {
        corners_.clear();
        forEachCornerPiece(line, [this](std::string_view piece) {
            corners_.push_back(readCorner(piece, tables_, positionsSoFar_, texCoordsSoFar_));
        });
        while (corners_.size() < 3) corners_.push_back(FaceCorner{}); // missing corners read as index 0
        for (size_t k = 1; k + 1 < corners_.size(); ++k) storeTriangle(corners_[0], corners_[k], corners_[k + 1]);
    }

    void storeTriangle(const FaceCorner& a, const FaceCorner& b, const FaceCorner& c) {
        if (mesh_ >= model_.numMeshes()) return;
        size_t m = static_cast<size_t>(mesh_);
        if (slot_ >= model_.numTris(mesh_)) return;
        size_t t = static_cast<size_t>(slot_++);
        const FaceCorner* three[3] = {&a, &b, &c};
        for (int k = 0; k < 3; ++k) {
            model_.tris[m][t].v[k] = three[k]->position; // a position index until the vertices are built
            model_.corners[m][3 * t + k] = three[k]->data;
        }
    }

    Model& model_;
    const ObjTables& tables_;
    std::string directory_;
    const LibraryLoader& loadLibrary_;
    std::optional<MaterialMaps> maps_;
    bool libraryTried_ = false;
    bool seenUsemtl_ = false;
    int mesh_ = 0;
    int slot_ = 0;
    int positionsSoFar_ = 0;
    int texCoordsSoFar_ = 0;
    std::vector<FaceCorner> corners_;
};

bool fillModel(Model& model, std::string_view text, const std::string& fileName, const LibraryLoader& loadLibrary) {
    ObjTables tables;
    countingPass(text, tables);
    if (!model.allocateMeshes(tables.numMeshes)) return false;
    for (int m = 0; m < tables.numMeshes; ++m) {
        int count = static_cast<size_t>(m) < tables.trisPerMesh.size() ? tables.trisPerMesh[m] : 0;
        model.tris[m].resize(static_cast<size_t>(count));
        model.corners[m].resize(3 * static_cast<size_t>(count));
    }
    FaceReader(model, tables, fileName, loadLibrary).run(text);
    VertexWelder welder(tables.positions);
    for (int m = 0; m < tables.numMeshes; ++m) {
        model.meshLoaded[m] = 1;
        welder.weld(model, m);
    }
    return true;
}

bool isFolderPath(const std::string& path) {
    struct stat st;
    return stat(resolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

void readObjText(Model& model, std::string_view text, const std::string& fileName, const LibraryLoader& loadLibrary) {
    stopOnBadAlloc([&] { fillModel(model, text, fileName, loadLibrary); });
}

} // namespace staticmodel

void Model::readObj(const char* fileName) {
    staticmodel::readStaticFile(*this, fileName, [](Model& model, std::string_view text, const std::string& name) {
        auto loadLibrary = [](const std::string& path, std::string& contents) {
            return !staticmodel::isFolderPath(path) && readWholeFile(path, contents);
        };
        staticmodel::readObjText(model, text, name, loadLibrary);
    });
}
