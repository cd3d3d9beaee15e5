// anim/md5anim_v6_reader.cpp -- MD5anim version 6: channels of keys per joint attribute, from memory.
#include <algorithm>

#include "anim/md5anim_parse.h"
#include "base/text_scan.h"

using namespace textscan;

namespace {

// Keys and strings of all channels together may reach a few per byte of text, never more, so
// that many channels with hostile counts cannot multiply into gigabytes.
constexpr size_t kValuesPerByte = 4;
constexpr size_t kValuesSlack = 1 << 16;

class ReaderV6 {
public:
    ReaderV6(AnimationV6& anim, std::string_view text)
        : anim_(anim), lines_(text), limit_(text.size()),
          valueBudget_(text.size() * kValuesPerByte + kValuesSlack) {}

    // The version line has been checked by the caller; the channels follow it.
    void run() {
        std::string_view line;
        lines_.next(line);
        while (lines_.next(line)) readLine(line);
    }

private:
    // Every test runs on every line, in this order; an earlier one may have cut the line after
    // its first piece, as strtok leaves the line buffer.
    void readLine(std::string_view line) {
        if (contains(line, "commandline ")) readCommandLine(line);
        if (contains(line, "numchannels ")) readNumChannels(line);
        if (contains(line, "channel ")) current_ = secondIntCut(line);
        if (contains(line, "joint ")) readJointName(line);
        if (contains(line, "attribute ")) readAttribute(line);
        if (contains(line, "starttime ")) readStartTime(line);
        if (contains(line, "endtime ")) readEndTime(line);
        if (contains(line, "framerate ")) readFrameRate(line);
        if (contains(line, "range ")) readRange(line);
        if (contains(line, "keys ")) readKeys(line);
        if (contains(line, "strings ")) readStrings(line);
    }

    // Lines of a channel that does not exist are read and dropped.
    AnimChannelV6* channel() {
        if (current_ < 0 || current_ >= static_cast<int>(anim_.channels.size())) return nullptr;
        return &anim_.channels[static_cast<size_t>(current_)];
    }

    void readCommandLine(std::string_view line) {
        const std::string_view word = "-range";
        const size_t range = line.find(word);
        if (range == std::string_view::npos) {
            anim_.rangeStart = 0;
            anim_.rangeEnd = 0;
            return;
        }
        Cursor cursor(line, range + word.size());
        if (cursor.readInt(anim_.rangeStart)) cursor.readInt(anim_.rangeEnd);
    }

    void readNumChannels(std::string_view& line) {
        anim_.numChannels = clipCount(secondIntCut(line), limit_);
        anim_.channels.assign(static_cast<size_t>(anim_.numChannels), AnimChannelV6{});
    }

    // The rest of the line after the keyword, leading quotes skipped, up to a quote, tab or line end.
    void readJointName(std::string_view line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        const std::string_view word = "joint ";
        size_t start = line.find(word) + word.size();
        while (start < line.size() && line[start] == '"') ++start;
        size_t end = start;
        while (end < line.size() && !kQuotedNameEnds.has(line[end])) ++end;
        c->jointName.assign(line.substr(start, end - start));
    }

    void readAttribute(std::string_view& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        Pieces pieces(line);
        pieces.next(kNameEnds);
        c->attribute = std::string(pieces.next(kNameEnds));
        line = pieces.cutLine();
    }

    void readStartTime(std::string_view& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        c->startTime = secondFloatCut(line);
        if (anim_.startTime > c->startTime) anim_.startTime = c->startTime;
    }

    void readEndTime(std::string_view& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        c->endTime = secondFloatCut(line);
        if (anim_.endTime < c->endTime) anim_.endTime = c->endTime;
    }

    void readFrameRate(std::string_view& line) {
        if (AnimChannelV6* c = channel()) c->frameRate = secondFloatCut(line);
    }

    // " range %i %i" on the whole line; the command line's "-range" does not match it.
    void readRange(std::string_view line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        Cursor cursor(line);
        if (!cursor.expect("range")) return;
        if (cursor.readInt(c->rangeStart)) cursor.readInt(c->rangeEnd);
    }

    // Key lines follow until one holds fewer than eight numbers (that line is consumed too).
    // Keys beyond the declared count are read and dropped.
    void readKeys(std::string_view& line) {
        AnimChannelV6* c = channel();
        const int asked = secondIntCut(line);
        const int count = c ? takeFromBudget(asked) : 0;
        if (c) {
            c->numKeys = count;
            c->keys.assign(static_cast<size_t>(count), 0.0f);
        }
        size_t next = 0;
        std::string_view keyLine;
        while (lines_.next(keyLine)) {
            Cursor cursor(keyLine);
            int read = 0;
            float value = 0;
            while (read < 8 && cursor.readFloat(value)) {
                if (c && next < c->keys.size()) c->keys[next] = value;
                ++next;
                ++read;
            }
            if (read < 8) return;
        }
    }

    static bool inStringSet(char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
               ch == ' ';
    }

    // One ` "%[a-zA-Z0123456789_ ]"` of the strings pattern. As with scanf, a string whose closing
    // quote is missing still counts, but ends the line: `more` turns false.
    static bool scanQuotedString(std::string_view line, Cursor& cursor, std::string& out, bool& more) {
        cursor.skipBlanks();
        if (!cursor.take('"')) return false;
        const size_t start = cursor.position();
        while (inStringSet(cursor.peek())) cursor.advance();
        if (cursor.position() == start) return false;
        out.assign(line.substr(start, std::min(cursor.position() - start, kChannelStringMax)));
        more = cursor.take('"');
        return true;
    }

    // String lines follow while each holds eight strings; strings beyond the count are dropped.
    void readStrings(std::string_view& line) {
        const int asked = secondIntCut(line);
        AnimChannelV6* c = channel();
        if (c) c->numStrings = clipCount(asked, limit_);
        if (asked <= 0) return;
        if (c) {
            c->numStrings = takeFromBudget(asked);
            c->strings.assign(static_cast<size_t>(c->numStrings), std::string());
        }
        size_t next = 0;
        std::string_view stringLine;
        std::string value;
        while (lines_.next(stringLine)) {
            Cursor cursor(stringLine);
            int read = 0;
            bool more = true;
            while (more && read < 8 && scanQuotedString(stringLine, cursor, value, more)) {
                if (c && next < c->strings.size()) c->strings[next] = value;
                ++next;
                ++read;
            }
            if (read < 8) return;
        }
    }

    // A count held to the text and to what is left of the budget, which it then uses up.
    int takeFromBudget(int count) {
        const size_t granted = std::min(static_cast<size_t>(clipCount(count, limit_)), valueBudget_);
        valueBudget_ -= granted;
        return static_cast<int>(granted);
    }

    AnimationV6& anim_;
    LineReader lines_;
    size_t limit_;
    size_t valueBudget_;
    int current_ = 0;
};

} // namespace

std::unique_ptr<AnimationV6> parseAnimationV6(std::string_view text) {
    LineReader first(text);
    std::string_view line;
    if (!first.next(line) || !contains(line, "MD5Version 6")) return nullptr;
    auto anim = std::make_unique<AnimationV6>();
    ReaderV6(*anim, text).run();
    return anim;
}
