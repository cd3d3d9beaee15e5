// model/md5_mesh_reader.cpp -- MD5mesh reader for versions 10 and 6, parsing from memory; no GL.
//
// The file is split into lines as a 4096-byte line buffer reads them (a longer line becomes
// several), and each line is seen as a C string (it ends at a NUL byte). The header pass reads
// the joints and the mesh count, and in version 10 notes where each mesh starts; the lines of
// each mesh are kept as runs of consecutive lines (version 6 finds them in a pass of their own)
// and replayed mesh by mesh, which gives the results and log lines of one detail pass per mesh.
// The meshes' records are read side by side on several threads where the file is large.
#include "model/md5_mesh_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/pose_math.h"
#include "base/debug_log.h"
#include "base/large_buffers.h"
#include "base/parallel_work.h"
#include "base/text_scan.h"
#include "model/model.h"
#include "model/texture_lookup.h"

namespace md5 {
namespace {

using textscan::Cursor;
using textscan::LineReader;
using textscan::Pieces;

// Declared counts are checked against the raw bytes of the lines, NUL bytes and what follows
// them included, so the lines are handed out whole and cut to their text where they are read.
constexpr textscan::LineOptions kRawLines{4096, textscan::NulBytes::Keep};

// The shortest line that can hold a record of each kind: its keyword. A declared count is
// possible only when the bytes that may still hold its records can hold that many lines.
constexpr size_t kMeshRecordBytes = 5;   // "mesh "
constexpr size_t kJointRecordBytes = 1;  // any line of a joints block
constexpr size_t kBoneRecordBytes = 5;   // "bone "
constexpr size_t kVertRecordBytes = 5;   // "vert "
constexpr size_t kTriRecordBytes = 4;    // "tri "
constexpr size_t kWeightRecordBytes = 7; // "weight "

bool countFits(int count, size_t bytesLeft, size_t recordBytes) {
    return count >= 0 && static_cast<size_t>(count) <= bytesLeft / recordBytes;
}

// One line as the string functions of the format see it: it ends at its first NUL byte.
struct LineText {
    // `mayHoldNul` false: the caller knows the text holds no NUL byte, which saves a search.
    explicit LineText(std::string_view raw, bool mayHoldNul = true) : text(mayHoldNul ? textscan::textOf(raw) : raw) {}
    bool has(std::string_view keyword) const { return textscan::contains(text, keyword); }
    bool startsWith(std::string_view keyword) const { return textscan::startsWith(text, keyword); }

