// anim/md5anim_v6_reader.cpp -- MD5anim version 6: channels of keys per joint attribute, from memory.
#include <algorithm>
#include <cstring>

#include "anim/anim_text.h"
#include "anim/md5anim_parse.h"

using namespace animtext;

namespace {

constexpr size_t kLineBuffer = 4096;
// Keys and strings of all channels together may reach a few per byte of text, never more, so
// that many channels with hostile counts cannot multiply into gigabytes.
constexpr size_t kValuesPerByte = 4;
constexpr size_t kValuesSlack = 1 << 16;

class ReaderV6 {
public:
    ReaderV6(AnimationV6& anim, std::string_view text)
        : anim_(anim), lines_(text, kLineBuffer), limit_(text.size()),
          valueBudget_(text.size() * kValuesPerByte + kValuesSlack) {}

    // The version line has been checked by the caller; the channels follow it.
    void run() {
        std::string line;
        lines_.next(line);
        while (lines_.next(line)) readLine(line);
    }

private:
    // Every test runs on every line, in this order; an earlier one may have cut the line.
    void readLine(std::string& line) {
        if (contains(line, "commandline ")) readCommandLine(line);
        if (contains(line, "numchannels ")) readNumChannels(line);
        if (contains(line, "channel ")) current_ = secondTokenInt(line);
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

    void readCommandLine(const std::string& line) {
        const char* range = strstr(line.c_str(), "-range");
        if (!range) {
            anim_.rangeStart = 0;
            anim_.rangeEnd = 0;
            return;
        }
        const char* p = range + strlen("-range");
        if (scanInt(p, anim_.rangeStart)) scanInt(p, anim_.rangeEnd);
    }

    void readNumChannels(std::string& line) {
        anim_.numChannels = clipCount(secondTokenInt(line), limit_);
        anim_.channels.assign(static_cast<size_t>(anim_.numChannels), AnimChannelV6{});
    }

    void readJointName(const std::string& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        const char* p = strstr(line.c_str(), "joint ") + strlen("joint ");
        while (*p == '"') ++p;
        c->jointName.assign(p, strcspn(p, "\t\n\""));
    }

    void readAttribute(std::string& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        Pieces pieces(line);
        const char* delimiters = " \t\n\"";
        const char* second = pieces.next(delimiters) ? pieces.next(delimiters) : nullptr;
        c->attribute = second ? second : "";
    }

    void readStartTime(std::string& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        c->startTime = secondTokenFloat(line);
        if (anim_.startTime > c->startTime) anim_.startTime = c->startTime;
    }

    void readEndTime(std::string& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        c->endTime = secondTokenFloat(line);
        if (anim_.endTime < c->endTime) anim_.endTime = c->endTime;
    }

    void readFrameRate(std::string& line) {
        if (AnimChannelV6* c = channel()) c->frameRate = secondTokenFloat(line);
    }

    // " range %i %i" on the whole line; the command line's "-range" does not match it.
    void readRange(const std::string& line) {
        AnimChannelV6* c = channel();
        if (!c) return;
        const char* p = line.c_str();
        skipSpace(p);
        if (strncmp(p, "range", 5) != 0) return;
        p += 5;
        if (scanInt(p, c->rangeStart)) scanInt(p, c->rangeEnd);
    }

    // Key lines follow until one holds fewer than eight numbers (that line is consumed too).
    // Keys beyond the declared count are read and dropped.
    void readKeys(std::string& line) {
        AnimChannelV6* c = channel();
        const int asked = secondTokenInt(line);
        const int count = c ? takeFromBudget(asked) : 0;
        if (c) {
            c->numKeys = count;
            c->keys.assign(static_cast<size_t>(count), 0.0f);
        }
        size_t next = 0;
        std::string keyLine;
        while (lines_.next(keyLine)) {
            const char* p = keyLine.c_str();
            int read = 0;
            float value = 0;
            while (read < 8 && scanFloat(p, value)) {
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
    static bool scanQuotedString(const char*& p, std::string& out, bool& more) {
        skipSpace(p);
        if (!scanLiteral(p, '"')) return false;
        const char* start = p;
        while (inStringSet(*p)) ++p;
        if (p == start) return false;
        out.assign(start, std::min(static_cast<size_t>(p - start), kChannelStringMax));
        more = scanLiteral(p, '"');
        return true;
    }

    // String lines follow while each holds eight strings; strings beyond the count are dropped.
    void readStrings(std::string& line) {
        const int asked = secondTokenInt(line);
        AnimChannelV6* c = channel();
        if (c) c->numStrings = clipCount(asked, limit_);
        if (asked <= 0) return;
        if (c) {
            c->numStrings = takeFromBudget(asked);
            c->strings.assign(static_cast<size_t>(c->numStrings), std::string());
        }
        size_t next = 0;
        std::string stringLine;
        std::string value;
        while (lines_.next(stringLine)) {
            const char* p = stringLine.c_str();
            int read = 0;
            bool more = true;
            while (more && read < 8 && scanQuotedString(p, value, more)) {
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
    LineReader first(text, kLineBuffer);
    std::string line;
    if (!first.next(line) || !contains(line, "MD5Version 6")) return nullptr;
    auto anim = std::make_unique<AnimationV6>();
    ReaderV6(*anim, text).run();
    return anim;
}
