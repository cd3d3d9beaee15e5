// base/file_open.cpp -- path resolution for game data written on Windows.
#include "base/file_open.h"

#include "base/large_buffers.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string_view>

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `component` ignoring case, or "" when none.
std::string matchInFolder(const std::string& dir, std::string_view component) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = readdir(d)) {
        if (strlen(e->d_name) == component.size() &&
            strncasecmp(e->d_name, component.data(), component.size()) == 0) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

} // namespace

std::string resolvePath(const std::string& name) {
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.empty() || exists(path)) return path;

    // Walk the components, keeping each exact match and otherwise asking the folder. A missing
    // texture is looked up under many names, so the walk builds one string as it goes.
    std::string built = path[0] == '/' ? "/" : "";
    built.reserve(path.size() + 1);
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string_view part(path.data() + start, slash - start);
        const bool last = slash == path.size();
        start = slash + 1;
        if (part.empty()) continue;
        const size_t folderEnd = built.size();
        built.append(part);
        if (part != "." && part != ".." && !exists(built)) {
            built.resize(folderEnd);
            std::string match = matchInFolder(built, part);
            if (match.empty()) return path;
            built.append(match);
        }
        if (!last) built += '/';
    }
    return built;
}

std::string folderOf(const std::string& name) {
    const size_t at = name.find_last_of("\\/");
    return at == std::string::npos ? std::string() : name.substr(0, at + 1);
}

FILE* openFile(const std::string& name, const char* mode) {
    return fopen(resolvePath(name).c_str(), mode);
}

bool readWholeFile(const std::string& name, std::string& out) {
    FILE* f = openFile(name, "rb");
    if (!f) return false;
    out.clear();
    int failure = 0;
    try {
        // A regular file is read in one piece into a string of its size instead of growing one
        // by doubling; the loop below still takes whatever the file holds beyond it.
        struct stat st;
        if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
            // fopen accepts a folder; reading it would give an empty file.
            failure = EISDIR;
        } else {
            if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
                out.reserve(static_cast<size_t>(st.st_size));
                adviseHugePages(out.data(), out.capacity());
                populatePages(out.data(), static_cast<size_t>(st.st_size));
                out.resize(static_cast<size_t>(st.st_size));
                out.resize(fread(&out[0], 1, out.size(), f));
            }
            char buf[65536];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
            if (ferror(f)) failure = errno ? errno : EIO;
        }
    } catch (const std::bad_alloc&) {
        // A file too large to hold is one that cannot be read, for every reader alike.
        failure = ENOMEM;
    }
    fclose(f);
    if (failure == 0) return true;
    std::string().swap(out);
    errno = failure;
    return false;
}
