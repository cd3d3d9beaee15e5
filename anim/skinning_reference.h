// anim/skinning_reference.h -- plain versions of skinning and the per-frame vectors, written straight
// from their definitions; tests hold the fast loops of Model to them.
#pragma once

class Model;
struct GlCapabilities;

void referenceSkinMesh(Model& model, int mesh);
void referenceUpdateMeshVectors(Model& model, int mesh, const GlCapabilities& caps);
