// model/obj_reader.cpp -- Wavefront OBJ with MTL libraries.
#include "model/model.h"

void Model::readObj(const char*) {}
