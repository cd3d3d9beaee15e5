// tools/demo/text_out.h -- number formatting and file output shared by the demo's text writers.
#pragma once

#include <cstdio>
#include <string>

namespace demo {

// A float with at most `decimals` places, trailing zeros dropped, never "-0".
inline std::string num(float v, int decimals = 4) {
    char buf[64];
    snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(v));
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

inline bool writeTextFile(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

} // namespace demo
