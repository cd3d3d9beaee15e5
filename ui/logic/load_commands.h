// ui/logic/load_commands.h -- the load commands of the panel and the keys F3, F4 and F8, and
// files dropped onto the window: each asks the chooser for a file, starting from the last one
// it loaded, and loads it into the scene; no GL.
#pragma once

#include <string>
#include <vector>

#include "base/dialogs.h"
#include "model/texture_group.h"

class Model;
struct Scene;

namespace ui {

// Makes a model's CPU images into textures after a load, releasing the names they replace.
// The renderer provides it; GL-free programs and tests may leave it out.
class TextureUploader {
public:
    virtual ~TextureUploader() = default;
    virtual void uploadModel(Model& model) = 0;
    virtual void uploadMesh(Model& model, int mesh) = 0;
};

// What a file is, by its name's extension (any case).
enum class FileKind { Model, Animation, Image, Other };
FileKind fileKindOf(const std::string& path);

class LoadCommands {
public:
    enum Command { Mesh, Anim, Texture, CameraAnim, CommandCount };

    LoadCommands(Scene& scene, TextureUploader* uploader) : scene_(scene), uploader_(uploader) {}

    // Each asks for a file; a cancel changes nothing. The model commands act only when the
    // slot in focus holds a model. True when something was loaded.
    bool loadMeshIntoFocus();
    bool loadAnimForFocus();
    bool loadTextureForFocus();
    bool loadCameraAnimation();
    // One kind of texture onto one mesh of the model in focus, kept in the scene.
    bool loadMeshTextureForFocus(int mesh, TextureGroup kind);

    // The same loads with the file already known (drops, and the commands after the chooser).
    bool loadMeshFile(const std::string& path);
    bool loadAnimFile(const std::string& path);
    bool loadTextureFile(const std::string& path);
    bool loadCameraAnimFile(const std::string& path);
    // False, with the reason on standard error and in the log, when the file is not a usable
    // image or the model in focus has no such mesh.
    bool loadMeshTextureFile(int mesh, TextureGroup kind, const std::string& path);

    // Files dropped onto the window: the first model file loads into the model in focus as
    // "Load Mesh..." would (making slot 0 when there is none), then the first animation file
    // as "Load Anim..." would, then every image onto the selected mesh as the kind its name
    // tells (textureGroupOfFile). Other files are ignored. Returns the files that were used.
    std::vector<std::string> dropFiles(const std::vector<std::string>& paths);

    // The chooser's list of types and the text it starts from: the last file chosen for the
    // command, at first the base path.
    static const std::vector<FileFilter>& filters(Command command);
    const std::string& lastFile(Command command);

private:
    std::string choose(Command command, const char* title);
    Model* modelInFocus();

    Scene& scene_;
    TextureUploader* uploader_;
    std::string lastFile_[CommandCount];
    bool used_[CommandCount] = {};
};

} // namespace ui