    std::string_view text;
};

// A keyword of the format: it counts where it stands anywhere in a line followed by a blank,
// or by a tab too where `tabToo`.
struct Keyword {
    std::string_view word;
    bool tabToo;
};

// The high bit of each byte of `w` that equals `c`, and no other bit.
constexpr uint64_t bytesEqual(uint64_t w, unsigned char c) {
    constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
    const uint64_t x = w ^ (0x0101010101010101ull * c);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Which of `keywords` (at most 32) a line holds, as bits in list order. A keyword occurs exactly
// where a blank follows its last letter, so eight bytes at a time are searched for a blank after
// such a letter, and only there is the text before compared: the result is that of one
// substring search per keyword, at a fraction of its cost on lines of numbers.
template <size_t N>
unsigned keywordsIn(std::string_view text, const Keyword (&keywords)[N]) {
    static_assert(N <= 32, "one bit per keyword");
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "bytes are taken from words low first");
    unsigned found = 0;
    unsigned char before = 0; // the byte before the current word; none before the first
    for (size_t at = 0; at < text.size(); at += 8) {
        uint64_t w = 0;
        if (text.size() - at >= 8)
            std::memcpy(&w, text.data() + at, 8);
        else
            std::memcpy(&w, text.data() + at, text.size() - at); // zero bytes are no blanks
        const uint64_t previous = (w << 8) | before;
        before = static_cast<unsigned char>(w >> 56);
        uint64_t lastLetters = 0;
        for (const Keyword& keyword : keywords) lastLetters |= bytesEqual(previous, static_cast<unsigned char>(keyword.word.back()));
        uint64_t candidates = (bytesEqual(w, ' ') | bytesEqual(w, '\t')) & lastLetters;
        for (; candidates; candidates &= candidates - 1) {
            const size_t i = at + static_cast<size_t>(__builtin_ctzll(candidates)) / 8;
            const std::string_view preceding = text.substr(0, i);
            for (size_t k = 0; k < N; ++k) {
                const std::string_view word = keywords[k].word;
                if (text[i] == '\t' && !keywords[k].tabToo) continue;
                if (preceding.size() >= word.size() && preceding.substr(preceding.size() - word.size()) == word)
                    found |= 1u << k;
            }
        }
    }
    return found;
}

// The blank-separated tokens 1..8 of a line (index 0 unused); missing ones are empty.
struct Tokens {
    explicit Tokens(std::string_view text) {
        Pieces pieces(text);
        for (int i = 1; i < 9; ++i) at[i] = pieces.next();
    }
    std::string_view at[9];
};

// Index of each keyword in its list.
enum HeaderKeyword { kCommandline, kNumMeshes, kNumJoints };
constexpr Keyword kHeaderV10[] = {{"commandline", false}, {"numMeshes", false}, {"numJoints", false}};
constexpr Keyword kHeaderV6[] = {{"commandline", false}, {"nummeshes", false}, {"numbones", false}};
enum DetailKeyword { kShader, kNumVerts, kNumTris, kNumWeights, kTri, kVert, kWeight };
constexpr Keyword kDetail[] = {{"shader", true}, {"numverts", false}, {"numtris", false}, {"numweights", false},
                               {"tri", false},   {"vert", false},     {"weight", false}};

bool holds(unsigned found, int keyword) { return (found >> keyword) & 1u; }

int intOr0(std::string_view token) { return textscan::intOr(token, 0); }
float floatOr0(std::string_view token) { return textscan::floatOr(token, 0.0f); }

// The scan " WORD %f %f ...": white space, the word, then as many numbers as convert.
void scanWordFloats(std::string_view text, std::string_view word, float* out, int count) {
    Cursor cursor(text);
    if (!cursor.expect(word)) return;
    for (int i = 0; i < count; ++i)
        if (!cursor.readFloat(out[i])) return;
}

// A zero-filled record array that a file may declare again and again. Records are stored as
// they come, and those never written are zero-filled by `finish`, so the array is not filled
// with zeros first only to be overwritten; a file that repeats a count costs time in proportion
// to its own size. `finish` leaves the store at the last declared count.
template <class T>
class RecordSlots {
public:
    explicit RecordSlots(std::vector<T>& store) : store_(store) { store_.clear(); }

    bool declare(size_t count) {
        try {
            store_.clear();
            reserveToFill(store_, count); // finish() writes every declared record
        } catch (const std::bad_alloc&) {
            return false;
        }
        count_ = count;
        return true;
    }
    // The record at `i`, or null beyond the declared count.
    T* at(size_t i) {
        if (i >= count_) return nullptr;
        if (i == store_.size()) store_.emplace_back(); // records come in order: the common case
        else if (i > store_.size()) store_.resize(i + 1);
        return &store_[i];
    }
    size_t written() const { return store_.size(); }
    void finish() { store_.resize(count_); }

private:
    std::vector<T>& store_;
    size_t count_ = 0;
};

// What a mesh's lines call for besides its records, kept in file order: the texture lookup of a
// shader logs and may ask the user, and problems are listed in the order they occur.
struct DetailNote {
    enum Kind { Shader, Misnumbered, CountTooLarge } kind;
    std::string_view text; // the shader's or the count's line; the misnumbered record's number
    const char* record;    // "vert", "tri" or "weight" for a misnumbered record
    size_t slot;           // where a misnumbered record was stored
    int count;             // the count that cannot be met
};

struct MeshDetails {
    std::vector<DetailNote> notes;
    size_t weightsWritten = 0;
    bool complete = true; // false where reading stopped within the mesh
};

struct MeshSlots {
    MeshSlots(Model& model, int m)
        : verts(model.verts[static_cast<size_t>(m)]), tris(model.tris[static_cast<size_t>(m)]),
          weights(model.weights[static_cast<size_t>(m)]) {}
    void finish() {
        verts.finish();
        tris.finish();
        weights.finish();
    }
    RecordSlots<Vertex> verts;
    RecordSlots<Triangle> tris;
    RecordSlots<VertexWeight> weights;
    size_t nextVert = 0, nextTri = 0, nextWeight = 0;
};

class MeshReader {
public:
    MeshReader(Model& model, std::string_view data, const std::string& fileName)
        : model_(model), data_(data), fileName_(fileName), joints_(model.joints),
          holdsNul_(std::memchr(data.data(), '\0', data.size()) != nullptr) {}

