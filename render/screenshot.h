// render/screenshot.h -- reading back the render region of the finished picture.
#pragma once

#include <vector>

namespace render {

// The bottom-left width x height pixels of the back buffer as tightly packed RGB rows,
// bottom row first (GL's order). The pack alignment is restored afterwards. False, with
// nothing read, for an empty region.
bool readRenderRegion(int width, int height, std::vector<unsigned char>& rgb);
// The same for the region of width x height pixels whose bottom-left corner is at column `x`.
bool readWindowRegion(int x, int width, int height, std::vector<unsigned char>& rgb);

} // namespace render
