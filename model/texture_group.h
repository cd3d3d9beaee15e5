// model/texture_group.h -- the four kinds of texture a mesh has, and their names in files and
// on the command line; no GL.
#pragma once

#include <optional>
#include <string_view>

enum class TextureGroup { Diffuse, Specular, Local, Height };
constexpr int kTextureGroupCount = 4;

// "diffuse", "specular", "normal", "height": the kind as the scene file and the panel name it.
const char* textureKindName(TextureGroup group);
// The kind a scene-file word names; none for another word.
std::optional<TextureGroup> textureKindNamed(std::string_view word);
