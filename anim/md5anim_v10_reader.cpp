// anim/md5anim_v10_reader.cpp -- MD5anim version 10: hierarchy, bounds, base frame and frames, from memory.
#include <algorithm>
#include <cstdint>

#include "anim/md5anim_parse.h"
#include "base/text_scan.h"

using namespace textscan;

namespace {

// Floats of all frames together may reach a few per byte of text (a truncated file still keeps
// every frame it declares) but never more: a hostile count cannot ask for gigabytes.
constexpr size_t kFrameFloatsPerByte = 4;
constexpr size_t kFrameFloatsSlack = 1 << 16;

class ReaderV10 {
public:
    ReaderV10(AnimationV10& anim, std::string_view text)
        : anim_(anim), lines_(text), limit_(text.size()) {}

    // The version line has been checked by the caller; the blocks follow it.
    void run() {
        std::string_view line;
        lines_.next(line);
        while (lines_.next(line)) readLine(line);
    }

private:
    // Every test runs on every line, in this order; an earlier one may have cut the line after
    // its first piece, as strtok leaves the line buffer.
    void readLine(std::string_view line) {
        if (contains(line, "numFrames ")) readNumFrames(line);
        if (contains(line, "numJoints ")) readNumJoints(line);
        if (contains(line, "frameRate ")) anim_.frameRate = secondFloatCut(line);
        if (contains(line, "numAnimatedComponents ")) readNumComponents(line);
        if (startsWith(line, "hierarchy ")) readHierarchy();
        if (startsWith(line, "bounds ")) readSixBlock(anim_.bounds, anim_.numFrames);
        if (startsWith(line, "baseframe ")) readSixBlock(anim_.baseFrame, anim_.numJoints);
        if (startsWith(line, "frame ")) readFrame(line);
    }

    void readNumFrames(std::string_view& line) {
        anim_.numFrames = clipCount(secondIntCut(line), limit_);
        // A second count line starts the frames afresh; later frame blocks size nothing.
        anim_.frames.assign(static_cast<size_t>(anim_.numFrames), {});
        anim_.bounds.assign(static_cast<size_t>(anim_.numFrames) * 6, 0.0f);
    }

    void readNumJoints(std::string_view& line) {
        anim_.numJoints = clipCount(secondIntCut(line), limit_);
        anim_.joints.assign(static_cast<size_t>(anim_.numJoints), AnimJointV10{});
        anim_.baseFrame.assign(static_cast<size_t>(anim_.numJoints) * 6, 0.0f);
    }

    void readNumComponents(std::string_view& line) {
        int count = clipCount(secondIntCut(line), limit_);
        if (anim_.numFrames > 0) {
            const size_t budget = limit_ * kFrameFloatsPerByte + kFrameFloatsSlack;
            count = static_cast<int>(std::min(static_cast<size_t>(count), budget / static_cast<size_t>(anim_.numFrames)));
        }
        anim_.numAnimatedComponents = count;
        for (std::vector<float>& frame : anim_.frames) frame.assign(static_cast<size_t>(count), 0.0f);
    }

    void readHierarchy() {
        std::string_view line;
        for (AnimJointV10& joint : anim_.joints) {
            if (!lines_.next(line) || startsWith(line, "}")) return;
            Pieces pieces(line);
            const std::string_view name = pieces.next(kQuotedNameEnds);
            joint.hasName = !name.empty();
            joint.name = std::string(name);
            joint.parent = intOr(pieces.next(), joint.parent);
            joint.flags = intOr(pieces.next(), joint.flags);
            joint.startIndex = intOr(pieces.next(), joint.startIndex);
        }
    }

    // " ( %f %f %f ) ( %f %f %f )" into `out`, as far as the line matches.
    static void scanParenSix(std::string_view line, float out[6]) {
        Cursor cursor(line);
        for (int group = 0; group < 2; ++group) {
            if (!cursor.expect('(')) return;
            for (int i = 0; i < 3; ++i)
                if (!cursor.readFloat(out[3 * group + i])) return;
            if (!cursor.expect(')')) return;
        }
    }

    void readSixBlock(std::vector<float>& values, int count) {
        std::string_view line;
        for (int i = 0; i < count && static_cast<size_t>(i) * 6 + 6 <= values.size(); ++i) {
            if (!lines_.next(line) || startsWith(line, "}")) return;
            scanParenSix(line, &values[static_cast<size_t>(i) * 6]);
        }
    }

    // Reads the block to its closing line whatever the index; values land only inside the frame.
    void readFrame(std::string_view header) {
        const int index = secondIntCut(header);
        std::vector<float>* frame = nullptr;
        if (index >= 0 && index < static_cast<int>(anim_.frames.size())) frame = &anim_.frames[static_cast<size_t>(index)];
        size_t next = 0;
        std::string_view line;
        while (lines_.next(line) && !startsWith(line, "}")) {
            Cursor cursor(line);
            float value = 0;
            for (int i = 0; i < 8 && cursor.readFloat(value); ++i) {
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
    LineReader first(text);
    std::string_view line;
    if (!first.next(line) || !contains(line, "MD5Version 10")) return nullptr;
    auto anim = std::make_unique<AnimationV10>();
    ReaderV10(*anim, text).run();
    return anim;
}
