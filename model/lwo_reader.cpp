// model/lwo_reader.cpp -- LWO2 binary objects: first layer only, one mesh per surface tag; no GL.
#include <cstdint>
#include <cstring>

#include "base/debug_log.h"
#include "model/model.h"
#include "model/static_readers.h"

namespace staticmodel {

namespace {

// Big-endian reads inside [pos, end); a read that would pass `end` fails and reads nothing.
class ByteReader {
public:
    ByteReader(std::string_view bytes, size_t pos, size_t end) : bytes_(bytes), pos_(pos), end_(end) {}

    bool more() const { return pos_ < end_; }
    size_t position() const { return pos_; }

    bool id4(char out[4]) {
        if (!has(4)) return false;
        memcpy(out, bytes_.data() + pos_, 4);
        pos_ += 4;
        return true;
    }
    bool u2(uint32_t& out) {
        if (!has(2)) return false;
        out = (byte(0) << 8) | byte(1);
        pos_ += 2;
        return true;
    }
    bool u4(uint32_t& out) {
        if (!has(4)) return false;
        out = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
        pos_ += 4;
        return true;
    }
    bool f4(float& out) {
        uint32_t bits;
        if (!u4(bits)) return false;
        memcpy(&out, &bits, sizeof out);
        return true;
    }
    // Variable-length index: 0xFF then 24 bits, else 16 bits.
    bool vx(uint32_t& out) {
        if (!has(2)) return false;
        if (byte(0) != 0xFF) return u2(out);
        if (!has(4)) return false;
        out = (byte(1) << 16) | (byte(2) << 8) | byte(3);
        pos_ += 4;
        return true;
    }
    // Zero-terminated text padded to an even length. Text cut off by the end is taken as it is.
    bool s0(std::string& out) {
        if (!more()) return false;
        const char* start = bytes_.data() + pos_;
        const void* nul = memchr(start, '\0', end_ - pos_);
        size_t len = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : end_ - pos_;
        out.assign(start, len);
        size_t used = len + 1;
        if (used % 2) ++used;
        pos_ = pos_ + used > end_ ? end_ : pos_ + used;
        return true;
    }

private:
    bool has(size_t n) const { return pos_ <= end_ && end_ - pos_ >= n; }
    uint32_t byte(size_t k) const { return static_cast<unsigned char>(bytes_[pos_ + k]); }

    std::string_view bytes_;
    size_t pos_;
    size_t end_;
};

struct Point {
    float pos[3] = {0, 0, 0};
    float u = 0, v = 0;
};

// One triangle of a polygon: its points and the corners as they stood when it was read.
struct PolyTriangle {
    uint32_t points[3] = {0, 0, 0};
    CornerVertex corners[3];
};

struct Polygon {
    size_t firstTriangle = 0;
    size_t triangleCount = 0;
    uint32_t tag = 0; // polygons without a "PTAG" entry keep tag 0
};

struct LwoData {
    std::vector<std::string> tags;
    std::vector<Point> points;
    std::vector<Polygon> polygons;
    std::vector<PolyTriangle> triangles;

