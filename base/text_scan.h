// base/text_scan.h -- the one text scanner of every text reader: lines, strtok-style pieces and the
// "%i"/"%f" conversions, over text held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace textscan {

// --- lines ---

// What a NUL byte inside a line does.
enum class NulBytes {
    EndText, // the line's text ends at it, as for a C string; the rest of that line is dropped
    Keep,    // the line is handed out whole (a reader that counts raw bytes); textOf() cuts it
};

struct LineOptions {
    size_t bufferSize = 4096; // one read takes at most bufferSize - 1 characters, line end included
    NulBytes nul = NulBytes::EndText;
};

// Hands out the lines of a text the way reads into a line buffer of `bufferSize` bytes do: a
// line ends after its '\n', and a longer line continues as the next one.
class LineReader {
public:
    explicit LineReader(std::string_view text, LineOptions options = {})
        : text_(text), limit_(options.bufferSize > 1 ? options.bufferSize - 1 : 1), nul_(options.nul) {}
    bool next(std::string_view& line);
    // Bytes not handed out yet.
    size_t bytesLeft() const { return text_.size() - pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t limit_;
    NulBytes nul_;
};

// The text of a line as C string functions see it: up to its first NUL byte.
std::string_view textOf(std::string_view line);

inline bool contains(std::string_view line, std::string_view word) { return line.find(word) != std::string_view::npos; }
inline bool startsWith(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }
// True when the first non-blank character is '#'.
bool isComment(std::string_view line);

// --- pieces ---

// A set of separator characters.
class Separators {
public:
    constexpr explicit Separators(const char* chars) {
        for (; *chars; ++chars) is_[static_cast<unsigned char>(*chars)] = true;
    }
    // One load per character: the readers ask it for every byte of every number.
    constexpr bool has(char c) const { return is_[static_cast<unsigned char>(c)]; }

private:
    bool is_[256] = {};
};

// Tokens are separated by blanks, tabs and line ends ('\r' too: files are read as bytes, and
// a text-mode read would have dropped it).
inline constexpr Separators kBlanks{" \t\r\n"};
// Names also end at double quotes, so a quoted name loses its quotes.
inline constexpr Separators kNameEnds{" \t\r\n\""};
// Names that may hold blanks end only at double quotes, tabs and line ends.
inline constexpr Separators kQuotedNameEnds{"\"\t\r\n"};

// The pieces of a line as successive strtok calls give them: leading separators are skipped, a
// piece runs to the next separator, and that one separator is stepped over, so the set may
// change from piece to piece.
class Pieces {
public:
    explicit Pieces(std::string_view line) : line_(line) {}
    // The next piece; empty when none is left (a piece is never empty). Inline: the readers
    // call it for every number of every record.
    std::string_view next(const Separators& separators = kBlanks) {
        const size_t size = line_.size();
        while (pos_ < size && separators.has(line_[pos_])) ++pos_;
        if (pos_ >= size) return {};
        const size_t start = pos_;
        while (pos_ < size && !separators.has(line_[pos_])) ++pos_;
        const std::string_view piece = line_.substr(start, pos_ - start);
        if (pos_ < size) {
            if (firstCut_ == std::string_view::npos) firstCut_ = pos_;
            ++pos_;
        }
        return piece;
    }
    // Offset just after what the last piece consumed.
    size_t position() const { return pos_; }
    // The line as a C string test sees it after strtok wrote its cuts into the buffer: up to the
    // separator that ended the first piece.
    std::string_view cutLine() const { return line_.substr(0, firstCut_); }

private:
    std::string_view line_;
    size_t pos_ = 0;
    size_t firstCut_ = std::string_view::npos;
};

// The second piece of a line split at kBlanks ("the second token"). `cutLine`, when given,
// receives the line as the two strtok calls leave it (Pieces::cutLine).
std::string_view secondToken(std::string_view line, std::string_view* cutLine = nullptr);
// The second token read as "%i" / "%f", 0 when it is missing or holds no number; `line` is
// cut as the strtok calls leave it, for the tests that run on the same line after.
int secondIntCut(std::string_view& line);
float secondFloatCut(std::string_view& line);
// The second piece of a line split at kNameEnds.
std::string_view secondName(std::string_view line);

// --- numbers ---

// The float forms a reader accepts.
enum class FloatSyntax {
    C,       // all that "%f" reads: decimal, 0x hexadecimal, inf and nan; overflow gives infinity
    Decimal, // sign, digits with an optional point, optional exponent; a value beyond the float
             // range does not convert (no non-finite value can come out)
};

// A read position inside one line.
//
// Integers ("%i"), the one rule of every reader: white space, an optional sign, then 0x/0X and
// hexadecimal digits, or 0 and octal digits, or decimal digits, up to the first character that
// does not fit ("0x" without a hex digit reads as 0 and stops at the x). A value beyond the int
// range saturates to INT_MAX or INT_MIN. Floats: white space, then the form of `syntax`.
// A conversion that finds no number returns false and moves nothing.
class Cursor {
public:
    explicit Cursor(std::string_view text, size_t pos = 0) : text_(text), pos_(pos < text.size() ? pos : text.size()) {}
    void skipBlanks();
    bool readInt(int& value);
    bool readFloat(float& value, FloatSyntax syntax = FloatSyntax::C);
    // A scanf format's " X": optional white space, then the literal character or word.
    bool expect(char c);
    bool expect(std::string_view word);
    // The literal character right here, no white space skipped.
    bool take(char c);
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void advance() { ++pos_; }
    size_t position() const { return pos_; }

private:
    std::string_view text_;
    size_t pos_;
};

// A whole piece converted; `fallback` when it is empty or holds no number.
int intOr(std::string_view piece, int fallback);
float floatOr(std::string_view piece, float fallback, FloatSyntax syntax = FloatSyntax::C);

// A count read from a file held to 0..limit, where limit is what the text could describe.
int clipCount(int value, size_t limit);

} // namespace textscan