    bool run() {
        LineReader lines(data_, kRawLines);
        std::string_view first;
        if (lines.next(first)) version10_ = LineText(first).has("MD5Version 10");
        bool headerRead = false;
        try {
            headerRead = version10_ ? readHeaderV10(lines) : readHeaderV6(lines);
        } catch (const std::bad_alloc&) {
            // The mesh starts of a file of nothing else; the load stops as below.
        }
        const bool allocated = finishHeader();
        // Parent indices are made safe even when the load stops here.
        if (version10_) checkParentsV10();
        if (!headerRead || !allocated) return false;
        if (!version10_) resolveParentsV6();

        std::vector<std::vector<std::string_view>> meshRuns;
        std::vector<MeshDetails> details;
        if (!collectMeshRuns(meshRuns, details)) return false;
        readRecordsOfAllMeshes(meshRuns, details);
        for (int m = 0; m < model_.numMeshes(); ++m) {
            if (!finishMeshDetails(m, details[static_cast<size_t>(m)])) {
                forgetMeshesAfter(m);
                return false;
            }
            logText("reading mesh details successful, meshnumber ");
            logInt(m);
            logText("\n");
        }
        return true;
    }

private:
    // --- header pass ---

    // The next line of a version 10 header pass, noting where each mesh starts: every line is
    // seen here, so the meshes' lines need no pass of their own.
    bool nextLineV10(LineReader& lines, std::string_view& raw) {
        if (!lines.next(raw)) return false;
        const LineText line(raw, holdsNul_);
        if (line.startsWith("mesh ") || line.startsWith("mesh\t")) meshStarts_.push_back(static_cast<size_t>(raw.data() - data_.data()));
        return true;
    }

    bool readHeaderV10(LineReader& lines) {
        std::string_view raw;
        while (nextLineV10(lines, raw)) {
            LineText line(raw, holdsNul_);
            const unsigned found = keywordsIn(line.text, kHeaderV10);
            if (holds(found, kCommandline)) continue;
            if (holds(found, kNumMeshes) && !declareMeshes(line)) return false;
            if (holds(found, kNumJoints) && !declareJoints(line, lines.bytesLeft(), kJointRecordBytes)) return false;
            if (line.startsWith("joints {") && jointCount_ > 0) readJointsBlock(lines);
        }
        return true;
    }

    bool readHeaderV6(LineReader& lines) {
        std::string_view raw;
        while (lines.next(raw)) {
            LineText line(raw, holdsNul_);
            const unsigned found = keywordsIn(line.text, kHeaderV6);
            if (holds(found, kCommandline)) continue;
            if (holds(found, kNumMeshes) && !declareMeshes(line)) return false;
            if (holds(found, kNumJoints) && !declareJoints(line, lines.bytesLeft(), kBoneRecordBytes)) return false;
            if (line.startsWith("bone ")) readBone(line, lines);
        }
        return true;
    }

    // The per-mesh arrays are made once, for the last count declared: no header line touches
    // them, so the result equals making them anew at every declaration.
    bool declareMeshes(const LineText& line) {
        const int count = intOr0(textscan::secondToken(line.text));
        if (!countFits(count, data_.size(), kMeshRecordBytes)) return countTooLarge(-1, line, count);
        meshCount_ = count;
        return true;
    }