    bool validPoint(uint32_t p) const { return p < points.size(); }
};

bool isType(const char id[4], const char* name) { return memcmp(id, name, 4) == 0; }

void readTags(ByteReader& in, LwoData& data) {
    data.tags.clear();
    std::string tag;
    while (in.s0(tag)) data.tags.push_back(tag);
}

// A point (x, y, z) of the file is stored as (x, z, y).
void readPoints(ByteReader& in, uint32_t size, LwoData& data) {
    data.points.assign(size / 12, Point{});
    for (Point& point : data.points) {
        float x = 0, y = 0, z = 0;
        if (!(in.f4(x) && in.f4(y) && in.f4(z))) break;
        point.pos[0] = x;
        point.pos[1] = z;
        point.pos[2] = y;
    }
}

void readTexMap(ByteReader& in, LwoData& data) {
    char type[4];
    uint32_t dimension;
    std::string name;
    if (!in.id4(type) || !isType(type, "TXUV") || !in.u2(dimension) || !in.s0(name)) return;
    uint32_t p;
    float u, v;
    while (in.vx(p) && in.f4(u) && in.f4(v)) {
        if (!data.validPoint(p)) continue;
        data.points[p].u = u;
        data.points[p].v = v;
    }
}

void addTriangle(LwoData& data, Polygon& polygon, uint32_t a, uint32_t b, uint32_t c) {
    if (!data.validPoint(a) || !data.validPoint(b) || !data.validPoint(c)) return; // not drawn
    PolyTriangle tri;
    const uint32_t points[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        const Point& point = data.points[points[k]];
        tri.points[k] = points[k];
        memcpy(tri.corners[k].pos, point.pos, sizeof point.pos);
        tri.corners[k].u = point.u;
        tri.corners[k].v = point.v;
    }
    data.triangles.push_back(tri);
    ++polygon.triangleCount;
}

// Polygons are fanned with the winding reversed: (p1, p0, p2), (p2, p0, p3), ...
// One- and two-point polygons give (0, p0, 0) and (p1, p0, 0).
void readPolygons(ByteReader& in, LwoData& data) {
    char type[4];
    if (!in.id4(type) || !isType(type, "FACE")) return;
    data.polygons.clear();
    data.triangles.clear();
    std::vector<uint32_t> points;
    uint32_t header;
    while (in.u2(header)) {
        uint32_t n = header & 0x3FF;
        points.clear();
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t p;
            if (!in.vx(p)) return; // cut off by the chunk's end
            points.push_back(p);
        }
        Polygon polygon;
        polygon.firstTriangle = data.triangles.size();
        if (n == 1) addTriangle(data, polygon, 0, points[0], 0);
        else if (n == 2) addTriangle(data, polygon, points[1], points[0], 0);
        for (uint32_t k = 1; k + 1 < n; ++k) addTriangle(data, polygon, points[k], points[0], points[k + 1]);
        data.polygons.push_back(polygon);
    }
}

void readPolygonTags(ByteReader& in, LwoData& data) {
    char type[4];
    if (!in.id4(type) || !isType(type, "SURF")) return;
    uint32_t polygon, tag;
    while (in.vx(polygon) && in.u2(tag))
        if (polygon < data.polygons.size()) data.polygons[polygon].tag = tag;
}

// Per-polygon texture coordinates: the polygon's corners at the point take them, and the
// point itself takes each of them that it still has at 0.
void readPolygonTexMap(ByteReader& in, LwoData& data) {
    char type[4];
    uint32_t dimension;
    std::string name;
    if (!in.id4(type) || !isType(type, "TXUV") || !in.u2(dimension) || !in.s0(name)) return;
    uint32_t p, poly;
    float u, v;
    while (in.vx(p) && in.vx(poly) && in.f4(u) && in.f4(v)) {
        if (!data.validPoint(p) || poly >= data.polygons.size()) continue;
        const Polygon& polygon = data.polygons[poly];
        for (size_t t = polygon.firstTriangle; t < polygon.firstTriangle + polygon.triangleCount; ++t) {
            PolyTriangle& tri = data.triangles[t];
            for (int k = 0; k < 3; ++k) {
                if (tri.points[k] != p) continue;
                tri.corners[k].u = u;
                tri.corners[k].v = v;
                break;
            }
        }
        Point& point = data.points[p];
        if (point.u == 0.0f) point.u = u;
        if (point.v == 0.0f) point.v = v;
    }
}

// Reads the chunks of the first layer, inside the FORM chunk. A chunk whose size runs past
// the end of the FORM (or of the file) is read up to that end, and reading stops there.
void readChunks(std::string_view bytes, LwoData& data) {
    uint32_t formSize = 0;
    ByteReader(bytes, 4, 8).u4(formSize);
    size_t limit = formSize < bytes.size() - 8 ? 8 + static_cast<size_t>(formSize) : bytes.size();
    size_t pos = 12;
    int layers = 0;
    while (pos <= limit && limit - pos >= 8) {
        ByteReader header(bytes, pos, limit);
        char id[4] = {0, 0, 0, 0};
        uint32_t size = 0;
        header.id4(id);
        header.u4(size);
        size_t start = pos + 8;
        bool cut = size > limit - start;
        size_t end = cut ? limit : start + size;
        ByteReader in(bytes, start, end);
        if (isType(id, "LAYR") && ++layers == 2) break;
        if (isType(id, "TAGS")) readTags(in, data);
        else if (isType(id, "PNTS")) readPoints(in, static_cast<uint32_t>(end - start), data);
        else if (isType(id, "VMAP")) readTexMap(in, data);
        else if (isType(id, "POLS")) readPolygons(in, data);
        else if (isType(id, "PTAG")) readPolygonTags(in, data);
        else if (isType(id, "VMAD")) readPolygonTexMap(in, data);
        if (cut) break;
        pos = end;
    }
}

// A triangle can name points that a later "PNTS" chunk no longer has; such a one is not drawn.
bool triangleUsable(const LwoData& data, const PolyTriangle& tri) {
    return data.validPoint(tri.points[0]) && data.validPoint(tri.points[1]) && data.validPoint(tri.points[2]);
}

void buildMesh(Model& model, int mesh, uint32_t tag, size_t triangleCount, const LwoData& data, std::vector<int>& vertexOfPoint) {
    size_t m = static_cast<size_t>(mesh);
    findMaterialTextures(model, data.tags[tag], mesh);
    std::vector<Triangle>& tris = model.tris[m];
    std::vector<CornerVertex>& corners = model.corners[m];
    std::vector<Vertex>& verts = model.verts[m];
    tris.resize(triangleCount);
    corners.resize(3 * triangleCount);
    std::vector<uint32_t> used;
    size_t t = 0;
    for (const Polygon& polygon : data.polygons) {
        if (polygon.tag != tag) continue;
        for (size_t i = polygon.firstTriangle; i < polygon.firstTriangle + polygon.triangleCount; ++i) {
            const PolyTriangle& source = data.triangles[i];
            if (!triangleUsable(data, source)) continue;
            for (int k = 0; k < 3; ++k) {
                uint32_t p = source.points[k];
                corners[3 * t + k] = source.corners[k];
                if (vertexOfPoint[p] < 0) {
                    const Point& point = data.points[p];
                    Vertex vertex;
                    memcpy(vertex.pos, point.pos, sizeof vertex.pos);
                    vertex.u = point.u;
                    vertex.v = point.v;
                    vertexOfPoint[p] = static_cast<int>(verts.size());
                    verts.push_back(std::move(vertex));
                    used.push_back(p);
                }
                tris[t].v[k] = vertexOfPoint[p];
            }
            ++t;
        }
    }
    for (uint32_t p : used) vertexOfPoint[p] = -1; // vertices are not shared between meshes
    // A corner whose texture coordinates differ from its vertex's gets a vertex of its own.
    for (size_t c = 0; c < corners.size(); ++c) {
        int& index = tris[c / 3].v[c % 3];
        const Vertex& vertex = verts[static_cast<size_t>(index)];
        if (corners[c].u == vertex.u && corners[c].v == vertex.v) continue;
        Vertex split;
        memcpy(split.pos, vertex.pos, sizeof split.pos);
        split.u = corners[c].u;
        split.v = corners[c].v;
        index = static_cast<int>(verts.size());
        verts.push_back(std::move(split));
    }
    model.numVerts[m] = static_cast<int>(verts.size());
    model.meshLoaded[m] = 1;
}

// One mesh per tag with at least one triangle, in tag order.
void buildMeshes(Model& model, const LwoData& data) {
    std::vector<size_t> trianglesOfTag(data.tags.size(), 0);
    for (const Polygon& polygon : data.polygons) {
        if (polygon.tag >= data.tags.size()) continue;
        for (size_t i = polygon.firstTriangle; i < polygon.firstTriangle + polygon.triangleCount; ++i)
            if (triangleUsable(data, data.triangles[i])) ++trianglesOfTag[polygon.tag];
    }
    int meshes = 0;
    for (size_t count : trianglesOfTag) meshes += count > 0;
    if (!model.allocateMeshes(meshes)) return;
    std::vector<int> vertexOfPoint(data.points.size(), -1);
    int mesh = 0;
    for (uint32_t tag = 0; tag < trianglesOfTag.size(); ++tag)
        if (trianglesOfTag[tag] > 0) buildMesh(model, mesh++, tag, trianglesOfTag[tag], data, vertexOfPoint);
}

void fillModel(Model& model, std::string_view bytes, const std::string& fileName) {
    if (bytes.size() < 12 || memcmp(bytes.data(), "FORM", 4) != 0 || memcmp(bytes.data() + 8, "LWO2", 4) != 0) {
        logText("Wrong format of LWO file: ");
        logText(fileName);
        logText("\n");
        return;
    }
    LwoData data;
    readChunks(bytes, data);
    buildMeshes(model, data);
}

} // namespace

void readLwoBytes(Model& model, std::string_view bytes, const std::string& fileName) {
    stopOnBadAlloc([&] { fillModel(model, bytes, fileName); });
}

} // namespace staticmodel

void Model::readLwo(const char* fileName) { staticmodel::readStaticFile(*this, fileName, staticmodel::readLwoBytes); }
