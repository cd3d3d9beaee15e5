// model/static_readers.h -- memory entries of the OBJ, ASE and LWO2 readers (static models, no joints).
#pragma once

#include <functional>
#include <new>
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

// Texture lookup for a material of a static mesh (findTextures), naming the mesh after it
// when the reader has not named it yet.
void findMaterialTextures(Model& model, const std::string& name, int mesh);

// The memory entry of one reader, as the file wrapper calls it.
using BytesReader = void (*)(Model& model, std::string_view bytes, const std::string& fileName);

// The file wrapper of every static reader: reads the file whole and hands its bytes to
// `readBytes`; when it cannot be read (not opened, or too large to hold), logs
// "cannot open file: NAME" and leaves the model empty.
void readStaticFile(Model& model, const char* fileName, BytesReader readBytes);

// Runs one read; running out of memory stops it where it is, keeping what was filled.
template <class Read>
void stopOnBadAlloc(Read&& read) {
    try {
        read();
    } catch (const std::bad_alloc&) {
    }
}

} // namespace staticmodel
