// tests/layers_test.cpp -- the folders are layers: every project include of a source file
// names its own folder or one below it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// Each folder with the folders its files may include (its own included). ui/logic, the panel
// without a window, is a layer of its own inside ui/.
const std::map<std::string, std::set<std::string>>& allowedIncludes() {
    static const std::map<std::string, std::set<std::string>> table = {
        {"base", {"base"}},
        {"model", {"base", "model"}},
        {"anim", {"base", "model", "anim"}},
        {"shadow", {"base", "model", "shadow"}},
        {"load", {"base", "model", "anim", "shadow", "load"}},
        {"scene", {"base", "model", "anim", "shadow", "load", "scene"}},
        {"render", {"base", "model", "anim", "shadow", "load", "scene", "render"}},
        {"ui/logic", {"base", "model", "anim", "shadow", "load", "scene", "ui/logic"}},
        {"platform", {"base", "platform"}},
        {"ui", {"base", "model", "anim", "shadow", "load", "scene", "render", "platform", "ui/logic", "ui"}},
        {"app", {"base", "model", "anim", "shadow", "load", "scene", "render", "platform", "ui/logic", "ui", "app"}},
    };
    return table;
}

// The layer a project header belongs to ("ui/logic/x.h" -> "ui/logic"), or "" for others.
std::string layerOf(const std::string& header) {
    if (header.rfind("ui/logic/", 0) == 0) return "ui/logic";
    const std::string folder = header.substr(0, header.find('/'));
    return folder.size() < header.size() && allowedIncludes().count(folder) ? folder : "";
}

// The header named by an #include line, or "" for any other line.
std::string includedHeader(const std::string& line) {
    const size_t hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line[hash] != '#') return "";
    const size_t word = line.find_first_not_of(" \t", hash + 1), open = line.find_first_of("<\"", word);
    if (word == std::string::npos || line.compare(word, 7, "include") != 0 || open == std::string::npos) return "";
    const size_t close = line.find_first_of(">\"", open + 1);
    return close == std::string::npos ? "" : line.substr(open + 1, close - open - 1);
}

} // namespace

TEST(Layers, EveryIncludeRunsDownwards) {
    const fs::path root = OSTRELLE_SOURCE_DIR;
    int filesSeen = 0;
    for (const auto& [folder, allowed] : allowedIncludes()) {
        if (!fs::exists(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            // A layer nested in a folder is checked under its own entry.
            const std::string rel = fs::relative(entry.path(), root).generic_string();
            if (layerOf(rel) != folder) continue;
            ++filesSeen;
            std::ifstream in(entry.path());
            std::string line;
            for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
                const std::string header = includedHeader(line);
                if (header.empty()) continue;
                const std::string where = rel + ":" + std::to_string(lineNumber);
                if (header.rfind("GL/", 0) == 0 || header.find("SDL_opengl") != std::string::npos) {
                    EXPECT_TRUE(folder == "render" || folder == "platform")
                        << where << " includes the GL header " << header << " outside render/ and platform/";
                    EXPECT_NE(rel.rfind("render/logic/", 0), 0u) << where << ": render/logic stays GL-free";
                    continue;
                }
                const std::string target = layerOf(header);
                if (target.empty()) continue; // a system or library header
                EXPECT_TRUE(allowed.count(target)) << where << " (" << folder << "/) includes " << header;
            }
        }
    }
    EXPECT_GT(filesSeen, 50);
}
