// render/bitmap_font.cpp -- glyph bitmaps from FreeType, one glBitmap display list per code.
#include "render/bitmap_font.h"

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <vector>

namespace render {
namespace {

constexpr int firstCode = 32;
constexpr int glyphCount = 96;

// The file of the bold face that fontconfig offers for `faceName`; "" when none.
std::string findBoldFontFile(const char* faceName) {
    if (!FcInit()) return {};
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    // The lookup happens once; nothing else in the program uses fontconfig afterwards.
    FcFini();
    return file;
}

// One glyph's list: the 1-bit image bottom row first, origin at the pen position on the
// base line, and the pen moved on by the advance.
void compileGlyph(FT_Face face, unsigned int list, int code) {
    glNewList(list, GL_COMPILE);
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
        const FT_Bitmap& bm = face->glyph->bitmap;
        int width = static_cast<int>(bm.width), rows = static_cast<int>(bm.rows);
        int rowBytes = (width + 7) / 8;
        std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * static_cast<size_t>(rows > 0 ? rows : 1), 0);
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO && bm.buffer)
            for (int r = 0; r < rows; ++r)
                memcpy(&bits[static_cast<size_t>((rows - 1 - r) * rowBytes)], bm.buffer + r * bm.pitch,
                       static_cast<size_t>(rowBytes));
        float xorig = static_cast<float>(-face->glyph->bitmap_left);
        float yorig = static_cast<float>(rows - face->glyph->bitmap_top);
        float advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
        glBitmap(width, rows, xorig, yorig, advance, 0, rows > 0 ? bits.data() : nullptr);
    }
    glEndList();
}

bool compileAllGlyphs(const std::string& file, int height, unsigned int base) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, file.c_str(), 0, &face) == 0;
    if (ok) {
        // The height is the whole cell (ascent plus descent), as the font request means it.
        FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_CELL, 0, static_cast<FT_Long>(height) * 64, 0, 0};
        ok = FT_Request_Size(face, &request) == 0;
    }
    if (ok) {
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int i = 0; i < glyphCount; ++i) compileGlyph(face, base + static_cast<unsigned>(i), firstCode + i);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

} // namespace

unsigned int buildFont(const char* faceName, int height) {
    std::string file = findBoldFontFile(faceName ? faceName : "");
    if (file.empty()) return 0;
    GLuint base = glGenLists(glyphCount);
    if (base == 0) return 0;
    if (!compileAllGlyphs(file, height, base)) {
        glDeleteLists(base, glyphCount);
        return 0;
    }
    return base;
}

void printText(unsigned int fontBase, const char* text, float column, float row) {
    if (fontBase == 0 || !text) return;
    // Only codes that have a glyph list are called; any other list number may belong to
    // someone else.
    std::string drawable;
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= firstCode && c < firstCode + glyphCount) drawable += static_cast<char>(c);
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
    glDisable(GL_LIGHTING);
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontBase - firstCode);
    glCallLists(static_cast<GLsizei>(drawable.size()), GL_UNSIGNED_BYTE, drawable.data());
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void deleteFont(unsigned int fontBase) {
    if (fontBase != 0) glDeleteLists(fontBase, glyphCount);
}

} // namespace render
