// base/text_scan.cpp -- line splitting, strtok-style pieces and the "%i"/"%f" conversions over text in memory.
#include "base/text_scan.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace textscan {

bool LineReader::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t avail = text_.size() - pos_;
    const size_t take = avail < limit_ ? avail : limit_;
    const char* start = text_.data() + pos_;
    const void* newline = memchr(start, '\n', take);
    const size_t length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) + 1 : take;
    pos_ += length;
    line = std::string_view(start, length);
    if (nul_ == NulBytes::EndText) line = textOf(line);
    return true;
}

std::string_view textOf(std::string_view line) {
    const void* nul = memchr(line.data(), '\0', line.size());
    return nul ? line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data())) : line;
}

bool isComment(std::string_view line) {
    for (char c : line) {
        if (kBlanks.has(c)) continue;
        return c == '#';
    }
    return false;
}

std::string_view secondToken(std::string_view line, std::string_view* cutLine) {
    Pieces pieces(line);
    pieces.next();
    const std::string_view second = pieces.next();
    if (cutLine) *cutLine = pieces.cutLine();
    return second;
}

std::string_view secondName(std::string_view line) {
    Pieces pieces(line);
    pieces.next(kNameEnds);
    return pieces.next(kNameEnds);
}

namespace {

// White space as the C conversions skip it.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Length of a decimal float at `s`: sign, digits with an optional point (at least one digit),
// an exponent only where digits follow its 'e'. 0 when there is no digit.
size_t decimalLength(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && isDigit(s[i]); ++i) ++digits;
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < s.size() && isDigit(s[e])) {
            while (e < s.size() && isDigit(s[e])) ++e;
            i = e;
        }
    }
    return i;
}

// strtof on a terminated copy of `s`: the slow path for hexadecimal forms and for values out of
// the float range (infinity, or zero and the denormals), which strtof rounds as "%f" does.
size_t strtofCopy(std::string_view s, float& value) {
    const std::string copy(s);
    char* end = nullptr;
    const int savedErrno = errno;
    const float parsed = strtof(copy.c_str(), &end);
    errno = savedErrno;
    const size_t used = static_cast<size_t>(end - copy.c_str());
    if (used) value = parsed;
    return used;
}

// The characters a hexadecimal float can hold; strtof decides how many of them it takes.
size_t hexRunLength(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (digitValue(s[i]) < 16 || strchr("xXpP.+-", s[i]))) ++i;
    return i;
}

bool isHexStart(std::string_view s) {
    size_t i = s.size() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    return s.size() >= i + 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
}

// The common short decimal, "-12.345678": an optional minus, digits, an optional point and
// digits, no exponent, at most 2^24 as a whole number and at most ten digits after the point.
// Both that number and the power of ten are exact floats, so one division rounds the value
// exactly as the full conversion does. Returns the characters used, 0 to leave it to the full one.
size_t convertShortDecimal(std::string_view s, float& value) {
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    constexpr uint32_t kExactLimit = uint32_t(1) << 24;
    size_t i = s.size() && s[0] == '-' ? 1 : 0;
    const size_t digitsStart = i;
    uint32_t whole = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        whole = whole * 10 + static_cast<uint32_t>(s[i] - '0');
        if (whole > kExactLimit) return 0;
    }
    if (i == digitsStart) return 0; // ".5", "+1", "inf": the full conversion decides
    size_t fraction = 0;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i, ++fraction) {
            whole = whole * 10 + static_cast<uint32_t>(s[i] - '0');
            if (whole > kExactLimit || fraction == 10) return 0;
        }
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) return 0;
    const float magnitude = static_cast<float>(whole) / kPowersOfTen[fraction];
    value = digitsStart ? -magnitude : magnitude;
    return i;
}

