// render/bitmap_font.cpp -- the text font as one alpha texture, each glyph a textured quad
// placed by glBitmap's rules; one draw per line instead of one texture upload per glyph.
#include "render/bitmap_font.h"
#include "render/frame_state.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "render/font_glyphs.h"

namespace render {
namespace {

// A glyph's image in the atlas and the metrics it is placed by.
struct AtlasGlyph {
    int width = 0;
    int rows = 0;
    int texelX = 0; // lower-left texel of the image
    int texelY = 0;
    float xorig = 0;
    float yorig = 0;
    float advance = 0;
};

struct TextureFont {
    unsigned int texture = 0; // the handle buildFont hands out
    int atlasWidth = 0;
    int atlasHeight = 0;
    std::vector<AtlasGlyph> glyphs; // codes 32 to 127
};

// Every font built and not deleted, found by its handle.
std::vector<TextureFont>& builtFonts() {
    static std::vector<TextureFont> fonts;
    return fonts;
}

const TextureFont* findFont(unsigned int handle) {
    for (const TextureFont& font : builtFonts())
        if (font.texture == handle) return &font;
    return nullptr;
}

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

// A grid of equal cells, 16 to a row, with a texel of gap so that no quad's edge samples a
// neighbour. Fills the atlas alpha texels (0 or 255, bottom row first) and the glyph table.
TextureFont layOutAtlas(const std::vector<FontGlyph>& glyphs, std::vector<unsigned char>& texels) {
    constexpr int columns = 16;
    int cellWidth = 1, cellHeight = 1;
    for (const FontGlyph& g : glyphs) {
        if (g.width + 1 > cellWidth) cellWidth = g.width + 1;
        if (g.rows + 1 > cellHeight) cellHeight = g.rows + 1;
    }
    TextureFont font;
    int gridRows = (static_cast<int>(glyphs.size()) + columns - 1) / columns;
    font.atlasWidth = powerOfTwoAtLeast(columns * cellWidth);
    font.atlasHeight = powerOfTwoAtLeast(gridRows * cellHeight);
    texels.assign(static_cast<size_t>(font.atlasWidth) * static_cast<size_t>(font.atlasHeight), 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const FontGlyph& g = glyphs[i];
        AtlasGlyph a;
        a.width = g.width;
        a.rows = g.rows;
        a.texelX = static_cast<int>(i) % columns * cellWidth;
        a.texelY = static_cast<int>(i) / columns * cellHeight;
        a.xorig = g.xorig;
        a.yorig = g.yorig;
        a.advance = g.advance;
        for (int r = 0; r < g.rows; ++r)
            for (int x = 0; x < g.width; ++x)
                texels[static_cast<size_t>((a.texelY + r) * font.atlasWidth + a.texelX + x)] =
                    g.coverage[static_cast<size_t>(r * g.width + x)];
        font.glyphs.push_back(a);
    }
    return font;
}

unsigned int uploadAtlas(int width, int height, const std::vector<unsigned char>& texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) return 0;
    GLint bound = 0, alignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return texture;
}

// Whether a fragment of alpha `alpha` passes the alpha test the caller has set.
bool callerAlphaTestPasses(float alpha) {
    if (!glIsEnabled(GL_ALPHA_TEST)) return true;
    GLint func = GL_ALWAYS;
    GLfloat ref = 0;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
    glGetFloatv(GL_ALPHA_TEST_REF, &ref);
    switch (func) {
    case GL_NEVER: return false;
    case GL_LESS: return alpha < ref;
    case GL_EQUAL: return alpha == ref;
    case GL_LEQUAL: return alpha <= ref;
    case GL_GREATER: return alpha > ref;
    case GL_NOTEQUAL: return alpha != ref;
    case GL_GEQUAL: return alpha >= ref;
    default: return true;
    }
}

// glBitmap puts an image's lower-left corner at floor(pen - origin); Mesa adds this to the pen
// first, and the pictures must match its glBitmap to the pixel.
constexpr float bitmapEpsilon = 0.0001f;

// One quad per glyph in window coordinates (the projection maps them so), all in one draw;
// the pen moves as glBitmap moves the raster position.
void emitGlyphQuads(const TextureFont& font, const char* text, float penX, float penY) {
    float du = 1.0f / static_cast<float>(font.atlasWidth), dv = 1.0f / static_cast<float>(font.atlasHeight);
    glBegin(GL_QUADS);
    for (const char* p = text; *p; ++p) {
        int code = static_cast<unsigned char>(*p);
        if (code < fontFirstCode || code >= fontFirstCode + fontGlyphCount) continue;
        const AtlasGlyph& g = font.glyphs[static_cast<size_t>(code - fontFirstCode)];
        if (g.width > 0 && g.rows > 0) {
            float x0 = std::floor(penX + bitmapEpsilon - g.xorig), y0 = std::floor(penY + bitmapEpsilon - g.yorig);
            float x1 = x0 + static_cast<float>(g.width), y1 = y0 + static_cast<float>(g.rows);
            float u0 = static_cast<float>(g.texelX) * du, u1 = static_cast<float>(g.texelX + g.width) * du;
            float v0 = static_cast<float>(g.texelY) * dv, v1 = static_cast<float>(g.texelY + g.rows) * dv;
            glTexCoord2f(u0, v0);
            glVertex2f(x0, y0);
            glTexCoord2f(u1, v0);
            glVertex2f(x1, y0);
            glTexCoord2f(u1, v1);
            glVertex2f(x1, y1);
            glTexCoord2f(u0, v1);
            glVertex2f(x0, y1);
        }
        penX += g.advance;
    }
    glEnd();
}

// The glyph quads take the current colour where the atlas texel is set and alpha 0 elsewhere
// (modulate), and the alpha test drops the latter before they touch colour, depth or stencil.
// Like bitmaps they are clipped by the window and not by the viewport, so they are drawn
// through the largest viewport, whose projection maps window coordinates to themselves.
void drawLine(const TextureFont& font, const char* text, float penX, float penY) {
    GLint viewport[4] = {0, 0, 1, 1}, largest[2] = {1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    glViewport(0, 0, largest[0], largest[1]);
    glLoadIdentity();
    glOrtho(0, largest[0], 0, largest[1], -1, 1);

    GLint boundTexture = 0, envMode = GL_MODULATE, alphaFunc = GL_ALWAYS;
    GLfloat alphaRef = 0, texCoord[4] = {0, 0, 0, 1};
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    GLboolean texturing = glIsEnabled(GL_TEXTURE_2D), alphaTest = glIsEnabled(GL_ALPHA_TEST),
              culling = glIsEnabled(GL_CULL_FACE);

    glBindTexture(GL_TEXTURE_2D, font.texture);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glDisable(GL_CULL_FACE);

    emitGlyphQuads(font, text, penX, penY);

    if (culling) glEnable(GL_CULL_FACE);
    glAlphaFunc(static_cast<GLenum>(alphaFunc), alphaRef);
    if (!alphaTest) glDisable(GL_ALPHA_TEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
    if (!texturing) glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glTexCoord4fv(texCoord);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

} // namespace

unsigned int buildFont(const char* faceName, int height) {
    std::vector<FontGlyph> glyphs = rasteriseFontGlyphs(faceName, height);
    if (glyphs.size() != static_cast<size_t>(fontGlyphCount)) return 0;
    std::vector<unsigned char> texels;
    TextureFont font = layOutAtlas(glyphs, texels);
    font.texture = uploadAtlas(font.atlasWidth, font.atlasHeight, texels);
    if (font.texture == 0) return 0;
    builtFonts().push_back(font);
    return font.texture;
}

void printText(unsigned int fontBase, const char* text, float column, float row) {
    if (fontBase == 0 || !text) return;
    const TextureFont* font = findFont(fontBase);
    if (!font) return;
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    pushIdentityMatrices();
    glTranslatef(-1, -1, 0);
    glScalef(0.07f, 0.07f, 0.07f);
    glRasterPos2f(column, row);
    // The raster position and colour as glBitmap would take them. The quads lie at z = 0 of a
    // projection that, like this one, maps z = 0 to the middle of the depth range: the raster depth.
    GLboolean valid = GL_FALSE;
    GLfloat raster[4] = {}, colour[4] = {};
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    if (valid && colour[3] > 0 && callerAlphaTestPasses(colour[3])) drawLine(*font, text, raster[0], raster[1]);
    popIdentityMatrices();
}

void deleteFont(unsigned int fontBase) {
    std::vector<TextureFont>& fonts = builtFonts();
    for (size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i].texture != fontBase) continue;
        glDeleteTextures(1, &fonts[i].texture);
        fonts.erase(fonts.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

} // namespace render
