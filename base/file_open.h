// base/file_open.h -- opening game data: '\' is a separator and letter case may differ from the disk.
#pragma once

#include <cstdio>
#include <string>

// The path to open for `name`: '\' becomes '/', and where the exact name does not
// exist each component is matched against its folder without regard to letter case.
// Returns the converted name unchanged when nothing matches.
std::string resolvePath(const std::string& name);

// The folder part of a file name, through its last '/' or '\\'; empty when it has none.
std::string folderOf(const std::string& name);

// fopen on the resolved path.
FILE* openFile(const std::string& name, const char* mode);

// Reads the whole file into `out`. False when it cannot be opened or read (a folder cannot),
// or is too large to hold; errno then says why.
bool readWholeFile(const std::string& name, std::string& out);
