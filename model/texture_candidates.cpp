// model/texture_candidates.cpp -- the suffix table that turns a material name into image file
// names, and the kind of an image file by its name.
#include "model/texture_candidates.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include <strings.h>

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

struct Table {
    const Candidate* begin() const { return items; }
    const Candidate* end() const { return items + count; }
    const Candidate* items;
    size_t count;
};

template <size_t N>
Table table(const Candidate (&items)[N]) {
    return {items, N};
}

Table tableOf(TextureGroup group) {
    switch (group) {
    case TextureGroup::Diffuse: return table(kDiffuse);
    case TextureGroup::Specular: return table(kSpecular);
    case TextureGroup::Local: return table(kLocal);
    case TextureGroup::Height: return table(kHeight);
    }
    return {nullptr, 0};
}

// The PNG and JPG names of the TGA candidate in `buffer`, each built over it in turn.
bool visitOtherExtensions(std::string& buffer, const CandidateVisit& visit) {
    const size_t stem = buffer.size() - 4;
    for (const char* extension : kOtherExtensions) {
        if (stem + strlen(extension) + 1 > kCandidateBufferSize) continue;
        buffer.resize(stem);
        buffer.append(extension);
        if (visit(buffer)) return true;
    }
    return false;
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

std::string candidateBaseName(const std::string& name, CandidateFormats formats) {
    if (formats == CandidateFormats::Others && endsWith(lower(name), ".jpeg"))
        return name.substr(0, name.size() - 5) + ".tga";
    return textureBaseName(name);
}

bool visitTextureCandidates(const std::string& baseName, TextureGroup group, CandidateFormats formats,
                            std::string& buffer, const CandidateVisit& visit) {
    buffer.reserve(kCandidateBufferSize);
    for (const Candidate& c : tableOf(group)) {
        if (c.cut > baseName.size()) continue;
        const size_t keep = baseName.size() - c.cut;
        if (keep + strlen(c.suffix) + 1 > kCandidateBufferSize) continue;
        buffer.assign(baseName, 0, keep);
        buffer.append(c.suffix);
        if (formats == CandidateFormats::Others && endsInTga(buffer)) {
            if (visitOtherExtensions(buffer, visit)) return true;
        } else if (visit(buffer)) {
            return true;
        }
    }
    return false;
}

bool endsInTga(const std::string& name) {
    return name.size() >= 4 && strncasecmp(name.data() + name.size() - 4, ".tga", 4) == 0;
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
