// model/lwo_reader.cpp -- LWO2 binary objects.
#include "model/model.h"

void Model::readLwo(const char*) {}
