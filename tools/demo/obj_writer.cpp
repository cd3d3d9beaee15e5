// tools/demo/obj_writer.cpp -- writes static meshes as OBJ and MTL text.
#include "tools/demo/obj_writer.h"

#include "tools/demo/text_out.h"

namespace demo {

// No comment lines: readers look for "f " and "v " anywhere in a line, so prose could
// turn into faces.
std::string objText(const std::vector<BuildMesh>& meshes, const std::string& mtlLibrary) {
    std::string out = "mtllib " + mtlLibrary + "\n";
    for (const BuildMesh& m : meshes)
        for (const BuildVertex& v : m.verts)
            out += "v " + num(v.pos.x) + " " + num(v.pos.z) + " " + num(-v.pos.y) + "\n";
    for (const BuildMesh& m : meshes)
        for (const BuildVertex& v : m.verts) out += "vt " + num(v.u, 5) + " " + num(v.t, 5) + "\n";
    size_t first = 1;
    for (const BuildMesh& m : meshes) {
        out += "usemtl " + m.material + "\n";
        for (const auto& t : m.tris) {
            out += "f";
            for (int k = 0; k < 3; ++k) {
                std::string index = std::to_string(first + static_cast<size_t>(t[static_cast<size_t>(k)]));
                out += " " + index + "/" + index;
            }
            out += "\n";
        }
        first += m.verts.size();
    }
    return out;
}

std::string mtlText(const std::vector<BuildMesh>& meshes) {
    std::string out;
    for (const BuildMesh& m : meshes) {
        out += "newmtl " + m.material + "\nKa 1 1 1\nKd 1 1 1\nKs 0.3 0.3 0.3\nNs 30\n";
        out += "map_Kd " + m.material + "_d.tga\n\n";
    }
    return out;
}

} // namespace demo
