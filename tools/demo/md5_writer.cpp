// tools/demo/md5_writer.cpp -- writes MD5Version 10 meshes and animations as text.
#include "tools/demo/md5_writer.h"

#include "tools/demo/text_out.h"

namespace demo {

namespace {

std::string triple(Vec3 v, int decimals = 4) {
    return "( " + num(v.x, decimals) + " " + num(v.y, decimals) + " " + num(v.z, decimals) + " )";
}

std::string quatTriple(const Mat3& rot) {
    Quat q = quatFromMatrix(rot);
    return "( " + num(q.x, 6) + " " + num(q.y, 6) + " " + num(q.z, 6) + " )";
}

int countAnimated(int flags) {
    int n = 0;
    for (int bit = 1; bit <= 32; bit <<= 1)
        if (flags & bit) ++n;
    return n;
}

void appendMeshBlock(std::string& out, const std::vector<RigJoint>& skeleton, const BuildMesh& mesh) {
    out += "mesh {\n\tshader \"" + mesh.material + "\"\n\n";
    out += "\tnumverts " + std::to_string(mesh.verts.size()) + "\n";
    int weightIndex = 0;
    for (size_t i = 0; i < mesh.verts.size(); ++i) {
        const BuildVertex& v = mesh.verts[i];
        // The file's v runs top-down; readers store 1 - v.
        out += "\tvert " + std::to_string(i) + " ( " + num(v.u, 5) + " " + num(1.0f - v.t, 5) + " ) " +
               std::to_string(weightIndex) + " " + std::to_string(v.influences.size()) + "\n";
        weightIndex += static_cast<int>(v.influences.size());
    }
    out += "\n\tnumtris " + std::to_string(mesh.tris.size()) + "\n";
    for (size_t i = 0; i < mesh.tris.size(); ++i) {
        const auto& t = mesh.tris[i];
        out += "\ttri " + std::to_string(i) + " " + std::to_string(t[0]) + " " + std::to_string(t[1]) + " " +
               std::to_string(t[2]) + "\n";
    }
    out += "\n\tnumweights " + std::to_string(weightIndex) + "\n";
    int w = 0;
    for (const BuildVertex& v : mesh.verts) {
        for (const Influence& in : v.influences) {
            Vec3 local = v.pos - skeleton[static_cast<size_t>(in.joint)].bindPos;
            out += "\tweight " + std::to_string(w++) + " " + std::to_string(in.joint) + " " + num(in.bias, 5) + " " +
                   triple(local) + "\n";
        }
    }
    out += "}\n\n";
}

} // namespace

std::string md5MeshText(const std::vector<RigJoint>& skeleton, const std::vector<BuildMesh>& meshes) {
    std::string out = "MD5Version 10\ncommandline \"written by gen_demo\"\n\n";
    out += "numJoints " + std::to_string(skeleton.size()) + "\n";
    out += "numMeshes " + std::to_string(meshes.size()) + "\n\njoints {\n";
    for (const RigJoint& j : skeleton) {
        std::string parentName = j.parent >= 0 ? skeleton[static_cast<size_t>(j.parent)].name : "";
        out += "\t\"" + j.name + "\"\t" + std::to_string(j.parent) + " " + triple(j.bindPos) + " ( 0 0 0 )\t\t// " +
               parentName + "\n";
    }
    out += "}\n\n";
    for (const BuildMesh& m : meshes) appendMeshBlock(out, skeleton, m);
    return out;
}

std::string md5AnimText(const std::vector<RigJoint>& skeleton, const std::vector<JointPose>& baseFrame,
                        const std::vector<std::vector<JointPose>>& frames, const std::vector<Md5Bounds>& bounds,
                        float frameRate) {
    int components = 0;
    for (const RigJoint& j : skeleton) components += countAnimated(j.flags);
    std::string out = "MD5Version 10\ncommandline \"written by gen_demo\"\n\n";
    out += "numFrames " + std::to_string(frames.size()) + "\n";
    out += "numJoints " + std::to_string(skeleton.size()) + "\n";
    out += "frameRate " + num(frameRate) + "\n";
    out += "numAnimatedComponents " + std::to_string(components) + "\n\nhierarchy {\n";
    int start = 0;
    for (const RigJoint& j : skeleton) {
        std::string parentName = j.parent >= 0 ? skeleton[static_cast<size_t>(j.parent)].name : "";
        out += "\t\"" + j.name + "\"\t" + std::to_string(j.parent) + " " + std::to_string(j.flags) + " " +
               std::to_string(start) + "\t// " + parentName + "\n";
        start += countAnimated(j.flags);
    }
    out += "}\n\nbounds {\n";
    for (const Md5Bounds& b : bounds) out += "\t" + triple(b.min) + " " + triple(b.max) + "\n";
    out += "}\n\nbaseframe {\n";
    for (const JointPose& p : baseFrame) out += "\t" + triple(p.pos) + " " + quatTriple(p.rot) + "\n";
    out += "}\n\n";
    for (size_t f = 0; f < frames.size(); ++f) {
        out += "frame " + std::to_string(f) + " {\n";
        for (size_t j = 0; j < skeleton.size(); ++j) {
            int flags = skeleton[j].flags;
            if (flags == 0) continue;
            const JointPose& p = frames[f][j];
            Quat q = quatFromMatrix(p.rot);
            const float values[6] = {p.pos.x, p.pos.y, p.pos.z, q.x, q.y, q.z};
            std::string line;
            for (int k = 0; k < 6; ++k)
                if (flags & (1 << k)) line += " " + num(values[k], k < 3 ? 4 : 6);
            out += "\t" + line + "\n";
        }
        out += "}\n\n";
    }
    return out;
}

} // namespace demo
