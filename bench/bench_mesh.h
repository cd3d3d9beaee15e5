// bench/bench_mesh.h -- the generated 100,000-vertex two-mesh MD5 model the benchmarks load,
// written into the build folder on first use.
#pragma once

#include <filesystem>
#include <string>

#include "tools/bench_md5_writer.h"

inline const std::string& benchMeshPath() {
    static const std::string path = std::string(OSTRELLE_BINARY_DIR) + "/bench_two_meshes.md5mesh";
    if (!std::filesystem::exists(path)) benchmesh::writeBenchMesh(path.c_str());
    return path;
}
