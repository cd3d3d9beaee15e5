// tools/demo/textures.h -- the demo's procedural pictures: material maps and light filters.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/image.h"

namespace demo {

// The maps of one material, named by the suffix convention of the texture lookup.
struct MaterialMaps {
    Image diffuse;  // <name>_d.tga
    Image specular; // <name>_s.tga
    Image height;   // <name>_h.tga, one grey channel
    Image local;    // <name>_local.tga when not empty (tangent-space normals)
};

MaterialMaps skinMaps(); // beaded lizard skin with eyes; carries the tangent-space map
MaterialMaps limbMaps();
MaterialMaps finMaps();
MaterialMaps floorMaps();  // tiles: flagstones in running bond
MaterialMaps columnMaps(); // marble with a carved band
MaterialMaps plinthMaps(); // granite

// The six faces of a light filter, in the order east, west, down, up, north, south.
std::vector<Image> projectorFaces();
// The same faces softened, for far surfaces.
std::vector<Image> blurredFaces(const std::vector<Image>& sharp);

} // namespace demo
