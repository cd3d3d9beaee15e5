// ui/logic/chooser_logic.h -- what the file and colour choosers decide, apart from drawing them:
// the folder listing under a type filter, where a chooser starts, the typed path, and the byte
// form of a colour; no GL.
#pragma once

#include <string>
#include <vector>

namespace ui {

// --- file chooser ---

// `name` against one pattern with '*' and '?', letters in any case ("*.MD5mesh" takes
// "bob.md5mesh").
bool matchesPattern(const std::string& name, const std::string& pattern);
// `name` against a ';'-separated pattern list.
bool matchesPatterns(const std::string& name, const std::string& patterns);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The folder's subfolders (".." first, unless at the root), then its files that match
// `patterns`, each group sorted by name in any case. Empty when the folder cannot be read.
std::vector<FolderEntry> listFolder(const std::string& folder, const std::string& patterns);

// Where a chooser given `initialPath` opens: the path itself when it is a folder, else the
// nearest folder above it that exists, else the working directory. Backslashes count as
// separators. `fileName` gets the last part of a path that names an existing file.
std::string startingFolder(const std::string& initialPath, std::string& fileName);

// What a typed path names, relative to `folder` unless absolute.
struct TypedPath {
    enum Kind { Folder, File, Missing } kind = Missing;
    std::string path; // normalised; the folder to open or the file chosen
};
TypedPath resolveTypedPath(const std::string& folder, const std::string& typed);

// The folder above `folder` (itself at the root).
std::string parentFolder(const std::string& folder);

// --- colour chooser ---

struct ColourBytes {
    unsigned char r = 255, g = 255, b = 255;
};

// Each component truncated from 255 times its value (clamped to 0..1 first).
ColourBytes colourToBytes(const float rgb[3]);
// Each component byte / 255, in the order red, green, blue; nothing else is touched.
void bytesToColour(const ColourBytes& bytes, float rgb[3]);

// The chooser's 16 custom colours, kept for the whole run.
struct CustomColours {
    ColourBytes colours[16];
};

} // namespace ui
