// base/text_scan.h -- line splitting, tokens and "%i"/"%f" number conversions shared by the text readers.
#pragma once

#include <cstddef>
#include <string_view>

namespace textscan {

// Hands out the lines of a text the way a 4096-byte line buffer reads them: a line ends
// after its '\n'; a longer line continues as the next one after 4095 characters. A zero
// byte ends the line's text (the rest of that line is dropped), as for C strings.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Blanks, tabs, newlines and carriage returns separate tokens.
inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
// Names also end at double quotes.
inline bool isNameSeparator(char c) { return isBlank(c) || c == '"'; }

// True when the first non-blank character is '#'.
bool isComment(std::string_view line);

// The n-th piece (0-based) when the line is split at blanks, tabs and newlines; empty when
// there are fewer pieces. `restStart` receives the offset just after the piece.
std::string_view token(std::string_view line, int n, size_t* restStart = nullptr);
// The second piece when the line is split at blanks, tabs, newlines and double quotes.
std::string_view secondName(std::string_view line);

// A read position inside one line, converting numbers as "%i" and "%f" do.
class Cursor {
public:
    explicit Cursor(std::string_view text, size_t pos = 0) : text_(text), pos_(pos) {}
    void skipBlanks();
    // "%i": optional sign, 0x hexadecimal, 0-prefixed octal, else decimal; clamped to int.
    bool readInt(int& value);
    // "%f": anything strtof accepts.
    bool readFloat(float& value);
    // One literal character after optional blanks (a scanf format's " X").
    bool expect(char c);
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void advance() { ++pos_; }
    size_t position() const { return pos_; }

private:
    std::string_view text_;
    size_t pos_;
};

} // namespace textscan
