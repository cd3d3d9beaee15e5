// tests/gl/bitmap_text_reference.cpp -- glBitmap glyph lists, the reference for the texture text.
#include "tests/gl/bitmap_text_reference.h"

#include <GL/gl.h>

#include <string>
#include <vector>

#include "render/font_glyphs.h"

namespace reference {
namespace {

// One glyph's list: the 1-bit image bottom row first, origin at the pen position on the
// base line, and the pen moved on by the advance.
void compileGlyph(const render::FontGlyph& glyph, unsigned int list) {
    int rowBytes = (glyph.width + 7) / 8;
    std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * static_cast<size_t>(glyph.rows) + 1, 0);
    for (int r = 0; r < glyph.rows; ++r)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.coverage[static_cast<size_t>(r * glyph.width + x)])
                bits[static_cast<size_t>(r * rowBytes + x / 8)] |= static_cast<GLubyte>(0x80 >> (x % 8));
    glNewList(list, GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, glyph.xorig, glyph.yorig, glyph.advance, 0, bits.data());
    glEndList();
}

} // namespace

unsigned int buildBitmapFont(const char* faceName, int height) {
    std::vector<render::FontGlyph> glyphs = render::rasteriseFontGlyphs(faceName, height);
    if (glyphs.size() != static_cast<size_t>(render::fontGlyphCount)) return 0;
    GLuint base = glGenLists(render::fontGlyphCount);
    if (base == 0) return 0;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (size_t i = 0; i < glyphs.size(); ++i) compileGlyph(glyphs[i], base + static_cast<unsigned>(i));
    glPopClientAttrib();
    return base;
}

void printBitmapText(unsigned int listBase, const char* text, float column, float row) {
    if (listBase == 0 || !text) return;
    std::string drawable;
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= render::fontFirstCode && c < render::fontFirstCode + render::fontGlyphCount)
            drawable += static_cast<char>(c);
    }
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(-1, -1, 0);
    glScalef(0.07f, 0.07f, 0.07f);
    glRasterPos2f(column, row);
    glDisable(GL_BLEND);
    glPushAttrib(GL_LIST_BIT);
    glListBase(listBase - render::fontFirstCode);
    glCallLists(static_cast<GLsizei>(drawable.size()), GL_UNSIGNED_BYTE, drawable.data());
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void deleteBitmapFont(unsigned int listBase) {
    if (listBase != 0) glDeleteLists(listBase, render::fontGlyphCount);
}

} // namespace reference
