// load/load_model.h -- what readmeshfromfile does after reading, reachable without a file.
#pragma once

#include <string>
#include <string_view>

class Model;

// The steps every format shares after reading: the record check of each mesh, bind pose, face
// normals and tangents, index lists, the geometry analysis of each mesh with its
// "mesh %i: verts: %i clones: %i" log line, and the edge lists.
void postProcessModel(Model& model);

// The part of it before the geometry analysis: record checks, empty clone lists, bind pose,
// face vectors and index lists.
void prepareForAnalysis(Model& model);

// An MD5mesh file held in memory, read and post-processed as readmeshfromfile does it, without
// the animation and the file name. False when a count the bytes cannot hold stopped the load
// (the model then keeps what was read, without post-processing).
bool loadMd5MeshFromMemory(Model& model, std::string_view data, const std::string& fileName);
