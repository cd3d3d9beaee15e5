// render/texture_upload.h -- a model's CPU images made into OpenGL texture objects, and the
// deletion of those objects when the model is released.
#pragma once

class Model;

namespace render {

// Lets Model::release delete its texture names through OpenGL. Called once the context exists.
void installTextureDeleter();

// Deletes the mesh's old texture names, then makes new ones from its images: the diffuse and
// specular images mipmapped by GLU (24-bit as RGB, 32-bit as RGBA; other depths leave the
// object without an image), the normal map with its own renormalised mip chain level by level.
// Names stay 0 for what the mesh does not have. Needs the context current.
void uploadMeshTextures(Model& model, int mesh);

// uploadMeshTextures for every mesh.
void uploadModelTextures(Model& model);

} // namespace render