    bool declareJoints(const LineText& line, size_t bytesLeft, size_t recordBytes) {
        const int count = intOr0(textscan::secondToken(line.text));
        if (!countFits(count, bytesLeft, recordBytes) || !joints_.declare(static_cast<size_t>(count)))
            return countTooLarge(-1, line, count);
        jointCount_ = count;
        return true;
    }

    bool finishHeader() {
        joints_.finish();
        if (meshCount_ < 0) return true;
        if (!model_.allocateMeshes(meshCount_)) return false;
        return true;
    }

    void readJointsBlock(LineReader& lines) {
        std::string_view raw;
        for (int j = 0; j < jointCount_ && nextLineV10(lines, raw); ++j) {
            LineText line(raw, holdsNul_);
            if (line.startsWith("}")) return;
            readJointLine(line, *joints_.at(static_cast<size_t>(j)));
        }
    }

    // name, parent, ( x y z ), ( qx qy qz ); anything after the third quaternion number is ignored.
    static void readJointLine(const LineText& line, Joint& joint) {
        Pieces pieces(line.text);
        joint.name.assign(pieces.next(textscan::kQuotedNameEnds));
        joint.parent = intOr0(pieces.next());
        pieces.next();
        for (float& c : joint.bindPos) c = floatOr0(pieces.next());
        pieces.next();
        pieces.next();
        float q[3];
        for (float& c : q) c = floatOr0(pieces.next());
        const float rest = 1.0f - q[0] * q[0] - q[1] * q[1] - q[2] * q[2];
        const float w = -std::sqrt(std::max(0.0f, rest));
        quaternionToBindRotation(q[0], q[1], q[2], w, joint.bindRot);
    }

    // "bone N": the block runs to the first line holding "}" (the bone line itself may hold it).
    void readBone(const LineText& line, LineReader& lines) {
        const std::string_view numberToken = textscan::secondToken(line.text);
        int number = -1;
        Joint* joint = nullptr;
        if (Cursor(numberToken).readInt(number) && number >= 0 && number < jointCount_)
            joint = joints_.at(static_cast<size_t>(number));
        if (!joint) {
            std::string shown = numberToken.empty() ? std::string("?") : std::string(numberToken);
            logFormat("%s: bone %s names no joint, dropped\n", fileName_.c_str(), shown.c_str());
            dropped(-1, std::nullopt, number >= 0 ? std::optional<long long>(number) : std::nullopt,
                    "bone " + shown + " names no joint (" + std::to_string(jointCount_) + " declared), dropped");
        }
        if (line.has("}")) return;
        std::string_view raw;
        while (lines.next(raw)) {
            LineText blockLine(raw, holdsNul_);
            if (joint) readBoneLine(blockLine, *joint);
            if (blockLine.has("}")) return;
        }
    }

    static void readBoneLine(const LineText& line, Joint& joint) {
        if (line.has("name ")) {
            Pieces pieces(line.text);
            pieces.next();
            joint.name.assign(pieces.next(textscan::kQuotedNameEnds));
        }
        if (line.has("bindpos ")) scanWordFloats(line.text, "bindpos", joint.bindPos, 3);
        if (line.has("bindmat ")) scanWordFloats(line.text, "bindmat", joint.bindRot, 9);
        if (line.has("parent ")) {
            Pieces pieces(line.text);
            pieces.next();
            joint.parentName.assign(pieces.next(textscan::kQuotedNameEnds));
            joint.hasParentName = true;
        }
    }

    // Parents by name, compared over at most 500 characters; the first joint of a name wins.
    void resolveParentsV6() {
        constexpr size_t kNameCompare = 500;
        std::unordered_map<std::string_view, int> firstOfName;
        for (int j = 0; j < model_.numJoints(); ++j)
            firstOfName.emplace(std::string_view(model_.joints[static_cast<size_t>(j)].name).substr(0, kNameCompare), j);
        for (Joint& joint : model_.joints) {
            if (!joint.hasParentName) continue;
            auto found = firstOfName.find(std::string_view(joint.parentName).substr(0, kNameCompare));
            if (found == firstOfName.end()) {
                joint.parent = -1;
                continue;
            }
            joint.parent = found->second;
            joint.depth = model_.joints[static_cast<size_t>(found->second)].depth + 1;
        }
    }

