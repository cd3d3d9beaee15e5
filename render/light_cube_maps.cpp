// render/light_cube_maps.cpp -- the two colour cube maps that filtered lights project,
// built at start-up from six face images each.
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/logic/capability_probe.h"
#include "base/dialogs.h"
#include "render/frame_passes.h"
#include "model/tga_reader.h"
#include "render/gl_extensions.h"
#include "scene/scene.h"

namespace {

// Face order: east, west, down, up, north, south.
const GLenum faceTargets[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB, GL_TEXTURE_CUBE_MAP_NEGATIVE_X_ARB, GL_TEXTURE_CUBE_MAP_POSITIVE_Y_ARB,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_Y_ARB, GL_TEXTURE_CUBE_MAP_POSITIVE_Z_ARB, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB,
};
const char* const faceNames[6] = {"east", "west", "down", "up", "north", "south"};

// Reads the six faces "data\<set>_<face>.tga", stopping at the first that fails.
bool readFaces(const char* set, TgaImage faces[6]) {
    for (int i = 0; i < 6; ++i) {
        std::string name = std::string("data\\") + set + "_" + faceNames[i] + ".tga";
        if (!readTga(name, faces[i])) return false;
    }
    return true;
}

// All faces are uploaded in the east face's format, so each must hold that many bytes.
bool facesMatchEast(const TgaImage faces[6]) {
    int bits = faces[0].bitsPerPixel;
    if (bits != 24 && bits != 32) return false;
    for (int i = 0; i < 6; ++i)
        if (faces[i].bitsPerPixel != bits || faces[i].pixels.empty()) return false;
    return true;
}

// A cube map from one complete set, or 0. A set with a missing face is reported and not
// built: faces without pixels cannot be uploaded.
unsigned int buildCubeMap(const char* set) {
    TgaImage faces[6];
    if (!readFaces(set, faces)) {
        dialogs().messageBox("Ostrelle Startup", "couldn't find cubemap texture", DialogKind::Ok);
        return 0;
    }
    if (!facesMatchEast(faces)) return 0;
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, tex);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    bool rgb = faces[0].bitsPerPixel == 24;
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < 6; ++i)
        glTexImage2D(faceTargets[i], 0, rgb ? 3 : 4, faces[i].width, faces[i].height, 0, rgb ? GL_RGB : GL_RGBA,
                     GL_UNSIGNED_BYTE, faces[i].pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return tex;
}

bool anyFilteredLight(const Scene& scene) {
    for (const Light& light : scene.lights)
        if (light.cubemap == 1) return true;
    return false;
}

} // namespace

void render::buildLightCubeMaps(Scene& scene, const GlCapabilities& caps) {
    if (!caps.hasCubeMap || !anyFilteredLight(scene)) return;
    unsigned int normal = buildCubeMap("normal");
    for (Light& light : scene.lights)
        if (light.cubemap != 0) light.normalCubeTex = normal;
    if (caps.hasMultitexture) render::ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    unsigned int blurred = buildCubeMap("blurred");
    for (Light& light : scene.lights)
        if (light.cubemap != 0) light.blurredCubeTex = blurred;
}
