// base/text_scan.cpp -- line splitting and "%i"/"%f" conversions over text held in memory.
#include "base/text_scan.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cctype>
#include <cstring>

namespace textscan {

namespace {
constexpr size_t kLineLimit = 4095; // a 4096-byte buffer holds 4095 characters and the terminator
}

bool LineReader::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t avail = text_.size() - pos_;
    size_t take = avail < kLineLimit ? avail : kLineLimit;
    const char* start = text_.data() + pos_;
    const void* nl = memchr(start, '\n', take);
    size_t len = nl ? static_cast<size_t>(static_cast<const char*>(nl) - start) + 1 : take;
    pos_ += len;
    const void* nul = memchr(start, '\0', len);
    if (nul) len = static_cast<size_t>(static_cast<const char*>(nul) - start);
    line = std::string_view(start, len);
    return true;
}

bool isComment(std::string_view line) {
    for (char c : line) {
        if (isBlank(c)) continue;
        return c == '#';
    }
    return false;
}

namespace {
template <typename Sep>
std::string_view piece(std::string_view line, int n, Sep isSep, size_t* restStart) {
    size_t i = 0;
    for (int k = 0;; ++k) {
        while (i < line.size() && isSep(line[i])) ++i;
        if (i >= line.size()) {
            if (restStart) *restStart = line.size();
            return {};
        }
        size_t begin = i;
        while (i < line.size() && !isSep(line[i])) ++i;
        if (k == n) {
            if (restStart) *restStart = i;
            return line.substr(begin, i - begin);
        }
    }
}
} // namespace

std::string_view token(std::string_view line, int n, size_t* restStart) {
    return piece(line, n, isBlank, restStart);
}

std::string_view secondName(std::string_view line) { return piece(line, 1, isNameSeparator, nullptr); }

void Cursor::skipBlanks() {
    while (pos_ < text_.size() && (isBlank(text_[pos_]) || text_[pos_] == '\v' || text_[pos_] == '\f')) ++pos_;
}

bool Cursor::expect(char c) {
    skipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

bool Cursor::readInt(int& value) {
    skipBlanks();
    size_t i = pos_;
    bool negative = false;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
    int base = 10;
    if (i < text_.size() && text_[i] == '0') {
        base = 8;
        if (i + 2 < text_.size() && (text_[i + 1] == 'x' || text_[i + 1] == 'X') &&
            isxdigit(static_cast<unsigned char>(text_[i + 2]))) {
            base = 16;
            i += 2;
        }
    }
    long long magnitude = 0;
    size_t digitsStart = i;
    for (; i < text_.size(); ++i) {
        char c = text_[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else break;
        if (d >= base) break;
        if (magnitude <= (1LL << 40)) magnitude = magnitude * base + d;
    }
    if (i == digitsStart) return false;
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX) signedValue = INT_MAX;
    if (signedValue < INT_MIN) signedValue = INT_MIN;
    value = static_cast<int>(signedValue);
    pos_ = i;
    return true;
}

bool Cursor::readFloat(float& value) {
    skipBlanks();
    if (pos_ >= text_.size()) return false;
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    const char* digits = first;
    if (*digits == '+' && digits + 1 < last && *(digits + 1) != '-' && *(digits + 1) != '+') ++digits;
    bool hex = last - digits >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    hex = hex || (last - digits >= 3 && digits[0] == '-' && digits[1] == '0' && (digits[2] == 'x' || digits[2] == 'X'));
    if (!hex) {
        auto result = std::from_chars(digits, last, value, std::chars_format::general);
        if (result.ec == std::errc() && result.ptr != digits) {
            pos_ += static_cast<size_t>(result.ptr - first);
            return true;
        }
        if (result.ec != std::errc::result_out_of_range) return false;
    }
    // Hexadecimal and out-of-range values: strtof decides, on a terminated copy.
    char buf[128];
    size_t n = static_cast<size_t>(last - first);
    if (n > sizeof buf - 1) n = sizeof buf - 1;
    memcpy(buf, first, n);
    buf[n] = '\0';
    char* end = nullptr;
    int savedErrno = errno;
    float parsed = strtof(buf, &end);
    errno = savedErrno;
    if (end == buf) return false;
    value = parsed;
    pos_ += static_cast<size_t>(end - buf);
    return true;
}

} // namespace textscan
