// model/texture_lookup.cpp -- finding a material's textures on disk and building its normal map
// on the CPU; the renderer uploads the images into the texture names later. No GL.
#include "model/texture_lookup.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "base/basepath.h"
#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/file_open.h"
#include "model/image_reader.h"
#include "model/model.h"
#include "model/normal_map.h"
#include "model/texture_candidates.h"
#include "model/tga_reader.h"

namespace {

const char* const kPromptCaption = "Texture not found";
const char* const kPromptText =
    "A texture could not be found. Do you want to browse for textures that could not be found?";

const TextureGroup kGroups[] = {TextureGroup::Diffuse, TextureGroup::Specular, TextureGroup::Local,
                                TextureGroup::Height};

size_t slot(TextureGroup group) { return static_cast<size_t>(group); }

// What one search found: per group the image and the file it came from ("" for none).
struct FoundTextures {
    TgaImage image[kTextureGroupCount];
    std::string file[kTextureGroupCount];
    bool has(TextureGroup group) const { return !file[slot(group)].empty(); }
    bool any() const {
        return std::any_of(std::begin(kGroups), std::end(kGroups), [this](TextureGroup g) { return has(g); });
    }
};

// The scratch of one texture search: the candidate name buffer and the listing of the folder
// last looked in. A missing texture is looked for under about a hundred names, nearly all of
// them absent; a name whose folder certainly lacks it fails as opening it would fail, without a
// walk of its path or an open.
class TextureSearch {
public:
    // Fills the groups `found` lacks from the candidates of `name`; the first file that reads wins.
    void search(const std::string& name, CandidateFormats formats, FoundTextures& found);

private:
    bool tryFile(const std::string& name, CandidateFormats formats, TgaImage& image);
    bool certainlyMissing(const std::string& name);
    void listFolder();

    enum class Listing { Unknown, Listed, Missing };
    std::string candidate_;
    bool cached_ = false;
    std::string folder_; // as the candidates write it, '\\' and letter case included
    Listing listing_ = Listing::Unknown;
    std::string entries_; // the folder's entries in lower case, each between two '/'
    std::string needle_;
};

void TextureSearch::search(const std::string& name, CandidateFormats formats, FoundTextures& found) {
    const std::string base = candidateBaseName(name, formats);
    // The visitor holds two pointers, which std::function keeps without allocating.
    struct Wanted {
        FoundTextures& found;
        TextureGroup group;
        CandidateFormats formats;
    };
    for (TextureGroup group : kGroups) {
        if (found.has(group)) continue;
        const Wanted wanted{found, group, formats};
        visitTextureCandidates(base, group, formats, candidate_, [this, &wanted](const std::string& file) {
            TgaImage image;
            if (!tryFile(file, wanted.formats, image)) return false;
            wanted.found.image[slot(wanted.group)] = std::move(image);
            wanted.found.file[slot(wanted.group)] = file;
            return true;
        });
    }
}

// One file tried, with one log line saying what came of it. A TGA candidate is read by its
// content when it is named .tga (a PNG saved under that name still loads), and strictly as a
// TGA otherwise, so that a material named "x.png" still leads to "x_d.tga" first.
bool TextureSearch::tryFile(const std::string& name, CandidateFormats formats, TgaImage& image) {
    const bool strictTga = formats == CandidateFormats::Tga && !endsInTga(name);
    if (certainlyMissing(name)) {
        if (strictTga)
            logFormat("texture file %s: not read as a TGA\n", name.c_str());
        else
            logFormat("texture file %s: not readable (%s)\n", name.c_str(), strerror(ENOENT));
        return false;
    }
    std::string why;
    bool read;
    if (strictTga) {
        read = readTga(name, image) == 1;
        if (!read) why = "not read as a TGA";
    } else {
        read = readImage(name, image, &why) == 1;
    }
    logFormat("texture file %s: %s\n", name.c_str(), read ? "read" : why.c_str());
    return read;
}

// True only where opening `name` would certainly fail with ENOENT: its folder was listed and no
// entry matches its file part in any letter case (as path resolution matches), or its folder does
// not exist. Anything else (an unreadable folder, a name too long for one entry) is tried.
bool TextureSearch::certainlyMissing(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t fileLength = name.size() - fileStart;
    if (fileLength == 0 || fileLength > NAME_MAX || name.size() >= PATH_MAX) return false;
    if (name.compare(fileStart, fileLength, ".") == 0 || name.compare(fileStart, fileLength, "..") == 0) return false;
    if (!cached_ || name.compare(0, fileStart, folder_) != 0) {
        folder_.assign(name, 0, fileStart);
        listFolder();
    }
    if (listing_ != Listing::Listed) return listing_ == Listing::Missing;
    needle_.assign(1, '/');
    for (size_t i = fileStart; i < name.size(); ++i)
        needle_ += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    needle_ += '/';
    return entries_.find(needle_) == std::string::npos;
}

// The folder is resolved as a path to a file in it is, so the listing is of the folder that
// opening the file would look in.
void TextureSearch::listFolder() {
    cached_ = true;
    const std::string path = resolvePath(folder_);
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (!dir) {
        listing_ = errno == ENOENT ? Listing::Missing : Listing::Unknown;
        return;
    }
    entries_.assign(1, '/');
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) break;
        for (const char* c = entry->d_name; *c; ++c)
            entries_ += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        entries_ += '/';
    }
    // A listing cut short by an error proves nothing missing.
    listing_ = errno == 0 ? Listing::Listed : Listing::Unknown;
    closedir(dir);
}

