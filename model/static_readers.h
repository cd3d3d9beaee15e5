// model/static_readers.h -- memory entries of the OBJ, ASE and LWO2 readers (static models, no joints).
#pragma once

#include <functional>
#include <string>
#include <string_view>

class Model;

namespace staticmodel {

// Fetches a material library by path; false when it cannot be opened.
using LibraryLoader = std::function<bool(const std::string& path, std::string& contents)>;

// Each reader fills an empty Model from the bytes of one file: numMeshes and every per-mesh
// array, with positions, triangles and one CornerVertex per triangle corner; numJoints stays 0.
// `fileName` is the name the bytes came from: it locates the OBJ's material library and
// textures and names the file in log lines. Log lines go to the debug log.
void readObjText(Model& model, std::string_view text, const std::string& fileName, const LibraryLoader& loadLibrary);
void readAseText(Model& model, std::string_view text);
void readLwoBytes(Model& model, std::string_view bytes, const std::string& fileName);

// Texture lookup for a material of a static mesh: its own name, then the base-path rewrite,
// then the "couldn't find texture " line and the missing-texture prompt.
void findMaterialTextures(Model& model, const std::string& name, int mesh);

} // namespace staticmodel
