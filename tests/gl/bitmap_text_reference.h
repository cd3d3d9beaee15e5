// tests/gl/bitmap_text_reference.h -- the text as it was drawn before the glyph texture: one
// glBitmap display list per code; the reference for the pixel test and the benchmark.
#pragma once

namespace reference {

// The 96 glyph lists of codes 32 to 127 from the same FreeType glyphs as render::buildFont;
// 0 when no font can be had.
unsigned int buildBitmapFont(const char* faceName, int height);

// The same contract as render::printText, by glBitmap.
void printBitmapText(unsigned int listBase, const char* text, float column, float row);

void deleteBitmapFont(unsigned int listBase);

} // namespace reference
