// model/texture_lookup.h -- a material's textures with the base-path retry, textures set on a
// mesh by hand, and the process-wide answer to "browse for missing textures?".
#pragma once

#include <string>

#include "model/texture_group.h"

class Model;

// The textures of material `name` for one mesh, as every reader looks them up: under the name,
// then under its base-path rewrite, then under its file part in the folder of the model's file,
// and, for a name from another machine (an absolute path, a drive letter or folders that do not
// exist here), under its file part in the base path. Every place is first searched for TGA files
// alone, as the suffix rules name them; only when none holds any does the search repeat with
// PNG and JPG. When none finds any texture, the line "couldn't find texture NAME" and the
// missing-texture prompt.
void findTextures(Model& model, const std::string& name, int mesh);

// One kind of texture of one mesh from the image file `file`, in place of what the lookup found;
// the normal map is rebuilt when its sources change. False, with the mesh untouched and `why`
// saying what was wrong, for a mesh the model lacks or a file that is not a usable image.
bool setMeshTexture(Model& model, int mesh, TextureGroup group, const std::string& file, std::string& why);

// Asked at most once per run; the answer holds for every later missing texture of
// every model.
struct TexturePromptState {
    bool askedForTextures = false;  // the question has been shown
    bool browseForTextures = false; // the user answered Yes
};

TexturePromptState& texturePromptState();
