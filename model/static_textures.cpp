// model/static_textures.cpp -- what the static readers share: opening the file, and the texture
// lookup with base-path retry for their materials.
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "model/model.h"
#include "model/static_readers.h"

namespace staticmodel {

namespace {
bool anyTexture(const Model& model, int mesh) {
    size_t m = static_cast<size_t>(mesh);
    return model.hasDiffuse[m] || model.hasSpecular[m] || model.hasHeight[m] || model.hasLocal[m];
}
} // namespace

void findMaterialTextures(Model& model, const std::string& name, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes()) return;
    // The OBJ reader names the mesh after its material; the others after the texture.
    std::string& material = model.materialName[static_cast<size_t>(mesh)];
    if (material.empty()) material = name;
    model.lookupTextures(name.c_str(), mesh);
    if (anyTexture(model, mesh)) return;
    model.lookupTextures(rewriteToBasepath(name).c_str(), mesh);
    if (anyTexture(model, mesh)) return;
    logText("couldn't find texture ");
    logText(name);
    logText("\n");
    model.promptMissingTexture(name.c_str(), mesh);
}

bool readModelFile(const std::string& name, std::string& contents) {
    if (readWholeFile(name, contents)) return true;
    logText("cannot open file: ");
    logText(name);
    logText("\n");
    return false;
}

} // namespace staticmodel
