// tests/texture_log.h -- the debug log without the line the texture lookup writes for every file
// it tries, for tests that compare the rest of the log.
#pragma once

#include <string>

inline std::string withoutTextureTries(const std::string& log) {
    std::string kept;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        if (log.compare(start, 13, "texture file ") != 0) kept.append(log, start, end - start);
        start = end;
    }
    return kept;
}
