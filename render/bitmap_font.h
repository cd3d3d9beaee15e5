// render/bitmap_font.h -- the text font: the 96 glyphs of codes 32 to 127 in one alpha
// texture, drawn as textured quads with the pixels that glBitmap would give.
#pragma once

namespace render {

// Builds the font from the bold face `faceName` (as fontconfig matches it) with a cell
// height of `height` pixels. Returns the handle that printText takes (the glyph texture),
// or 0 when no font can be had: then no text is ever drawn, and nothing is reported.
unsigned int buildFont(const char* faceName, int height);

// Draws `text` with its start at grid cell (column, row) of the current viewport, in the
// current colour, as glBitmap glyph lists would: the start is the raster position of the
// cell, each image lies at the floor of pen minus origin, the pen moves on by the advance,
// and the fragments pass the caller's depth, stencil and alpha tests at the raster depth.
// Nothing for fontBase 0, a null text, a start outside the viewport, or a colour of alpha 0;
// bytes outside 32 to 127 draw nothing. The caller has texturing off on the active unit
// (unit 0). Leaves lighting and blending off, the model-view matrix selected, and every
// other state as it found it.
void printText(unsigned int fontBase, const char* text, float column, float row);

void deleteFont(unsigned int fontBase);

} // namespace render
