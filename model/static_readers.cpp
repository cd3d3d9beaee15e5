// model/static_readers.cpp -- what the OBJ, ASE and LWO2 readers share: the one file wrapper and the
// texture lookup of a material.
#include "model/static_readers.h"

#include "base/debug_log.h"
#include "base/file_open.h"
#include "model/model.h"
#include "model/texture_lookup.h"

namespace staticmodel {

void findMaterialTextures(Model& model, const std::string& name, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes()) return;
    // The OBJ reader names the mesh after its material; the others after the texture.
    std::string& material = model.materialName[static_cast<size_t>(mesh)];
    if (material.empty()) material = name;
    findTextures(model, name, mesh);
}

void readStaticFile(Model& model, const char* fileName, BytesReader readBytes) {
    const std::string name = fileName ? fileName : "";
    std::string bytes;
    if (!readWholeFile(name, bytes)) {
        addProblem(model.problems, cannotOpenProblem(name));
        logText("cannot open file: ");
        logText(name);
        logText("\n");
        return;
    }
    readBytes(model, bytes, name);
}

} // namespace staticmodel
