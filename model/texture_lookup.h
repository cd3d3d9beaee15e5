// model/texture_lookup.h -- a material's textures with the base-path retry, and the process-wide
// answer to "browse for missing textures?".
#pragma once

#include <string>

class Model;

// The textures of material `name` for one mesh, as every reader looks them up: under the name,
// then under its base-path rewrite, then under its file part in the folder of the model's file;
// when none finds any texture, the line "couldn't find texture NAME" and the missing-texture
// prompt.
void findTextures(Model& model, const std::string& name, int mesh);

// Asked at most once per run; the answer holds for every later missing texture of
// every model.
struct TexturePromptState {
    bool askedForTextures = false;  // the question has been shown
    bool browseForTextures = false; // the user answered Yes
};

TexturePromptState& texturePromptState();
