// model/md5_mesh_reader.h -- MD5mesh reader for versions 10 and 6, parsing from memory; no GL.
#pragma once

#include <string>
#include <string_view>

class Model;

namespace md5 {

// Reads an MD5mesh file held in memory into an empty `model`: the header pass (joints and
// the mesh count), then the detail pass of every mesh in mesh order, each followed by its
// "reading mesh details ..." log line. The bytes are read once; the lines of each mesh are
// replayed for it, so results and log lines equal those of rereading the file per mesh.
// `fileName` names the file in log lines.
//
// Records that name something outside their arrays (a triangle corner, a weight range, the
// joint of a weight, a version 6 bone number) are dropped with one log line each. A declared
// count that the bytes cannot hold stops the load at once, silently, like a failed
// allocation: the function then returns false and the model keeps what was read so far,
// with no mesh marked loaded (none has been post-processed).
bool readMeshFromMemory(Model& model, std::string_view data, const std::string& fileName);

// The bind rotation of a version 10 joint: the upper-left 3x3 (three columns of three) of
// the rotation that the unit quaternion (x, y, z, w) describes, formed as an axis and an angle.
void quaternionToBindRotation(float x, float y, float z, float w, float out[9]);

} // namespace md5
