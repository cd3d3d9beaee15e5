// anim/md5anim_v10_reader.cpp -- MD5anim version 10: hierarchy, bounds, base frame and frames, from memory.
#include <algorithm>
#include <cstdint>

#include "anim/anim_text.h"
#include "anim/md5anim_parse.h"

using namespace animtext;

namespace {

constexpr size_t kLineBuffer = 4096;
// Floats of all frames together may reach a few per byte of text (a truncated file still keeps
// every frame it declares) but never more: a hostile count cannot ask for gigabytes.
constexpr size_t kFrameFloatsPerByte = 4;
constexpr size_t kFrameFloatsSlack = 1 << 16;

class ReaderV10 {
public:
    ReaderV10(AnimationV10& anim, std::string_view text)
        : anim_(anim), lines_(text, kLineBuffer), limit_(text.size()) {}

    // The version line has been checked by the caller; the blocks follow it.
    void run() {
        std::string line;
        lines_.next(line);
        while (lines_.next(line)) readLine(line);
    }

private:
    // Every test runs on every line, in this order; an earlier one may have cut the line.
    void readLine(std::string& line) {
        if (contains(line, "numFrames ")) readNumFrames(line);
        if (contains(line, "numJoints ")) readNumJoints(line);
        if (contains(line, "frameRate ")) anim_.frameRate = secondTokenFloat(line);
        if (contains(line, "numAnimatedComponents ")) readNumComponents(line);
        if (startsWith(line, "hierarchy ")) readHierarchy();
        if (startsWith(line, "bounds ")) readSixBlock(anim_.bounds, anim_.numFrames);
        if (startsWith(line, "baseframe ")) readSixBlock(anim_.baseFrame, anim_.numJoints);
        if (startsWith(line, "frame ")) readFrame(line);
    }

    void readNumFrames(std::string& line) {
        anim_.numFrames = clipCount(secondTokenInt(line), limit_);
        // A second count line starts the frames afresh; later frame blocks size nothing.
        anim_.frames.assign(static_cast<size_t>(anim_.numFrames), {});
        anim_.bounds.assign(static_cast<size_t>(anim_.numFrames) * 6, 0.0f);
    }

    void readNumJoints(std::string& line) {
        anim_.numJoints = clipCount(secondTokenInt(line), limit_);
        anim_.joints.assign(static_cast<size_t>(anim_.numJoints), AnimJointV10{});
        anim_.baseFrame.assign(static_cast<size_t>(anim_.numJoints) * 6, 0.0f);
    }

    void readNumComponents(std::string& line) {
        int count = clipCount(secondTokenInt(line), limit_);
        if (anim_.numFrames > 0) {
            const size_t budget = limit_ * kFrameFloatsPerByte + kFrameFloatsSlack;
            count = static_cast<int>(std::min(static_cast<size_t>(count), budget / static_cast<size_t>(anim_.numFrames)));
        }
        anim_.numAnimatedComponents = count;
        for (std::vector<float>& frame : anim_.frames) frame.assign(static_cast<size_t>(count), 0.0f);
    }

    void readHierarchy() {
        std::string line;
        for (AnimJointV10& joint : anim_.joints) {
            if (!lines_.next(line) || line[0] == '}') return;
            Pieces pieces(line);
            const char* name = pieces.next("\t\n\"");
            joint.hasName = name != nullptr;
            joint.name = name ? name : "";
            joint.parent = pieceInt(pieces.next(" \t\n"), joint.parent);
            joint.flags = pieceInt(pieces.next(" \t\n"), joint.flags);
            joint.startIndex = pieceInt(pieces.next(" \t\n"), joint.startIndex);
        }
    }

    // " ( %f %f %f ) ( %f %f %f )" into `out`, as far as the line matches.
    static void scanParenSix(const char* p, float out[6]) {
        for (int group = 0; group < 2; ++group) {
            skipSpace(p);
            if (!scanLiteral(p, '(')) return;
            for (int i = 0; i < 3; ++i)
                if (!scanFloat(p, out[3 * group + i])) return;
            skipSpace(p);
            if (!scanLiteral(p, ')')) return;
        }
    }

    void readSixBlock(std::vector<float>& values, int count) {
        std::string line;
        for (int i = 0; i < count && static_cast<size_t>(i) * 6 + 6 <= values.size(); ++i) {
            if (!lines_.next(line) || line[0] == '}') return;
            scanParenSix(line.c_str(), &values[static_cast<size_t>(i) * 6]);
        }
    }

    // Reads the block to its closing line whatever the index; values land only inside the frame.
    void readFrame(std::string& header) {
        const int index = secondTokenInt(header);
        std::vector<float>* frame = nullptr;
        if (index >= 0 && index < static_cast<int>(anim_.frames.size())) frame = &anim_.frames[static_cast<size_t>(index)];
        size_t next = 0;
        std::string line;
        while (lines_.next(line) && line[0] != '}') {
            const char* p = line.c_str();
            float value = 0;
            for (int i = 0; i < 8 && scanFloat(p, value); ++i) {
                if (frame && next < frame->size()) (*frame)[next] = value;
                ++next;
            }
        }
    }

    AnimationV10& anim_;
    LineReader lines_;
    size_t limit_;
};

} // namespace

std::unique_ptr<AnimationV10> parseAnimationV10(std::string_view text) {
    LineReader first(text, kLineBuffer);
    std::string line;
    if (!first.next(line) || !contains(line, "MD5Version 10")) return nullptr;
    auto anim = std::make_unique<AnimationV10>();
    ReaderV10(*anim, text).run();
    return anim;
}
