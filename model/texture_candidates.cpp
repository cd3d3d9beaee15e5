// model/texture_candidates.cpp -- the suffix table that turns a material name into image file
// names, and the kind of an image file by its name.
#include "model/texture_candidates.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// "Base name minus `cut` characters plus `suffix`". The cut-by-6 forms exist so that a
// chosen diffuse map "X_d.tga" leads to its siblings "X_s.tga", "X_local.tga" and so on.
struct Candidate {
    size_t cut;
    const char* suffix;
};

const Candidate kDiffuse[] = {{0, ""}, {4, "_d.tga"}, {4, "_df.tga"}};
const Candidate kSpecular[] = {{6, "_s.tga"}, {4, "_s.tga"}, {4, "_sp.tga"}};
const Candidate kLocal[] = {{6, "_local.tga"}, {4, "_local.tga"}};
const Candidate kHeight[] = {{4, "_b.tga"},   {4, "_h.tga"},   {6, "_h.tga"},  {6, "_b.tga"},
                             {6, "_bmp.tga"}, {4, "_bmp.tga"}, {4, "_add.tga"}};

const char* const kOtherExtensions[] = {".png", ".jpg", ".jpeg"};

template <size_t N>
std::vector<std::string> expand(const std::string& base, const Candidate (&table)[N]) {
    std::vector<std::string> names;
    for (const Candidate& c : table) {
        if (c.cut > base.size()) continue;
        std::string name = base.substr(0, base.size() - c.cut) + c.suffix;
        if (name.size() + 1 > kCandidateBufferSize) continue;
        names.push_back(std::move(name));
    }
    return names;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

const char* textureKindName(TextureGroup group) {
    switch (group) {
    case TextureGroup::Diffuse: return "diffuse";
    case TextureGroup::Specular: return "specular";
    case TextureGroup::Local: return "normal";
    case TextureGroup::Height: return "height";
    }
    return "diffuse";
}

std::optional<TextureGroup> textureKindNamed(std::string_view word) {
    for (TextureGroup g : {TextureGroup::Diffuse, TextureGroup::Specular, TextureGroup::Local, TextureGroup::Height})
        if (word == textureKindName(g)) return g;
    return std::nullopt;
}

std::string textureBaseName(const std::string& name) {
    if (name.size() > 3 && name[name.size() - 4] != '.') return name + ".tga";
    return name;
}

std::vector<std::string> textureCandidates(const std::string& baseName, TextureGroup group) {
    switch (group) {
    case TextureGroup::Diffuse: return expand(baseName, kDiffuse);
    case TextureGroup::Specular: return expand(baseName, kSpecular);
    case TextureGroup::Local: return expand(baseName, kLocal);
    case TextureGroup::Height: return expand(baseName, kHeight);
    }
    return {};
}

bool endsInTga(const std::string& name) { return endsWith(lower(name), ".tga"); }

std::vector<std::string> otherFormatCandidates(const std::string& name, TextureGroup group) {
    const bool jpeg = endsWith(lower(name), ".jpeg");
    const std::string base = jpeg ? name.substr(0, name.size() - 5) + ".tga" : textureBaseName(name);
    std::vector<std::string> names;
    for (const std::string& candidate : textureCandidates(base, group)) {
        if (!endsInTga(candidate)) {
            names.push_back(candidate);
            continue;
        }
        const std::string stem = candidate.substr(0, candidate.size() - 4);
        for (const char* extension : kOtherExtensions)
            if (stem.size() + strlen(extension) + 1 <= kCandidateBufferSize) names.push_back(stem + extension);
    }
    return names;
}

std::string_view lastPathComponent(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

TextureGroup textureGroupOfFile(const std::string& fileName) {
    std::string stem = lower(std::string(lastPathComponent(fileName)));
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.erase(dot);
    struct Ending {
        const char* text;
        TextureGroup group;
    };
    static const Ending kEndings[] = {{"_n", TextureGroup::Local},        {"_normal", TextureGroup::Local},
                                      {"normals", TextureGroup::Local},   {"_local", TextureGroup::Local},
                                      {"_s", TextureGroup::Specular},     {"_spec", TextureGroup::Specular},
                                      {"_h", TextureGroup::Height},       {"_height", TextureGroup::Height},
                                      {"_b", TextureGroup::Height}};
    for (const Ending& e : kEndings)
        if (endsWith(stem, e.text)) return e.group;
    return TextureGroup::Diffuse;
}
