// tests/text_scan_test.cpp -- the one text scanner of the readers: lines, "%i" and "%f".
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <cmath>
#include <string>

#include "base/text_scan.h"

using namespace std::string_literals;
using namespace textscan;

namespace {

// Int, Float, Decimal: the value read and the position after it. Lines: the first line of a 4096-byte
// buffer (RawLine: NUL bytes kept; Line256: a 256-byte buffer); value = its length, rest = where the next starts.
enum class Scan { Int, Float, Decimal, Line, RawLine, Line256 };

struct Row {
    Scan scan;
    std::string input;
    bool ok;
    double value; // NAN: a NaN is expected
    size_t rest;
};

const std::string kLong(4095, 'x');

const Row kRows[] = {
    // "%i": decimal, 0x hexadecimal, 0 octal, signs, leading white space
    {Scan::Int, "42", true, 42, 2},
    {Scan::Int, " \t-17x", true, -17, 5},
    {Scan::Int, "0x1F", true, 31, 4},
    {Scan::Int, "010", true, 8, 3},
    {Scan::Int, "09", true, 0, 1},    // 9 is no octal digit
    // overflow saturates
    {Scan::Int, "4294967295", true, INT_MAX, 10}, // no wrap to -1
    {Scan::Int, "-99999999999999999999", true, INT_MIN, 21},
    // no number: nothing moves
    {Scan::Int, "+-1", false, 0, 0},
    {Scan::Int, "1\0" "2"s, true, 1, 1},
    // "%f"
    {Scan::Float, "1.5", true, 1.5, 3},
    {Scan::Float, " -.25e1x", true, -2.5, 7},
    {Scan::Float, "0x10", true, 16, 4},
    {Scan::Float, "-nan", true, NAN, 4},
    {Scan::Float, "1" + std::string(200, '0') + " 2", true, INFINITY, 201},
    {Scan::Float, "\0" "1"s, false, 0, 0},
    // the decimal form: no hexadecimal, infinity or NaN; out of range does not convert
    {Scan::Decimal, "0x10", true, 0, 1},
    {Scan::Decimal, "inf", false, 0, 0},
    {Scan::Decimal, "1e999", false, 0, 0},
    // lines: the line end belongs to its line; 4095 characters fill the buffer
    {Scan::Line, kLong.substr(1) + "\nx", true, 4095, 4095}, // 4094 and the line end: one line
    {Scan::Line, kLong + "\nx", true, 4095, 4095},           // the line end starts the next line
    {Scan::Line, "ab\0cd\nef"s, true, 2, 6}, // a NUL ends the text, the line still ends at '\n'
    {Scan::RawLine, "ab\0cd\nef"s, true, 6, 6},
    {Scan::Line256, std::string(300, 'v'), true, 255, 255},
};

} // namespace

TEST(TextScan, EveryConversionAndLineFollowsItsRow) {
    for (const Row& row : kRows) {
        SCOPED_TRACE("input \"" + row.input.substr(0, 40) + "\" (" + std::to_string(row.input.size()) + " bytes)");
        bool ok = false;
        double value = 0;
        size_t rest = 0;
        if (row.scan != Scan::Line && row.scan != Scan::RawLine && row.scan != Scan::Line256) {
            Cursor cursor(row.input);
            int i = 12345;
            float f = 12345;
            ok = row.scan == Scan::Int ? cursor.readInt(i)
                                       : cursor.readFloat(f, row.scan == Scan::Float ? FloatSyntax::C : FloatSyntax::Decimal);
            value = row.scan == Scan::Int ? static_cast<double>(i) : static_cast<double>(f);
            if (!ok) {
                EXPECT_EQ(value, 12345) << "a failed conversion leaves the value";
            }
            rest = cursor.position();
        } else {
            LineOptions options;
            if (row.scan == Scan::RawLine) options.nul = NulBytes::Keep;
            if (row.scan == Scan::Line256) options.bufferSize = 256;
            LineReader lines(row.input, options);
            std::string_view line;
            ok = lines.next(line);
            value = static_cast<double>(line.size());
            rest = row.input.size() - lines.bytesLeft();
        }
        EXPECT_EQ(ok, row.ok);
        if (!ok) continue;
        if (std::isnan(row.value)) {
            EXPECT_TRUE(std::isnan(value));
        } else if (row.scan == Scan::Float || row.scan == Scan::Decimal) {
            EXPECT_EQ(value, static_cast<float>(row.value));
        } else {
            EXPECT_EQ(value, row.value);
        }
        EXPECT_EQ(rest, row.rest);
    }
}

// Short decimals, the bulk of every model file, take a quicker road; it must end where "%f" and
// "%i" end, with the same value to the bit.
TEST(TextScan, ShortDecimalsConvertAsTheCLibraryDoes) {
    std::mt19937 random(11);
    const char* const ends[] = {"", " 7", ")", "e", "E3", "e-2", ".5", "x", "x1F"};
    auto digits = [&random](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
        return text;
    };
    for (int n = 0; n < 100000; ++n) {
        std::string text = (random() % 3 == 0 ? "-" : "") + digits(random() % 10);
        if (random() % 4) text += "." + digits(random() % 13);
        text += ends[random() % 9];
        SCOPED_TRACE(text);
        char* end = nullptr;
        const float expected = strtof(text.c_str(), &end);
        Cursor cursor(text);
        float value = 12345;
        EXPECT_EQ(cursor.readFloat(value), end != text.c_str());
        if (end == text.c_str()) continue;
        EXPECT_EQ(cursor.position(), static_cast<size_t>(end - text.c_str()));
        EXPECT_EQ(std::signbit(value), std::signbit(expected));
        EXPECT_EQ(value, expected);
        const long whole = strtol(text.c_str(), &end, 0);
        if (*end == '\0' && whole >= INT_MIN && whole <= INT_MAX) {
            EXPECT_EQ(intOr(text, 12345), static_cast<int>(whole));
        }
    }
}
