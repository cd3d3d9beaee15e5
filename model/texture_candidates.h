// model/texture_candidates.h -- the image file names tried for a material, group by group; no GL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/texture_group.h"

// Candidate names are limited to what a 500-byte name buffer (with its terminator) holds.
constexpr size_t kCandidateBufferSize = 500;

// The name every candidate is derived from: `name` + ".tga", unless the name is three
// characters or shorter or already ends in a three-letter extension.
std::string textureBaseName(const std::string& name);

// The files to try for one group, in order; the first that loads wins. Candidates that
// would cut more characters than the base name has, or overflow the buffer, are left out.
std::vector<std::string> textureCandidates(const std::string& baseName, TextureGroup group);

// The files tried for one group once every TGA candidate of the material has failed: the same
// candidates in the same order, each ending in ".tga" given ".png", ".jpg" and ".jpeg" instead,
// any other kept as it is. A material named "x.jpeg" is taken as "x.tga" here.
std::vector<std::string> otherFormatCandidates(const std::string& name, TextureGroup group);

// True when `name` ends in ".tga", in any letter case.
bool endsInTga(const std::string& name);

// The kind an image file given by hand (dropped onto the window) is, by the end of its stem:
// "_n", "_normal", "normals", "_local" a normal map; "_s", "_spec" specular; "_h", "_height",
// "_b" a height map; anything else diffuse. Letter case does not matter.
TextureGroup textureGroupOfFile(const std::string& fileName);

// The last component of a path, after its last '/' or '\\': a view into `name`.
std::string_view lastPathComponent(std::string_view name);
