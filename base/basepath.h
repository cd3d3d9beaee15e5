// base/basepath.h -- the game data folder that every loader falls back on.
#pragma once

#include <string>

// The process-wide base path (the scene's `basepath`; ends in a separator when set by the scene).
const std::string& basepath();
void setBasepath(const std::string& path);

// The base path followed by the part of `name` after its first "base" (or "BASE") and
// the separator right after it; all of `name` when there is no such part.
std::string rewriteToBasepath(const std::string& name);