// "%f" over the whole of its forms. Returns the characters used, 0 when nothing converts.
size_t convertC(std::string_view s, float& value) {
    if (isHexStart(s)) return strtofCopy(s.substr(0, hexRunLength(s)), value);
    if (const size_t used = convertShortDecimal(s, value)) return used;
    // from_chars takes no '+'; "+-1" and "++1" are no numbers.
    const size_t skip = s.size() >= 2 && s[0] == '+' && s[1] != '+' && s[1] != '-' ? 1 : 0;
    const char* first = s.data() + skip;
    const auto result = std::from_chars(first, s.data() + s.size(), value, std::chars_format::general);
    const size_t used = static_cast<size_t>(result.ptr - s.data());
    if (result.ec == std::errc()) return used;
    if (result.ec == std::errc::result_out_of_range) return strtofCopy(s.substr(0, used), value);
    return 0;
}

// The decimal form alone, finite values only.
size_t convertDecimal(std::string_view s, float& value) {
    const size_t length = decimalLength(s);
    if (length == 0) return 0;
    float parsed = 0;
    if (convertC(s.substr(0, length), parsed) != length || !std::isfinite(parsed)) return 0;
    value = parsed;
    return length;
}

} // namespace

void Cursor::skipBlanks() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

bool Cursor::expect(char c) {
    skipBlanks();
    return take(c);
}

bool Cursor::expect(std::string_view word) {
    skipBlanks();
    if (!startsWith(text_.substr(pos_), word)) return false;
    pos_ += word.size();
    return true;
}

bool Cursor::take(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
}

bool Cursor::readInt(int& value) {
    skipBlanks();
    size_t i = pos_;
    bool negative = false;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
    int base = 10;
    if (i < text_.size() && text_[i] == '0') {
        base = 8;
        if (i + 2 < text_.size() && (text_[i + 1] == 'x' || text_[i + 1] == 'X') && digitValue(text_[i + 2]) < 16) {
            base = 16;
            i += 2;
        }
    }
    // Accumulated no further than just past the int range, which then saturates.
    long long magnitude = 0;
    const size_t digitsStart = i;
    for (; i < text_.size() && digitValue(text_[i]) < base; ++i)
        if (magnitude <= INT_MAX) magnitude = magnitude * base + digitValue(text_[i]);
    if (i == digitsStart) return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    value = static_cast<int>(signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN : signedValue);
    pos_ = i;
    return true;
}

bool Cursor::readFloat(float& value, FloatSyntax syntax) {
    skipBlanks();
    const std::string_view rest = text_.substr(pos_);
    const size_t used = syntax == FloatSyntax::C ? convertC(rest, value) : convertDecimal(rest, value);
    pos_ += used;
    return used > 0;
}

int intOr(std::string_view piece, int fallback) {
    // Most pieces are short decimals: read at once. A leading 0 is octal, and longer pieces may
    // saturate, so those take the full rule.
    const size_t sign = !piece.empty() && piece[0] == '-' ? 1 : 0;
    const size_t digits = piece.size() - sign;
    if (digits >= 1 && digits <= 9 && (piece[sign] != '0' || digits == 1)) {
        int value = 0;
        for (size_t i = sign; i < piece.size() && value >= 0; ++i)
            value = isDigit(piece[i]) ? value * 10 + (piece[i] - '0') : -1;
        if (value >= 0) return sign ? -value : value;
    }
    Cursor(piece).readInt(fallback);
    return fallback;
}

float floatOr(std::string_view piece, float fallback, FloatSyntax syntax) {
    Cursor(piece).readFloat(fallback, syntax);
    return fallback;
}

int secondIntCut(std::string_view& line) { return intOr(secondToken(line, &line), 0); }
float secondFloatCut(std::string_view& line) { return floatOr(secondToken(line, &line), 0.0f); }

int clipCount(int value, size_t limit) {
    if (value < 0) return 0;
    if (static_cast<size_t>(value) > limit) return static_cast<int>(limit < INT_MAX ? limit : INT_MAX);
    return value;
}

} // namespace textscan
