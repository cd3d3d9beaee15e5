// tools/demo/creature_files.cpp -- the creature's mesh, walk and textures on disk.
#include <algorithm>

#include "tools/demo/creature_mesh.h"
#include "tools/demo/demo_files.h"
#include "tools/demo/md5_writer.h"
#include "tools/demo/text_out.h"
#include "tools/demo/textures.h"

namespace demo {

namespace {

Md5Bounds boundsOf(const std::vector<BuildMesh>& meshes, const std::vector<JointPose>& modelPose) {
    Md5Bounds b{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
    for (const BuildMesh& m : meshes) {
        for (Vec3 p : skinPositions(m, modelPose)) {
            b.min = {std::min(b.min.x, p.x), std::min(b.min.y, p.y), std::min(b.min.z, p.z)};
            b.max = {std::max(b.max.x, p.x), std::max(b.max.y, p.y), std::max(b.max.z, p.z)};
        }
    }
    return b;
}

} // namespace

bool writeMaterialMaps(const std::string& base, const MaterialMaps& maps) {
    bool ok = writeTga(base + "_d.tga", maps.diffuse, TgaStorage::Plain);
    ok = writeTga(base + "_s.tga", maps.specular, TgaStorage::RunLength) && ok;
    ok = writeTga(base + "_h.tga", maps.height, TgaStorage::Plain) && ok;
    if (!maps.local.bytes.empty()) ok = writeTga(base + "_local.tga", maps.local, TgaStorage::Plain) && ok;
    return ok;
}

bool writeCreature(const std::string& dir) {
    const std::vector<RigJoint>& skeleton = creatureSkeleton();
    std::vector<BuildMesh> meshes = creatureMeshes();
    std::vector<std::vector<JointPose>> frames;
    std::vector<Md5Bounds> bounds;
    for (int f = 0; f < kWalkFrames; ++f) {
        // The last frame lands on the lap's end, which is its start again.
        float t = f / kWalkFrameRate;
        if (f == kWalkFrames - 1) t = 0;
        frames.push_back(walkLocalPose(t));
        bounds.push_back(boundsOf(meshes, toModelSpace(frames.back())));
    }
    const std::string folder = dir + "/models/creature/";
    bool ok = writeTextFile(dir + "/" + path::kCreatureMesh, md5MeshText(skeleton, meshes));
    ok = writeTextFile(dir + "/" + path::kCreatureAnim,
                       md5AnimText(skeleton, bindLocalPose(), frames, bounds, kWalkFrameRate)) &&
         ok;
    ok = writeMaterialMaps(folder + "skin", skinMaps()) && ok;
    ok = writeMaterialMaps(folder + "limbs", limbMaps()) && ok;
    ok = writeMaterialMaps(folder + "fin", finMaps()) && ok;
    return ok;
}

} // namespace demo
