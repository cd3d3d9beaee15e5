// model/texture_candidates.cpp -- the suffix table that turns a material name into TGA file names.
#include "model/texture_candidates.h"

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

} // namespace

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
