// model/texture_candidates.h -- the image file names tried for a material, group by group; no GL.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/texture_group.h"

// Candidate names are limited to what a 500-byte name buffer (with its terminator) holds.
constexpr size_t kCandidateBufferSize = 500;

// The name every candidate is derived from: `name` + ".tga", unless the name is three
// characters or shorter or already ends in a three-letter extension.
std::string textureBaseName(const std::string& name);

// The TGA candidates of the suffix rules, or the same names as PNG and JPG.
enum class CandidateFormats { Tga, Others };

// The base name of the candidates in `formats`: textureBaseName for TGA; for PNG and JPG the
// same, except that a material named "x.jpeg" is taken as "x.tga".
std::string candidateBaseName(const std::string& name, CandidateFormats formats);

// Receives one candidate name; returning true stops the walk.
using CandidateVisit = std::function<bool(const std::string& name)>;

// Hands `visit` the files to try for one group, in order, each built in `buffer` (one buffer for
// every name, so a walk allocates nothing); the first that loads wins. Candidates that would cut
// more characters than the base name has, or overflow the name buffer, are left out. For PNG and
// JPG every candidate ending in ".tga" is given ".png", ".jpg" and ".jpeg" instead, any other
// kept as it is. True when `visit` stopped the walk.
bool visitTextureCandidates(const std::string& baseName, TextureGroup group, CandidateFormats formats,
                            std::string& buffer, const CandidateVisit& visit);

// True when `name` ends in ".tga", in any letter case.
bool endsInTga(const std::string& name);

// The kind an image file given by hand (dropped onto the window) is, by the end of its stem:
// "_n", "_normal", "normals", "_local" a normal map; "_s", "_spec" specular; "_h", "_height",
// "_b" a height map; anything else diffuse. Letter case does not matter.
TextureGroup textureGroupOfFile(const std::string& fileName);

// The last component of a path, after its last '/' or '\\': a view into `name`.
std::string_view lastPathComponent(std::string_view name);
