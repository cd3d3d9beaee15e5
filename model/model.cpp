// model/model.cpp -- construction, release and the small queries of Model.
#include "model/model.h"

#include <cstring>
#include <new>

#include "model/animation.h"

namespace {
TextureDeleter textureDeleter = nullptr;

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
} // namespace

void setTextureDeleter(TextureDeleter deleter) { textureDeleter = deleter; }

Model::Model() { reset(); }

Model::~Model() { release(); }

void Model::reset() {
    fileName.clear();
    hasFileName = false;
    problems.clear();
    refCam = 0;
    cameraJoint = 0;
    jointFov.clear();
    animV6.reset();
    animV10.reset();
    joints.clear();
    allocateMeshes(0);
    memcpy(placement, kIdentity, sizeof placement);
}

void Model::release() {
    animV6.reset();
    animV10.reset();
    joints.clear();
    jointFov.clear();
    if (textureDeleter) {
        for (size_t m = 0; m < meshLoaded.size(); ++m) {
            for (unsigned int name : {diffuseTex[m], normalTex[m], specularTex[m]})
                if (name) textureDeleter(name);
        }
    }
    allocateMeshes(0);
    fileName.clear();
    hasFileName = false;
    problems.clear();
}

bool Model::allocateMeshes(int count) {
    if (count < 0) return false;
    try {
        auto fill = [count](auto& v) {
            v.clear();
            v.shrink_to_fit();
            v.resize(static_cast<size_t>(count));
        };
        fill(edges);
        fill(numDuplicates);
        fill(indices);
        fill(corners);
        fill(frameBuilt);
        fill(hasDiffuse);
        fill(diffuseTex);
        fill(diffuseImage);
        fill(hasHeight);
        fill(normalTex);
        fill(normalImage);
        fill(hasLocal);
        fill(hasSpecular);
        fill(specularTex);
        fill(specularImage);
        fill(textureFile);
        fill(numVerts);
        fill(weights);
        fill(verts);
        fill(tris);
        fill(materialName);
        fill(cloneStart);
        fill(cloneItems);
        fill(cloneTriItems);
        fill(triCloneStart);
        fill(triCloneItems);
        fill(meshLoaded); // last: its size is the mesh count
    } catch (const std::bad_alloc&) {
        allocateMeshes(0);
        return false;
    }
    return true;
}

void Model::clearCloneLists(int mesh) {
    const size_t m = static_cast<size_t>(mesh);
    cloneStart[m].assign(verts[m].size() + 1, 0);
    cloneItems[m].clear();
    cloneTriItems[m].clear();
    triCloneStart[m].assign(tris[m].size() + 1, 0);
    triCloneItems[m].clear();
}

void Model::setPlacement(const float m[16]) { memcpy(placement, m, sizeof placement); }

void Model::getJointMatrix(int joint, float out[16]) const {
    if (joint < 0 || joint >= numJoints()) return;
    const Joint& j = joints[static_cast<size_t>(joint)];
    float jm[16] = {j.rot[0], j.rot[1], j.rot[2], 0, j.rot[3], j.rot[4], j.rot[5], 0,
                    j.rot[6], j.rot[7], j.rot[8], 0, j.pos[0], j.pos[1], j.pos[2], 1};
    // Column-major product placement * jm, the order the matrix stack would give.
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += placement[4 * k + r] * jm[4 * c + k];
            out[4 * c + r] = s;
        }
}

int Model::findJoint(const char* name) const {
    if (!name) return -1;
    for (int i = 0; i < numJoints(); ++i)
        if (joints[static_cast<size_t>(i)].name == name) return i;
    return -1;
}
