// render/font_glyphs.cpp -- fontconfig finds the bold face, FreeType renders its 1-bit glyphs; no GL.
#include "render/font_glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace render {
namespace {

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

FontGlyph renderGlyph(FT_Face face, int code) {
    FontGlyph glyph;
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return glyph;
    const FT_Bitmap& bm = face->glyph->bitmap;
    glyph.advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO || !bm.buffer) return glyph;
    glyph.width = static_cast<int>(bm.width);
    glyph.rows = static_cast<int>(bm.rows);
    glyph.xorig = static_cast<float>(-face->glyph->bitmap_left);
    glyph.yorig = static_cast<float>(glyph.rows - face->glyph->bitmap_top);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows), 0);
    for (int r = 0; r < glyph.rows; ++r) {
        const unsigned char* bits = bm.buffer + r * bm.pitch;
        unsigned char* out = &glyph.coverage[static_cast<size_t>((glyph.rows - 1 - r) * glyph.width)];
        for (int x = 0; x < glyph.width; ++x)
            if (bits[x / 8] & (0x80 >> (x % 8))) out[x] = 255;
    }
    return glyph;
}

} // namespace

std::vector<FontGlyph> rasteriseFontGlyphs(const char* faceName, int height) {
    std::string file = findBoldFontFile(faceName ? faceName : "");
    if (file.empty()) return {};
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return {};
    std::vector<FontGlyph> glyphs;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) == 0) {
        // The height is the whole cell (ascent plus descent), as the font request means it.
        FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_CELL, 0, static_cast<FT_Long>(height) * 64, 0, 0};
        if (FT_Request_Size(face, &request) == 0)
            for (int i = 0; i < fontGlyphCount; ++i) glyphs.push_back(renderGlyph(face, fontFirstCode + i));
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return glyphs;
}

} // namespace render
