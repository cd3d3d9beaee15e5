// render/bitmap_font.h -- text as bitmap display lists: 96 glyphs (codes 32 to 127) from a
// system font found through fontconfig and rendered by FreeType.
#pragma once

namespace render {

// Builds the glyph lists from the bold face `faceName` (as fontconfig matches it) with a
// cell height of `height` pixels. Returns the first list, or 0 when no font can be had:
// then no text is ever drawn, and nothing is reported.
unsigned int buildFont(const char* faceName, int height);

// Draws `text` with its start at grid cell (column, row) of the current viewport, in the
// current colour. Nothing for fontBase 0, a null text, or a start outside the viewport;
// bytes outside 32 to 127 draw nothing. Leaves lighting and blending off.
void printText(unsigned int fontBase, const char* text, float column, float row);

void deleteFont(unsigned int fontBase);

} // namespace render
