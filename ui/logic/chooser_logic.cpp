// ui/logic/chooser_logic.cpp -- folder listing, filters, typed paths and colour bytes for the
// choosers; no GL.
#include "ui/logic/chooser_logic.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace ui {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool globMatch(const char* n, const char* p) {
    // Iterative '*' matching with one backtrack point: linear in practice, never recursive.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n) {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p && (*p == '?' || lower(*p) == lower(*n))) {
            ++p, ++n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

bool lessIgnoringCase(const FolderEntry& a, const FolderEntry& b) {
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec) && !fs::is_directory(p, ec);
}

std::string workingFolder() {
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    return ec ? std::string(".") : here.string();
}

unsigned char toByte(float value) {
    if (!(value > 0.0f)) return 0; // NaN and negatives
    if (value >= 1.0f) return 255;
    return static_cast<unsigned char>(std::trunc(255.0f * value));
}

} // namespace

bool matchesPattern(const std::string& name, const std::string& pattern) {
    return globMatch(name.c_str(), pattern.c_str());
}

bool matchesPatterns(const std::string& name, const std::string& patterns) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        const std::string one = patterns.substr(start, end - start);
        if (!one.empty() && matchesPattern(name, one)) return true;
        start = end + 1;
    }
    return false;
}

std::vector<FolderEntry> listFolder(const std::string& folder, const std::string& patterns) {
    std::vector<FolderEntry> folders, files;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) return {};
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_directory(typeError)) folders.push_back({name, true});
        else if (matchesPatterns(name, patterns)) files.push_back({name, false});
    }
    std::sort(folders.begin(), folders.end(), lessIgnoringCase);
    std::sort(files.begin(), files.end(), lessIgnoringCase);
    std::vector<FolderEntry> all;
    if (parentFolder(folder) != folder) all.push_back({"..", true});
    all.insert(all.end(), folders.begin(), folders.end());
    all.insert(all.end(), files.begin(), files.end());
    return all;
}

std::string parentFolder(const std::string& folder) {
    fs::path p = fs::path(folder).lexically_normal();
    if (!p.has_relative_path()) return p.string();
    if (p.filename().empty()) p = p.parent_path(); // a trailing separator
    fs::path parent = p.parent_path();
    return parent.empty() ? p.string() : parent.string();
}

std::string startingFolder(const std::string& initialPath, std::string& fileName) {
    fileName.clear();
    if (initialPath.empty()) return workingFolder();
    fs::path p = fs::path(withSlashes(initialPath)).lexically_normal();
    if (isFolder(p)) return p.string();
    if (isFile(p)) fileName = p.filename().string();
    for (fs::path up = p.parent_path(); !up.empty(); up = up.parent_path()) {
        if (isFolder(up)) return up.string();
        if (up == up.parent_path()) break;
    }
    return workingFolder();
}

TypedPath resolveTypedPath(const std::string& folder, const std::string& typed) {
    TypedPath result;
    fs::path p(withSlashes(typed));
    if (p.is_relative()) p = fs::path(folder) / p;
    p = p.lexically_normal();
    result.path = p.string();
    if (isFolder(p)) result.kind = TypedPath::Folder;
    else if (isFile(p)) result.kind = TypedPath::File;
    return result;
}

ColourBytes colourToBytes(const float rgb[3]) { return {toByte(rgb[0]), toByte(rgb[1]), toByte(rgb[2])}; }

void bytesToColour(const ColourBytes& bytes, float rgb[3]) {
    rgb[0] = bytes.r / 255.0f;
    rgb[1] = bytes.g / 255.0f;
    rgb[2] = bytes.b / 255.0f;
}

} // namespace ui
