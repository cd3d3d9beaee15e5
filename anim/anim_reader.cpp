// anim/anim_reader.cpp -- MD5anim files of versions 10 and 6.
#include "anim/animation.h"
#include "model/model.h"

void Model::loadAnimation(const char*) { animV6.reset(); }
void Model::freeAnimations() {
    animV6.reset();
    animV10.reset();
}
