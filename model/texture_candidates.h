// model/texture_candidates.h -- the TGA file names tried for a material, group by group; no GL.
#pragma once

#include <string>
#include <vector>

enum class TextureGroup { Diffuse, Specular, Local, Height };

// Candidate names are limited to what a 500-byte name buffer (with its terminator) holds.
constexpr size_t kCandidateBufferSize = 500;

// The name every candidate is derived from: `name` + ".tga", unless the name is three
// characters or shorter or already ends in a three-letter extension.
std::string textureBaseName(const std::string& name);

// The files to try for one group, in order; the first that loads wins. Candidates that
// would cut more characters than the base name has, or overflow the buffer, are left out.
std::vector<std::string> textureCandidates(const std::string& baseName, TextureGroup group);