// Builds the mesh's normal map from its sources; a tangent-space map that gives none (no three
// colour bytes) is dropped. False when it was dropped.
bool buildMeshNormalMap(Model& model, size_t m, const TgaImage* local, const TgaImage* height) {
    model.normalImage[m].clear();
    if (!local && !height) return true;
    NormalMapSources sources;
    sources.height = height;
    sources.local = local;
    sources.diffuse = model.hasDiffuse[m] ? &model.diffuseImage[m] : nullptr;
    TgaImage level0 = buildNormalMap(sources);
    if (level0.pixels.empty()) {
        model.hasLocal[m] = 0;
        model.textureFile[m][slot(TextureGroup::Local)].clear();
        return false;
    }
    model.normalImage[m] = buildNormalMipChain(std::move(level0));
    return true;
}

// Each run starts from nothing, so a retry under another name never mixes old and new.
void clearMeshTextures(Model& model, size_t m) {
    model.hasDiffuse[m] = model.hasSpecular[m] = model.hasLocal[m] = model.hasHeight[m] = 0;
    freeTgaImage(model.diffuseImage[m]);
    freeTgaImage(model.specularImage[m]);
    model.normalImage[m].clear();
    for (std::string& file : model.textureFile[m]) file.clear();
}

void applyFound(Model& model, size_t m, FoundTextures& found) {
    clearMeshTextures(model, m);
    for (TextureGroup group : kGroups) model.textureFile[m][slot(group)] = found.file[slot(group)];
    model.hasDiffuse[m] = found.has(TextureGroup::Diffuse);
    model.hasSpecular[m] = found.has(TextureGroup::Specular);
    model.hasLocal[m] = found.has(TextureGroup::Local);
    model.hasHeight[m] = found.has(TextureGroup::Height);
    model.diffuseImage[m] = std::move(found.image[slot(TextureGroup::Diffuse)]);
    model.specularImage[m] = std::move(found.image[slot(TextureGroup::Specular)]);
    const TgaImage* local = model.hasLocal[m] ? &found.image[slot(TextureGroup::Local)] : nullptr;
    const TgaImage* height = model.hasHeight[m] ? &found.image[slot(TextureGroup::Height)] : nullptr;
    buildMeshNormalMap(model, m, local, height);
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(resolvePath(path), error);
}

// A name written on another machine: absolute, with a drive letter, or in folders that exist
// neither here nor under the base path.
bool isForeignName(const std::string& name) {
    if (name.empty()) return false;
    if (name[0] == '/' || name[0] == '\\') return true;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') return true;
    const std::string folder = folderOf(name);
    return !folder.empty() && !isFolder(folder) && !isFolder(rewriteToBasepath(folder)) &&
           !isFolder(basepath() + folder);
}

// The names findTextures searches under, in order, each once.
std::vector<std::string> searchPlaces(const Model& model, const std::string& name) {
    std::vector<std::string> places = {name, rewriteToBasepath(name)};
    // A model carried about with its textures beside it: the name's file part in the model's folder.
    if (!model.meshFolder.empty()) places.push_back(model.meshFolder + name.substr(folderOf(name).size()));
    if (!basepath().empty() && isForeignName(name)) places.push_back(basepath() + std::string(lastPathComponent(name)));
    std::vector<std::string> unique;
    for (std::string& place : places)
        if (std::find(unique.begin(), unique.end(), place) == unique.end()) unique.push_back(std::move(place));
    return unique;
}

// The loader fills in the model file; the message names the two base names tried, from which
// every suffix of every group was derived.
LoadProblem textureNotFound(const std::string& name, int mesh) {
    LoadProblem problem;
    problem.kind = ProblemKind::TextureNotFound;
    problem.mesh = mesh;
    problem.message = "mesh " + std::to_string(mesh) + ": ";
    if (name.empty()) {
        problem.message += "no material named, so no texture";
        return problem;
    }
    const std::string given = textureBaseName(name);
    const std::string rewritten = textureBaseName(rewriteToBasepath(name));
    problem.message += "no texture found for \"" + name + "\"; tried " + given;
    if (rewritten != given) problem.message += " and " + rewritten;
    problem.message += " and the same with _d, _df, _s, _sp, _local, _h, _b, _bmp or _add, each also as .png, .jpg or .jpeg";
    return problem;
}

