// anim/anim_text.cpp -- line, piece and number reading shared by both MD5anim readers.
#include "anim/anim_text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace animtext {

bool LineReader::next(std::string& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = pos_;
    const size_t stop = pos_ + limit_ < text_.size() ? pos_ + limit_ : text_.size();
    while (end < stop && text_[end] != '\n') ++end;
    if (end < stop) ++end; // keep the line end, as fgets does
    line.assign(text_.data() + pos_, end - pos_);
    pos_ = end;
    const size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    return true;
}

Pieces::Pieces(std::string& line) : line_(line), length_(strlen(line.c_str())) {}

const char* Pieces::next(const char* delimiters) {
    const size_t length = length_;
    while (pos_ < length && strchr(delimiters, line_[pos_])) ++pos_;
    if (pos_ >= length) return nullptr;
    const size_t start = pos_;
    while (pos_ < length && !strchr(delimiters, line_[pos_])) ++pos_;
    if (pos_ < length) {
        line_[pos_] = '\0';
        ++pos_;
    }
    return line_.c_str() + start;
}

bool contains(const std::string& line, const char* word) { return strstr(line.c_str(), word) != nullptr; }

bool startsWith(const std::string& line, const char* word) {
    return strncmp(line.c_str(), word, strlen(word)) == 0;
}

void skipSpace(const char*& p) {
    while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
}

bool scanInt(const char*& p, int& value) {
    skipSpace(p);
    char* end = nullptr;
    errno = 0;
    long long v = strtoll(p, &end, 0);
    if (end == p) return false;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    value = static_cast<int>(v);
    p = end;
    return true;
}

bool scanFloat(const char*& p, float& value) {
    skipSpace(p);
    char* end = nullptr;
    float v = strtof(p, &end);
    if (end == p) return false;
    value = v;
    p = end;
    return true;
}

bool scanLiteral(const char*& p, char c) {
    if (*p != c) return false;
    ++p;
    return true;
}

int pieceInt(const char* piece, int fallback) {
    if (!piece) return fallback;
    int v = fallback;
    scanInt(piece, v);
    return v;
}

float pieceFloat(const char* piece, float fallback) {
    if (!piece) return fallback;
    float v = fallback;
    scanFloat(piece, v);
    return v;
}

namespace {
const char* secondToken(std::string& line) {
    Pieces pieces(line);
    if (!pieces.next(" \t\n")) return nullptr;
    return pieces.next(" \t\n");
}
} // namespace

int secondTokenInt(std::string& line) { return pieceInt(secondToken(line), 0); }
float secondTokenFloat(std::string& line) { return pieceFloat(secondToken(line), 0.0f); }

int clipCount(int value, size_t limit) {
    if (value < 0) return 0;
    if (static_cast<size_t>(value) > limit) return static_cast<int>(limit < INT_MAX ? limit : INT_MAX);
    return value;
}

} // namespace animtext
