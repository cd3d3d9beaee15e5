// anim/skinning.h -- the skinning loop shared by Model::skinMesh and the per-frame vectors.
#pragma once

class Model;

// Skins the first numVerts vertices of the mesh (clones copy their source) and, when
// `clearVectors` is set, zeroes normal, S and T of all numVertsTotal vertices in the same pass,
// so that the per-frame work walks the vertex array once less.
void skinVertices(Model& model, int mesh, bool clearVectors);
