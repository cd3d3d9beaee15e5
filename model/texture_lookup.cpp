// model/texture_lookup.cpp -- finding a material's textures on disk and building its normal map
// on the CPU; the renderer uploads the images into the texture names later. No GL.
#include "model/texture_lookup.h"

#include <string>

#include "base/basepath.h"
#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/file_open.h"
#include "model/model.h"
#include "model/normal_map.h"
#include "model/texture_candidates.h"
#include "model/tga_reader.h"

namespace {

const char* const kPromptCaption = "Texture not found";
const char* const kPromptText =
    "A texture could not be found. Do you want to browse for textures that could not be found?";

// Tries the group's candidates in order; the first file that decodes fills `image`.
bool loadFirstCandidate(const std::string& baseName, TextureGroup group, TgaImage& image) {
    for (const std::string& name : textureCandidates(baseName, group)) {
        TgaImage candidate;
        if (readTga(name, candidate)) {
            image = std::move(candidate);
            return true;
        }
    }
    return false;
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
    problem.message += " and the same with _d, _df, _s, _sp, _local, _h, _b, _bmp or _add";
    return problem;
}

bool anyTexture(const Model& model, size_t m) {
    return model.hasDiffuse[m] || model.hasSpecular[m] || model.hasHeight[m] || model.hasLocal[m];
}

} // namespace

void findTextures(Model& model, const std::string& name, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes()) return;
    const size_t m = static_cast<size_t>(mesh);
    model.lookupTextures(name.c_str(), mesh);
    if (anyTexture(model, m)) return;
    model.lookupTextures(rewriteToBasepath(name).c_str(), mesh);
    if (anyTexture(model, m)) return;
    // A model carried about with its textures beside it: the name's file part in the model's folder.
    if (!model.meshFolder.empty()) {
        const std::string besideModel = model.meshFolder + name.substr(folderOf(name).size());
        model.lookupTextures(besideModel.c_str(), mesh);
        if (anyTexture(model, m)) return;
    }
    logText("couldn't find texture ");
    logText(name);
    logText("\n");
    addProblem(model.problems, textureNotFound(name, mesh));
    model.promptMissingTexture(name.c_str(), mesh);
}

TexturePromptState& texturePromptState() {
    static TexturePromptState state;
    return state;
}

void Model::lookupTextures(const char* name, int mesh) {
    if (!name || mesh < 0 || mesh >= numMeshes()) return;
    size_t m = size_t(mesh);
    // Each run starts from nothing, so a retry under another name never mixes old and new.
    hasDiffuse[m] = hasSpecular[m] = hasLocal[m] = hasHeight[m] = 0;
    freeTgaImage(diffuseImage[m]);
    freeTgaImage(specularImage[m]);
    normalImage[m].clear();

    std::string baseName = textureBaseName(name);
    hasDiffuse[m] = loadFirstCandidate(baseName, TextureGroup::Diffuse, diffuseImage[m]);
    hasSpecular[m] = loadFirstCandidate(baseName, TextureGroup::Specular, specularImage[m]);

    TgaImage local, height;
    hasLocal[m] = loadFirstCandidate(baseName, TextureGroup::Local, local);
    hasHeight[m] = loadFirstCandidate(baseName, TextureGroup::Height, height);
    if (!hasLocal[m] && !hasHeight[m]) return;

    NormalMapSources sources;
    sources.height = hasHeight[m] ? &height : nullptr;
    sources.local = hasLocal[m] ? &local : nullptr;
    sources.diffuse = hasDiffuse[m] ? &diffuseImage[m] : nullptr;
    TgaImage level0 = buildNormalMap(sources);
    if (level0.pixels.empty()) {
        // Only a tangent-space map without three colour bytes: nothing usable was found.
        hasLocal[m] = 0;
        return;
    }
    normalImage[m] = buildNormalMipChain(std::move(level0));
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
    const std::vector<FileFilter> filters = {{"Textures (*.TGA)", "*.tga"}, {"*.*", "*.*"}};
    std::string chosen = dialogs().chooseOpenFile(title, basepath() + title, filters);
    if (!chosen.empty()) lookupTextures(chosen.c_str(), mesh);
}
