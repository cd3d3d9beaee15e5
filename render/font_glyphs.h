// render/font_glyphs.h -- the 1-bit glyph images of the text font (codes 32 to 127), found
// through fontconfig and rendered by FreeType; no GL.
#pragma once

#include <vector>

namespace render {

constexpr int fontFirstCode = 32;
constexpr int fontGlyphCount = 96;

// One glyph as glBitmap takes it: `coverage` holds width x rows bytes, bottom row first,
// 255 where the pixel is set and 0 elsewhere; (xorig, yorig) is the offset of the image's
// lower-left corner below and left of the pen on the base line; `advance` moves the pen.
struct FontGlyph {
    int width = 0;
    int rows = 0;
    float xorig = 0;
    float yorig = 0;
    float advance = 0;
    std::vector<unsigned char> coverage;
};

// The glyphs of codes 32 to 127 of the bold face that fontconfig matches for `faceName`, with
// a cell height (ascent plus descent) of `height` pixels. Empty when no font can be had; a
// code the face cannot render is an empty glyph that does not move the pen.
std::vector<FontGlyph> rasteriseFontGlyphs(const char* faceName, int height);

} // namespace render
