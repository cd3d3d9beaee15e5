// model/model.h -- one loaded model: parallel per-mesh arrays, skeleton, animations, textures.
// No GL here: texture names are plain numbers, deleted through a hook the renderer installs.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/load_problem.h"
#include "model/texture_group.h"
#include "model/tga_image.h"

struct AnimationV10;
struct AnimationV6;
struct GlCapabilities;

// Plain data, 64 bytes: what skinning and every draw read, and nothing else. The lists that
// hang off vertices and triangles are flat per-mesh arrays of the Model.
struct Vertex {
    float pos[3] = {0, 0, 0};
    float u = 0, v = 0; // MD5 readers store v as 1 - file value
    float normal[3] = {0, 0, 0};
    float tangentS[3] = {0, 0, 0};
    float tangentT[3] = {0, 0, 0};
    int weightStart = 0;
    int weightCount = 0; // 0 for static models and for merged duplicates
};

static_assert(sizeof(Vertex) == 64, "a vertex is the 64 bytes that skinning and the draws read");

struct Triangle {
    int v[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    float tangentS[3] = {0, 0, 0};
    float tangentT[3] = {0, 0, 0};
    int rightHanded = 0;
    bool facesLight = false;
};

struct VertexWeight {
    int joint = 0;
    float bias = 0;
    float pos[3] = {0, 0, 0};
};

struct Joint {
    std::string name;
    float bindPos[3] = {0, 0, 0};
    float bindRot[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0}; // three columns of three
    std::string parentName; // MD5Version 6 only
    bool hasParentName = false;
    int parent = 0;
    float animX = 0, animY = 0, animZ = 0;
    float pos[3] = {0, 0, 0};
    float rot[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    float animPitch = 0, animYaw = 0, animRoll = 0;
    float poseMatrix[16] = {0};
    float angleFrom[3] = {0, 0, 0};
    float angleTo[3] = {0, 0, 0};
    float angleBlend = 0;
    int depth = 0;
};

struct CornerVertex {
    float pos[3] = {0, 0, 0};
    float u = 0, v = 0;
};

struct Edge {
    int v0 = 0;
    int v1 = 0;
    int tri0 = 0;
    int tri1 = -1; // -1: open edge
    unsigned char isSilhouette = 0;
};

// Deletes OpenGL texture names. Installed by the renderer; absent in GL-free programs.
using TextureDeleter = void (*)(unsigned int name);
void setTextureDeleter(TextureDeleter deleter);

class Model {
public:
    Model();
    Model(const char* meshFile, const char* animFile);
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // --- object (model.cpp) ---
    void reset();
    void release();
    void setSpecular(bool on) { specular = on; }
    void setPlacement(const float m[16]);
    // placement x joint matrix, formed on the CPU. Leaves `out` alone for a bad index.
    void getJointMatrix(int joint, float out[16]) const;
    int findJoint(const char* name) const;

    // --- loading (load/load_model.cpp) ---
    void readmeshfromfile(const char* meshFile, const char* animFile);
    // Per mesh: the material (shader) name the file gave it; "" when none.
    std::vector<std::string> materialName;

    // --- static readers (model/obj_reader.cpp, model/ase_reader.cpp, model/lwo_reader.cpp) ---
    void readObj(const char* fileName);
    void readAse(const char* fileName);
    void readLwo(const char* fileName);

    // --- textures (model/texture_lookup.cpp) ---
    void lookupTextures(const char* name, int mesh);
    void promptMissingTexture(const char* name, int mesh);

    // --- animation files (anim/) ---
    // A missing name clears animV6 only. Does not free earlier records: callers replacing an
    // animation call freeAnimations first.
    void loadAnimation(const char* fileName);
    // The same from the text of a file already read (tests and fuzzing).
    void loadAnimationText(std::string_view text);
    void freeAnimations();
    // (Re)bind the loaded records to the current joint array, by joint name.
    void bindAnimationV10();
    void bindAnimationV6();

    // --- pose (anim/pose.cpp, anim/camera_animation.cpp) ---
    // Poses every joint at `time` seconds; animV6 wins when both records are present. An
    // animation with no frames or no usable frame rate leaves the joints as they are.
    void animate(double time);
    // Every joint's pos and rot from its bindPos and bindRot.
    void setBindPose();
    // The camera model: loads a version 6 animation and adds a joint per channel joint it lacks.
    void loadCameraAnimation(const char* fileName);
    void loadCameraAnimationText(std::string_view text);
    // animate, then the "refcam" and "fov" channels.
    void updateCameraAnimation(double time);
    // out[0..15] = placement x pose of the joint (-1 or out of range: cameraJoint), out[16] its
    // field of view. Leaves `out` alone without animV6 or joints.
    void getCameraMatrix(int joint, float out[17]) const;

