// model/ase_reader.cpp -- ASE text exports.
#include "model/model.h"

void Model::readAse(const char*) {}
