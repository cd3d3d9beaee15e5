// render/texture_upload.cpp -- texture objects from the images lookupTextures found: diffuse
// and specular through gluBuild2DMipmaps, the normal map with its own mip chain.
#include "render/texture_upload.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "model/model.h"

namespace render {
namespace {

void deleteTextureName(unsigned int name) {
    const GLuint id = name;
    glDeleteTextures(1, &id);
}

void forget(unsigned int& name) {
    if (name) deleteTextureName(name);
    name = 0;
}

bool holdsPixels(const TgaImage& image, int bytesPerPixel) {
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() >= static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
                                      static_cast<size_t>(bytesPerPixel);
}

// Rows of RGB images need not be a multiple of four bytes long.
class TightUnpacking {
public:
    TightUnpacking() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TightUnpacking() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }

private:
    GLint saved_ = 4;
};

unsigned int newMipmappedTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    return name;
}

// The image's rows go up from the bottom, as OpenGL's do, so they are handed over unchanged.
// A grey image (common among specular maps) becomes grey RGB: left without an image, the
// texture would be incomplete and its unit would act as if it had no texture at all.
unsigned int uploadColourImage(const TgaImage& image) {
    const unsigned int name = newMipmappedTexture();
    const int bytes = image.bitsPerPixel / 8;
    if ((bytes == 1 || bytes == 3 || bytes == 4) && holdsPixels(image, bytes)) {
        const GLenum format = bytes == 1 ? GL_LUMINANCE : bytes == 3 ? GL_RGB : GL_RGBA;
        gluBuild2DMipmaps(GL_TEXTURE_2D, bytes == 1 ? 3 : bytes, image.width, image.height, format, GL_UNSIGNED_BYTE,
                          image.pixels.data());
    }
    return name;
}

// Level 0 and its chain as the CPU built them: GLU's box filter would shorten the normals.
unsigned int uploadNormalMap(const std::vector<TgaImage>& levels) {
    const unsigned int name = newMipmappedTexture();
    GLint level = 0;
    for (const TgaImage& image : levels) {
        if (!holdsPixels(image, 4)) break;
        glTexImage2D(GL_TEXTURE_2D, level++, 4, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.pixels.data());
    }
    // A chain cut short still samples: the levels present are all the filter may use.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level > 0 ? level - 1 : 0);
    return name;
}

} // namespace

void installTextureDeleter() { setTextureDeleter(deleteTextureName); }

void uploadMeshTextures(Model& model, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes()) return;
    const auto m = static_cast<size_t>(mesh);
    forget(model.diffuseTex[m]);
    forget(model.specularTex[m]);
    forget(model.normalTex[m]);
    TightUnpacking unpacking;
    if (model.hasDiffuse[m]) model.diffuseTex[m] = uploadColourImage(model.diffuseImage[m]);
    if (model.hasSpecular[m]) model.specularTex[m] = uploadColourImage(model.specularImage[m]);
    if (!model.normalImage[m].empty()) model.normalTex[m] = uploadNormalMap(model.normalImage[m]);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void uploadModelTextures(Model& model) {
    for (int m = 0; m < model.numMeshes(); ++m) uploadMeshTextures(model, m);
}

} // namespace render
