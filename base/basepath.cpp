// base/basepath.cpp -- the base-path rewrite used when a file cannot be opened by its own name.
#include "base/basepath.h"

namespace {
std::string& storedBasepath() {
    static std::string path;
    return path;
}
} // namespace

const std::string& basepath() { return storedBasepath(); }

void setBasepath(const std::string& path) { storedBasepath() = path; }

std::string rewriteToBasepath(const std::string& name) {
    size_t at = name.find("base");
    if (at == std::string::npos) at = name.find("BASE");
    std::string tail = name;
    if (at != std::string::npos) {
        size_t after = at + 4;
        if (after < name.size() && (name[after] == '\\' || name[after] == '/')) tail = name.substr(after + 1);
    }
    return basepath() + tail;
}