// Re-reads a normal-map source from the file it came from; null when that no longer reads.
const TgaImage* reread(const std::string& file, TgaImage& image) {
    return !file.empty() && readImage(file, image) ? &image : nullptr;
}

} // namespace

void findTextures(Model& model, const std::string& name, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes()) return;
    const size_t m = static_cast<size_t>(mesh);
    const std::vector<std::string> places = searchPlaces(model, name);
    TextureSearch scratch;
    // Every place is searched for TGA files before any for other formats, so whatever the TGA
    // rules find is found as before; the place that found it also fills its other groups.
    for (const std::string& place : places) {
        FoundTextures found;
        scratch.search(place, CandidateFormats::Tga, found);
        if (!found.any()) continue;
        scratch.search(place, CandidateFormats::Others, found);
        applyFound(model, m, found);
        return;
    }
    for (const std::string& place : places) {
        FoundTextures found;
        scratch.search(place, CandidateFormats::Others, found);
        if (!found.any()) continue;
        applyFound(model, m, found);
        return;
    }
    FoundTextures none;
    applyFound(model, m, none);
    logText("couldn't find texture ");
    logText(name);
    logText("\n");
    addProblem(model.problems, textureNotFound(name, mesh));
    model.promptMissingTexture(name.c_str(), mesh);
}

bool setMeshTexture(Model& model, int mesh, TextureGroup group, const std::string& file, std::string& why) {
    if (mesh < 0 || mesh >= model.numMeshes()) {
        why = "the model has no mesh " + std::to_string(mesh);
        return false;
    }
    const size_t m = static_cast<size_t>(mesh);
    TgaImage image;
    const bool read = readImage(file, image, &why) == 1;
    logFormat("texture file %s: %s\n", file.c_str(), read ? "read" : why.c_str());
    if (!read) return false;
    if (group == TextureGroup::Local && image.bitsPerPixel != 24 && image.bitsPerPixel != 32) {
        why = "a normal map needs RGB colour; this image has " + std::to_string(image.bitsPerPixel) + " bits a pixel";
        return false;
    }
    model.textureFile[m][slot(group)] = file;
    TgaImage local, height;
    const TgaImage* localSource = nullptr;
    const TgaImage* heightSource = nullptr;
    switch (group) {
    case TextureGroup::Diffuse:
        model.diffuseImage[m] = std::move(image);
        model.hasDiffuse[m] = 1;
        break;
    case TextureGroup::Specular:
        model.specularImage[m] = std::move(image);
        model.hasSpecular[m] = 1;
        return true; // the normal map does not depend on it
    case TextureGroup::Local:
        local = std::move(image);
        localSource = &local;
        model.hasLocal[m] = 1;
        break;
    case TextureGroup::Height:
        height = std::move(image);
        heightSource = &height;
        model.hasHeight[m] = 1;
        break;
    }
    // The kept diffuse image lends the normal map its alpha, so it too rebuilds the map.
    if (!localSource && model.hasLocal[m]) localSource = reread(model.textureFile[m][slot(TextureGroup::Local)], local);
    if (!heightSource && model.hasHeight[m])
        heightSource = reread(model.textureFile[m][slot(TextureGroup::Height)], height);
    buildMeshNormalMap(model, m, localSource, heightSource);
    return true;
}

TexturePromptState& texturePromptState() {
    static TexturePromptState state;
    return state;
}

void Model::lookupTextures(const char* name, int mesh) {
    if (!name || mesh < 0 || mesh >= numMeshes()) return;
    FoundTextures found;
    TextureSearch scratch;
    scratch.search(name, CandidateFormats::Tga, found);
    scratch.search(name, CandidateFormats::Others, found);
    applyFound(*this, size_t(mesh), found);
}

void Model::promptMissingTexture(const char* name, int mesh) {
    TexturePromptState& state = texturePromptState();
    if (!state.askedForTextures) {
        DialogAnswer answer = dialogs().askAbout(kPromptCaption, kPromptText, std::string("texture \"") + (name ? name : "") + "\"");
        if (answer == DialogAnswer::Yes) state.browseForTextures = true;
        state.askedForTextures = true;
    }
    if (!state.browseForTextures) return;

    std::string title = name ? name : "";
    // The chooser starts where the material would lie under the data folder.
    const std::vector<FileFilter> filters = {{"Textures (*.TGA, *.PNG, *.JPG)", "*.tga;*.png;*.jpg;*.jpeg"},
                                             {"*.*", "*.*"}};
    std::string chosen = dialogs().chooseOpenFile(title, basepath() + title, filters);
    if (!chosen.empty()) lookupTextures(chosen.c_str(), mesh);
}
