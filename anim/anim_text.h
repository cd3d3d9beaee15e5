// anim/anim_text.h -- line-by-line reading of MD5anim text: C-string lines, strtok-style pieces
// and the few scanf patterns the readers use, all on memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace animtext {

// Hands out the lines of a text the way fgets with a buffer of `bufferSize` bytes would:
// at most bufferSize - 1 characters, the line end included when it fits.
class LineReader {
public:
    LineReader(std::string_view text, size_t bufferSize) : text_(text), limit_(bufferSize - 1) {}
    // False at the end of the text. `line` behaves as a C string: it ends at its first NUL.
    bool next(std::string& line);

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t limit_;
};

// strtok on one line buffer: each piece is cut off by a NUL written into the buffer, so later
// C-string tests on the buffer see only what precedes the first cut.
class Pieces {
public:
    // The line ends at its first NUL as it stands now; the cuts written later do not end it.
    explicit Pieces(std::string& line);
    // The next piece, or nullptr when none is left. The pointer stays valid while the line lives.
    const char* next(const char* delimiters);

private:
    std::string& line_;
    size_t length_;
    size_t pos_ = 0;
};

// strstr on the C-string view of a line.
bool contains(const std::string& line, const char* word);
// The line begins with `word`.
bool startsWith(const std::string& line, const char* word);

// The scanf conversions. Each skips leading white space where scanf does, advances `p` past
// what it consumed and returns false (leaving the value alone) when nothing converts.
bool scanInt(const char*& p, int& value);   // %i: decimal, 0x hexadecimal, 0 octal; clipped to int
bool scanFloat(const char*& p, float& value); // %f
bool scanLiteral(const char*& p, char c);     // a literal character (no white space skipped)
void skipSpace(const char*& p);               // a blank in a format

// "%i" / "%f" of a whole piece; `fallback` when the piece is missing or holds no number.
int pieceInt(const char* piece, int fallback);
float pieceFloat(const char* piece, float fallback);

// The second piece of the line split at blanks, tabs and newlines, read as %i / %f. The line
// is cut after its first piece, as strtok leaves it.
int secondTokenInt(std::string& line);
float secondTokenFloat(std::string& line);

// Counts read from a file are held to 0..limit, where limit is what the text could describe.
int clipCount(int value, size_t limit);

} // namespace animtext
