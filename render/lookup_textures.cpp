// render/lookup_textures.cpp -- the normalisation cube map that the bump-mapped passes
// normalise their interpolated vectors with.
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/frame_passes.h"
#include "render/logic/cube_directions.h"

namespace render {

void buildNormalisationCubeMap(int size) {
    if (size < 1) return;
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Only level 0 is built, so the mipmapped minification the caller asked for cannot stay.
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int face = 0; face < kCubeFaces; ++face) {
        const std::vector<uint8_t> texels = normalisationCubeFace(face, size);
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + static_cast<GLenum>(face), 0, GL_RGB8, size, size, 0,
                     GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

} // namespace render
