// model/texture_lookup.h -- the process-wide answer to "browse for missing textures?".
#pragma once

// Asked at most once per run; the answer holds for every later missing texture of
// every model.
struct TexturePromptState {
    bool askedForTextures = false;  // the question has been shown
    bool browseForTextures = false; // the user answered Yes
};

TexturePromptState& texturePromptState();
