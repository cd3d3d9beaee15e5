// ui/logic/load_commands.cpp -- the panel's load commands on the scene; texture objects through
// the uploader the renderer provides; no GL.
#include "ui/logic/load_commands.h"

#include <cctype>

#include "base/debug_log.h"
#include "base/load_problem.h"
#include "model/model.h"
#include "model/texture_candidates.h"
#include "model/texture_lookup.h"
#include "scene/scene.h"

namespace ui {

namespace {

std::string lowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

FileKind fileKindOf(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "md5mesh" || ext == "obj" || ext == "ase" || ext == "lwo") return FileKind::Model;
    if (ext == "md5anim") return FileKind::Animation;
    if (ext == "tga" || ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp") return FileKind::Image;
    return FileKind::Other;
}

const std::vector<FileFilter>& LoadCommands::filters(Command command) {
    static const std::vector<FileFilter> models = {
        {"Models (*.MD5mesh, *.OBJ, *.ASE, *.LWO)", "*.MD5mesh;*.obj;*.ase;*.lwo"}, {"*.*", "*.*"}};
    static const std::vector<FileFilter> animations = {{"Animations (*.MD5anim)", "*.MD5anim"}, {"*.*", "*.*"}};
    static const std::vector<FileFilter> textures = {
        {"Textures (*.tga, *.png, *.jpg)", "*.tga;*.png;*.jpg;*.jpeg;*.bmp"}, {"*.*", "*.*"}};
    switch (command) {
    case Mesh: return models;
    case Texture: return textures;
    default: return animations;
    }
}

const std::string& LoadCommands::lastFile(Command command) {
    if (!used_[command]) {
        lastFile_[command] = scene_.basepath;
        used_[command] = true;
    }
    return lastFile_[command];
}

std::string LoadCommands::choose(Command command, const char* title) {
    std::string chosen = dialogs().chooseOpenFile(title, lastFile(command), filters(command));
    if (!chosen.empty()) lastFile_[command] = chosen;
    return chosen;
}

Model* LoadCommands::modelInFocus() {
    const int slot = scene_.model_in_focus;
    if (slot < 0 || slot >= scene_.nummodels || slot >= static_cast<int>(scene_.models.size())) return nullptr;
    return scene_.models[static_cast<size_t>(slot)].get();
}

bool LoadCommands::loadMeshIntoFocus() {
    if (!modelInFocus()) return false;
    const std::string path = choose(Mesh, "Load Mesh");
    return !path.empty() && loadMeshFile(path);
}

bool LoadCommands::loadAnimForFocus() {
    if (!modelInFocus()) return false;
    const std::string path = choose(Anim, "Load Animation");
    return !path.empty() && loadAnimFile(path);
}

bool LoadCommands::loadTextureForFocus() {
    if (!modelInFocus()) return false;
    const std::string path = choose(Texture, "Load Texture");
    return !path.empty() && loadTextureFile(path);
}

bool LoadCommands::loadMeshTextureForFocus(int mesh, TextureGroup kind) {
    Model* model = modelInFocus();
    if (!model || mesh < 0 || mesh >= model->numMeshes()) return false;
    const std::string title = std::string("Load ") + textureKindName(kind) + " texture of mesh " + std::to_string(mesh);
    const std::string path = choose(Texture, title.c_str());
    return !path.empty() && loadMeshTextureFile(mesh, kind, path);
}

bool LoadCommands::loadCameraAnimation() {
    const std::string path = choose(CameraAnim, "Load Camera Animation");
    return !path.empty() && loadCameraAnimFile(path);
}

// The slot keeps its place; the old model's textures go with release. The slot's animation
// name is dropped with the animation itself, so the slot names only what it holds.
bool LoadCommands::loadMeshFile(const std::string& path) {
    Model* model = modelInFocus();
    if (!model) return false;
    const size_t slot = static_cast<size_t>(scene_.model_in_focus);
    model->release();
    forgetMeshTextures(scene_, scene_.model_in_focus); // they were set on the meshes of the old file
    model->readmeshfromfile(path.c_str(), nullptr);
    printProblems(model->problems); // as for the models of the scene file
    scene_.modelname[slot] = path;
    scene_.modelanim[slot].reset();
    updateModelPlacement(scene_, scene_.model_in_focus);
    if (uploader_) uploader_->uploadModel(*model);
    return true;
}

bool LoadCommands::loadAnimFile(const std::string& path) {
    Model* model = modelInFocus();
    if (!model) return false;
    model->freeAnimations();
    const size_t known = model->problems.size();
    model->loadAnimation(path.c_str());
    printProblems(model->problems, known);
    scene_.modelanim[static_cast<size_t>(scene_.model_in_focus)] = path;
    return true;
}

bool LoadCommands::loadTextureFile(const std::string& path) {
    Model* model = modelInFocus();
    if (!model || model->numMeshes() == 0) return false;
    model->lookupTextures(path.c_str(), 0);
    if (uploader_) uploader_->uploadMesh(*model, 0);
    // What the chosen file led to replaces what mesh 0 kept, kind by kind, as if each had been
    // set by hand.
    forgetMeshTextures(scene_, scene_.model_in_focus, 0);
    for (int g = 0; g < kTextureGroupCount; ++g) {
        const std::string& file = model->textureFile[0][static_cast<size_t>(g)];
        if (!file.empty()) rememberMeshTexture(scene_, {scene_.model_in_focus, 0, static_cast<TextureGroup>(g), file});
    }
    return true;
}

bool LoadCommands::loadMeshTextureFile(int mesh, TextureGroup kind, const std::string& path) {
    Model* model = modelInFocus();
    if (!model) return false;
    std::string why;
    if (!setMeshTexture(*model, mesh, kind, path, why)) {
        LoadProblem problem;
        problem.kind = ProblemKind::TextureNotFound;
        problem.file = path;
        problem.mesh = mesh;
        problem.message = std::string(textureKindName(kind)) + " texture of mesh " + std::to_string(mesh) +
                          " not set: " + why;
        logText(path + ": " + problem.message + "\n");
        const size_t known = model->problems.size();
        addProblem(model->problems, std::move(problem));
        printProblems(model->problems, known);
        return false;
    }
    if (uploader_) uploader_->uploadMesh(*model, mesh);
    rememberMeshTexture(scene_, {scene_.model_in_focus, mesh, kind, path});
    return true;
}

// The camera joint keeps the index found at start-up.
bool LoadCommands::loadCameraAnimFile(const std::string& path) {
    scene_.cameraModel.release();
    scene_.cameraModel.loadCameraAnimation(path.c_str());
    scene_.camanim = path;
    scene_.camAnimLoaded = true;
    return true;
}

std::vector<std::string> LoadCommands::dropFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> used;
    const std::string* mesh = nullptr;
    const std::string* anim = nullptr;
    std::vector<const std::string*> images;
    for (const std::string& path : paths) {
        const FileKind kind = fileKindOf(path);
        if (kind == FileKind::Model && !mesh) mesh = &path;
        else if (kind == FileKind::Animation && !anim) anim = &path;
        else if (kind == FileKind::Image) images.push_back(&path);
        else {
            logText("dropped file not loaded: ");
            logText(path);
            logText("\n");
        }
    }
    if (mesh) {
        if (scene_.nummodels == 0) addModelSlot(scene_);
        if (loadMeshFile(*mesh)) {
            lastFile_[Mesh] = *mesh;
            used_[Mesh] = true;
            used.push_back(*mesh);
        }
    }
    if (anim && loadAnimFile(*anim)) {
        lastFile_[Anim] = *anim;
        used_[Anim] = true;
        used.push_back(*anim);
    }
    for (const std::string* image : images) {
        if (!modelInFocus()) logText("dropped image not loaded, no model in focus: " + *image + "\n");
        if (!loadMeshTextureFile(scene_.selectedMesh, textureGroupOfFile(*image), *image)) continue;
        lastFile_[Texture] = *image;
        used_[Texture] = true;
        used.push_back(*image);
    }
    return used;
}

} // namespace ui
