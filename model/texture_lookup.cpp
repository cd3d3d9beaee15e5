// model/texture_lookup.cpp -- finding a material's textures on disk.
#include "model/model.h"

void Model::lookupTextures(const char*, int) {}
void Model::promptMissingTexture(const char*, int) {}