    // A parent index outside the skeleton would be followed by whoever walks the hierarchy.
    void checkParentsV10() {
        for (int j = 0; j < model_.numJoints(); ++j) {
            Joint& joint = model_.joints[static_cast<size_t>(j)];
            if (joint.parent >= -1 && joint.parent < model_.numJoints()) continue;
            logFormat("%s: joint %d names parent %d, taken as a root\n", fileName_.c_str(), j, joint.parent);
            dropped(-1, j, joint.parent,
                    "joint " + std::to_string(j) + " names parent " + std::to_string(joint.parent) + " of " +
                        std::to_string(model_.numJoints()) + " joints, taken as a root");
            joint.parent = -1;
        }
    }

    // --- detail pass ---

    // The lines that each mesh's own detail pass would apply, in file order, kept as runs of
    // consecutive lines: a version 10 mesh is one run. A run starts and ends at line breaks of
    // the whole text, so splitting it again gives the same lines.
    bool collectMeshRuns(std::vector<std::vector<std::string_view>>& meshRuns, std::vector<MeshDetails>& details) {
        try {
            meshRuns.resize(static_cast<size_t>(model_.numMeshes()));
            details.resize(static_cast<size_t>(model_.numMeshes()));
            if (version10_) {
                // A mesh runs from its "mesh" line to the next one.
                for (size_t m = 0; m < meshRuns.size() && m < meshStarts_.size(); ++m) {
                    const size_t end = m + 1 < meshStarts_.size() ? meshStarts_[m + 1] : data_.size();
                    meshRuns[m].push_back(data_.substr(meshStarts_[m], end - meshStarts_[m]));
                }
                return true;
            }
            forEachMeshLineV6([&](size_t mesh, std::string_view raw) {
                std::vector<std::string_view>& runs = meshRuns[mesh];
                if (!runs.empty() && runs.back().data() + runs.back().size() == raw.data())
                    runs.back() = std::string_view(runs.back().data(), runs.back().size() + raw.size());
                else
                    runs.push_back(raw);
            });
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Calls visit(mesh, raw line) for every line after the first that belongs to a mesh: from a
    // line holding "mesh N" to the next such line, whichever N they name.
    template <class Visit>
    void forEachMeshLineV6(Visit visit) const {
        static constexpr Keyword kMeshV6[] = {{"mesh", true}};
        LineReader lines(data_, kRawLines);
        std::string_view raw;
        lines.next(raw);
        long long current = -1;
        while (lines.next(raw)) {
            LineText line(raw, holdsNul_);
            if (keywordsIn(line.text, kMeshV6)) {
                int number = 0;
                if (Cursor(textscan::secondToken(line.text)).readInt(number)) current = number;
            }
            if (current >= 0 && current < model_.numMeshes()) visit(static_cast<size_t>(current), raw);
        }
    }

    // The records of every mesh, read on several threads where the file is large: a mesh's
    // records touch only its own arrays, and what else its lines call for is noted in `details`
    // for finishMeshDetails to carry out in file order.
    void readRecordsOfAllMeshes(const std::vector<std::vector<std::string_view>>& meshRuns,
                                std::vector<MeshDetails>& details) {
        constexpr size_t kSpreadFromBytes = size_t(1) << 20;
        size_t bytes = 0;
        for (const std::vector<std::string_view>& runs : meshRuns)
            for (std::string_view run : runs) bytes += run.size();
        forEachIndex(meshRuns.size(), bytes >= kSpreadFromBytes, [&](size_t m) {
            MeshDetails& mesh = details[m];
            try {
                readMeshRecords(static_cast<int>(m), meshRuns[m], mesh);
            } catch (const std::bad_alloc&) {
                mesh.complete = false;
            }
        });
    }

    void readMeshRecords(int m, const std::vector<std::string_view>& runs, MeshDetails& out) {
        size_t bytesLeft = 0;
        for (std::string_view run : runs) bytesLeft += run.size();
        MeshSlots slots(model_, m);
        for (size_t r = 0; r < runs.size() && out.complete; ++r) {
            LineReader lines(runs[r], kRawLines);
            std::string_view raw;
            while (lines.next(raw)) {
                bytesLeft -= raw.size();
                if (!applyDetailLine(m, LineText(raw, holdsNul_), bytesLeft, slots, out)) {
                    out.complete = false;
                    break;
                }
            }
        }
        out.weightsWritten = slots.weights.written();
        slots.finish();
    }

    // Returns false where the mesh's count cannot be met; the load stops there.
    bool applyDetailLine(int m, const LineText& line, size_t bytesLeft, MeshSlots& s, MeshDetails& out) {
        const size_t mesh = static_cast<size_t>(m);
        const unsigned found = keywordsIn(line.text, kDetail);
        const Tokens t(line.text);
        if (holds(found, kShader)) out.notes.push_back(DetailNote{DetailNote::Shader, line.text, nullptr, 0, 0});
        const bool declaresCount = holds(found, kNumVerts) || holds(found, kNumTris) || holds(found, kNumWeights);
        const int count = declaresCount ? intOr0(t.at[2]) : 0;
        const auto declare = [&](auto& records, size_t recordBytes) {
            if (countFits(count, bytesLeft, recordBytes) && records.declare(static_cast<size_t>(count))) return true;
            out.notes.push_back(DetailNote{DetailNote::CountTooLarge, line.text, nullptr, 0, count});
            return false;
        };
        if (holds(found, kNumVerts)) {
            if (!declare(s.verts, kVertRecordBytes)) return false;
            model_.numVerts[mesh] = count;
            s.nextVert = 0;
        }
        if (holds(found, kNumTris)) {
            if (!declare(s.tris, kTriRecordBytes)) return false;
            s.nextTri = 0;
        }
        if (holds(found, kNumWeights)) {
            if (!declare(s.weights, kWeightRecordBytes)) return false;
            s.nextWeight = 0;
            model_.meshLoaded[mesh] = 1;
        }
        if (holds(found, kTri)) readTri(t, s.tris.at(checkNumber("tri", t.at[2], s.nextTri++, out)));
        if (holds(found, kVert)) readVert(t, s.verts.at(checkNumber("vert", t.at[2], s.nextVert++, out)));
        if (holds(found, kWeight)) readWeight(t, s.weights.at(checkNumber("weight", t.at[2], s.nextWeight++, out)));
        return true;
    }

    // What the mesh's lines called for besides records, in file order, then the checks of the
    // records read. False where the load stopped at this mesh.
    bool finishMeshDetails(int m, const MeshDetails& details) {
        for (const DetailNote& note : details.notes) {
            switch (note.kind) {
            case DetailNote::Shader: readShader(m, LineText(note.text)); break;
            case DetailNote::Misnumbered: misnumbered(m, note.record, note.text, note.slot); break;
            case DetailNote::CountTooLarge: return countTooLarge(m, LineText(note.text), note.count);
            }
        }
        if (!details.complete) return false;
        dropBadWeights(m, details.weightsWritten);
        dropBadVertices(m);
        dropBadTriangles(m);
        return true;
    }

    // Meshes after one where the load stopped were read alongside it; they keep nothing, as
    // when they are never reached.
    void forgetMeshesAfter(int m) {
        for (size_t k = static_cast<size_t>(m) + 1; k < static_cast<size_t>(model_.numMeshes()); ++k) {
            std::vector<Vertex>().swap(model_.verts[k]);
            std::vector<Triangle>().swap(model_.tris[k]);
            std::vector<VertexWeight>().swap(model_.weights[k]);
            model_.numVerts[k] = 0;
            model_.meshLoaded[k] = 0;
        }
    }

    void readShader(int m, const LineText& line) {
        const std::string name(textscan::secondName(line.text));
        const size_t mesh = static_cast<size_t>(m);
        if (mesh < model_.materialName.size()) model_.materialName[mesh] = name;
        findTextures(model_, name, m);
    }

    // A record's own number as plain decimal digits; false when it is not one.
    static bool recordNumber(std::string_view token, unsigned long long& number) {
        number = 0;
        bool decimal = !token.empty() && token.size() <= 18;
        for (size_t i = 0; i < token.size() && decimal; ++i) {
            decimal = token[i] >= '0' && token[i] <= '9';
            number = 10 * number + static_cast<unsigned>(token[i] - '0');
        }
        return decimal;
    }

    // Records are stored in file order and their own numbers ignored; a number that is not the
    // record's position (a file whose records were reordered or cut) is noted. Returns `slot`.
    static size_t checkNumber(const char* kind, std::string_view token, size_t slot, MeshDetails& out) {
        unsigned long long number = 0;
        if (!recordNumber(token, number) || number != slot)
            out.notes.push_back(DetailNote{DetailNote::Misnumbered, token, kind, slot, 0});
        return slot;
    }

    void misnumbered(int m, const char* kind, std::string_view token, size_t slot) {
        unsigned long long number = 0;
        const bool decimal = recordNumber(token, number);
        LoadProblem problem;
        problem.kind = ProblemKind::RecordMisnumbered;
        problem.file = fileName_;
        problem.mesh = m;
        problem.record = static_cast<long long>(slot);
        if (decimal) problem.value = static_cast<long long>(number);
        problem.message = meshPrefix(m) + kind + " record numbered " +
                          (token.empty() ? std::string("nothing") : std::string(token)) + " read as number " +
                          std::to_string(slot);
        addProblem(model_.problems, std::move(problem));
    }

    static void readTri(const Tokens& t, Triangle* tri) {
        if (!tri) return;
        for (int k = 0; k < 3; ++k) tri->v[k] = intOr0(t.at[3 + k]);
    }

    void readVert(const Tokens& t, Vertex* vert) const {
        if (!vert) return;
        const int first = version10_ ? 4 : 3;
        const int weightsAt = version10_ ? 7 : 5;
        vert->u = floatOr0(t.at[first]);
        vert->v = 1.0f - floatOr0(t.at[first + 1]);
        vert->weightStart = intOr0(t.at[weightsAt]);
        vert->weightCount = intOr0(t.at[weightsAt + 1]);
    }

    void readWeight(const Tokens& t, VertexWeight* weight) const {
        if (!weight) return;
        const int posAt = version10_ ? 6 : 5;
        weight->joint = intOr0(t.at[3]);
        weight->bias = floatOr0(t.at[4]);
        for (int k = 0; k < 3; ++k) weight->pos[k] = floatOr0(t.at[posAt + k]);
    }

    // --- records naming something that does not exist ---

    // Vertices address weights by position, so a weight naming no joint keeps its slot but
    // no longer contributes. Only records read from the file are checked; zero-filled ones
    // contribute nothing anyway.
    void dropBadWeights(int m, size_t written) {
        std::vector<VertexWeight>& weights = model_.weights[static_cast<size_t>(m)];
        for (size_t w = 0; w < written && w < weights.size(); ++w) {
            const int joint = weights[w].joint;
            if (joint >= 0 && joint < model_.numJoints()) continue;
            logFormat("%s: mesh %d weight %zu names joint %d, dropped\n", fileName_.c_str(), m, w, joint);
            dropped(m, static_cast<long long>(w), joint,
                    meshPrefix(m) + "weight " + std::to_string(w) + " names joint " + std::to_string(joint) + " of " +
                        std::to_string(model_.numJoints()) + ", dropped");
            weights[w] = VertexWeight();
        }
    }

    // Triangles address vertices by position, so a vertex keeps its slot and loses its weights.
    void dropBadVertices(int m) {
        const long long weightTotal = model_.numWeights(m);
        std::vector<Vertex>& verts = model_.verts[static_cast<size_t>(m)];
        for (size_t i = 0; i < verts.size(); ++i) {
            Vertex& vert = verts[i];
            if (vert.weightCount == 0) continue;
            const long long end = static_cast<long long>(vert.weightStart) + vert.weightCount;
            if (vert.weightStart >= 0 && vert.weightCount > 0 && end <= weightTotal) continue;
            logFormat("%s: mesh %d vertex %zu names %d weights from %d, dropped\n", fileName_.c_str(), m, i,
                      vert.weightCount, vert.weightStart);
            dropped(m, static_cast<long long>(i), end,
                    meshPrefix(m) + "vertex " + std::to_string(i) + " names " + std::to_string(vert.weightCount) +
                        " weights from " + std::to_string(vert.weightStart) + " of " + std::to_string(weightTotal) +
                        ", its weights dropped");
            vert.weightStart = 0;
            vert.weightCount = 0;
        }
    }

    // Nothing refers to a triangle by its position in the file, so a bad one is removed.
    void dropBadTriangles(int m) {
        const size_t mesh = static_cast<size_t>(m);
        const int vertTotal = model_.numVerts[mesh];
        std::vector<Triangle>& tris = model_.tris[mesh];
        size_t kept = 0;
        for (size_t t = 0; t < tris.size(); ++t) {
            int bad = 0;
            bool ok = true;
            for (int k = 0; k < 3 && ok; ++k) {
                if (tris[t].v[k] >= 0 && tris[t].v[k] < vertTotal) continue;
                ok = false;
                bad = tris[t].v[k];
            }
            if (!ok) {
                logFormat("%s: mesh %d triangle %zu names vertex %d, dropped\n", fileName_.c_str(), m, t, bad);
                dropped(m, static_cast<long long>(t), bad,
                        meshPrefix(m) + "triangle " + std::to_string(t) + " names vertex " + std::to_string(bad) +
                            " of " + std::to_string(vertTotal) + ", dropped");
                continue;
            }
            if (kept != t) tris[kept] = std::move(tris[t]);
            ++kept;
        }
        tris.resize(kept);
    }

    // --- problems handed up with the model ---

    static std::string meshPrefix(int m) { return "mesh " + std::to_string(m) + ": "; }

    void dropped(int m, std::optional<long long> record, std::optional<long long> value, std::string message) {
        LoadProblem problem;
        problem.kind = ProblemKind::RecordDropped;
        problem.file = fileName_;
        if (m >= 0) problem.mesh = m;
        problem.record = record;
        problem.value = value;
        problem.message = std::move(message);
        addProblem(model_.problems, std::move(problem));
    }

    // The load stops at a count the rest of the file cannot hold; returns false for the caller.
    bool countTooLarge(int m, const LineText& line, int count) {
        LoadProblem problem;
        problem.kind = ProblemKind::CountTooLarge;
        problem.file = fileName_;
        if (m >= 0) problem.mesh = m;
        problem.value = count;
        const std::string keyword(textscan::Pieces(line.text).next());
        problem.message = (m >= 0 ? meshPrefix(m) : std::string()) + keyword + " " + std::to_string(count) +
                          (count < 0 ? " is not a count" : " is more than the rest of the file can hold") +
                          "; reading stopped";
        addProblem(model_.problems, std::move(problem));
        return false;
    }

    Model& model_;
    std::string_view data_;
    const std::string& fileName_;
    RecordSlots<Joint> joints_;
    bool holdsNul_; // most files hold none, and then no line needs to be searched for one
    std::vector<size_t> meshStarts_; // version 10: where each "mesh" line starts, in file order
    bool version10_ = false;
    int meshCount_ = -1;
    int jointCount_ = 0; // the last count declared; joints_ holds that many once finished
};

} // namespace

bool readMeshFromMemory(Model& model, std::string_view data, const std::string& fileName) {
    MeshReader reader(model, data, fileName);
    if (reader.run()) return true;
    // No mesh of a stopped load gets its index list, and the drawing passes take a set
    // meshLoaded as leave to draw 3 x numTris indices: the read data stays, undrawn.
    std::fill(model.meshLoaded.begin(), model.meshLoaded.end(), 0);
    return false;
}

void quaternionToBindRotation(float x, float y, float z, float w, float out[9]) {
    const float q[4] = {x, y, z, w};
    float m[16];
    quaternionToMatrix(q, m);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) out[3 * c + r] = m[4 * c + r];
}

} // namespace md5