    // --- skinning and vectors (anim/skinning.cpp, anim/mesh_vectors.cpp) ---
    void skinMesh(int mesh);
    // Skinned positions (static models: once) and per-vertex normal, S and T of one mesh.
    void updateMeshVectors(int mesh, const GlCapabilities& caps);
    // Every mesh; a skinned model without animation stands in its bind pose.
    void updateAllMeshes(const GlCapabilities& caps);

    // Per-mesh storage, one entry per mesh. Vectors keep `indices` and `verts`
    // contiguous for the drawing calls.
    std::string fileName;
    bool hasFileName = false;
    std::string meshFolder; // folder of the mesh file being read; its textures are also looked for there
    // What went wrong while this model and its animation were read, in the order it happened;
    // the readers still write their own log lines.
    LoadProblems problems;
    int refCam = 0;
    int cameraJoint = 0;
    std::vector<float> jointFov;
    float lightPosModel[4] = {0, 0, 0, 1};
    std::vector<std::vector<Edge>> edges;
    std::unique_ptr<AnimationV6> animV6;
    std::unique_ptr<AnimationV10> animV10;
    bool specular = false;
    std::vector<int> numDuplicates; // identical-vertex merges per mesh (analysis statistics)
    float placement[16];
    std::vector<std::vector<int>> indices;
    std::vector<std::vector<CornerVertex>> corners;
    std::vector<unsigned char> frameBuilt;
    std::vector<unsigned char> hasDiffuse;
    std::vector<unsigned int> diffuseTex;
    std::vector<TgaImage> diffuseImage;
    std::vector<unsigned char> hasHeight;
    std::vector<unsigned int> normalTex;
    // The normal map built on the CPU (level 0 first, then its mip chain), RGBA;
    // the renderer uploads it into normalTex.
    std::vector<std::vector<TgaImage>> normalImage;
    std::vector<unsigned char> hasLocal;
    std::vector<unsigned char> hasSpecular;
    std::vector<unsigned int> specularTex;
    std::vector<TgaImage> specularImage;
    // Per mesh and per TextureGroup: the image file each texture came from ("" for none).
    std::vector<std::array<std::string, kTextureGroupCount>> textureFile;
    std::vector<int> numVerts; // vertices read from the file; the clones follow them in verts
    std::vector<std::vector<VertexWeight>> weights;
    std::vector<std::vector<Vertex>> verts;
    std::vector<Joint> joints;
    std::vector<std::vector<Triangle>> tris;
    std::vector<unsigned char> meshLoaded;

    // Clone lists, filled by the geometry analysis. Vertex i of mesh m copies its skinned
    // position to cloneItems[m][cloneStart[m][i] .. cloneStart[m][i + 1]), each made for the
    // triangle in the same place of cloneTriItems[m] (0 for merged duplicates). Triangle t gives
    // its vectors to triCloneItems[m][triCloneStart[m][t] .. triCloneStart[m][t + 1]).
    // Before the analysis every list is empty: the start arrays hold one 0 per record, plus one.
    std::vector<std::vector<int>> cloneStart;
    std::vector<std::vector<int>> cloneItems;
    std::vector<std::vector<int>> cloneTriItems;
    std::vector<std::vector<int>> triCloneStart;
    std::vector<std::vector<int>> triCloneItems;

    // Counts are the sizes of their arrays.
    int numMeshes() const { return static_cast<int>(meshLoaded.size()); }
    int numJoints() const { return static_cast<int>(joints.size()); }
    int numTris(int mesh) const { return static_cast<int>(tris[static_cast<size_t>(mesh)].size()); }
    int numWeights(int mesh) const { return static_cast<int>(weights[static_cast<size_t>(mesh)].size()); }
    int numEdges(int mesh) const { return static_cast<int>(edges[static_cast<size_t>(mesh)].size()); }
    int numVertsTotal(int mesh) const { return static_cast<int>(verts[static_cast<size_t>(mesh)].size()); }
    int numClones(int mesh) const { return numVertsTotal(mesh) - numVerts[static_cast<size_t>(mesh)]; }
    int numCloneRefs(int mesh, int vertex) const {
        const std::vector<int>& start = cloneStart[static_cast<size_t>(mesh)];
        return start[static_cast<size_t>(vertex) + 1] - start[static_cast<size_t>(vertex)];
    }
    int numTriClones(int mesh, int tri) const {
        const std::vector<int>& start = triCloneStart[static_cast<size_t>(mesh)];
        return start[static_cast<size_t>(tri) + 1] - start[static_cast<size_t>(tri)];
    }
    // Empties the clone lists of a mesh: one 0 per vertex and per triangle, plus one.
    void clearCloneLists(int mesh);

    // Creates every per-mesh array with `count` zero-filled entries (the loaders call it
    // as soon as they know the mesh count). False when the memory cannot be had.
    bool allocateMeshes(int count);
};
