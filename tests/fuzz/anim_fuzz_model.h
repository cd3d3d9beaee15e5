// tests/fuzz/anim_fuzz_model.h -- a small skinned model for the animation fuzz targets, so that
// binding, posing and skinning run on whatever the reader kept.
#pragma once

#include "model/model.h"

inline void buildFuzzModel(Model& model) {
    static const char* const kNames[] = {"origin", "pubis", "pelvis", "spine", "head", "lamp", "Joint 1", "camera1"};
    model.joints.assign(8, Joint{});
    for (int j = 0; j < 8; ++j) {
        Joint& joint = model.joints[static_cast<size_t>(j)];
        joint.name = kNames[j];
        joint.parent = j - 1;
        joint.hasParentName = j > 0;
        joint.bindRot[0] = joint.bindRot[4] = joint.bindRot[8] = 1;
    }
    model.allocateMeshes(1);
    model.verts[0].resize(4);
    model.weights[0].resize(6);
    for (int i = 0; i < 6; ++i) {
        model.weights[0][static_cast<size_t>(i)].joint = i;
        model.weights[0][static_cast<size_t>(i)].bias = 0.5f;
        model.weights[0][static_cast<size_t>(i)].pos[i % 3] = 1.0f + i;
    }
    for (int i = 0; i < 3; ++i) {
        Vertex& v = model.verts[0][static_cast<size_t>(i)];
        v.weightStart = 2 * i;
        v.weightCount = 2;
        v.u = 0.3f * i;
        v.v = i == 2 ? 1.0f : 0.0f;
    }
    model.tris[0].resize(1);
    model.tris[0][0].v[0] = 0;
    model.tris[0][0].v[1] = 1;
    model.tris[0][0].v[2] = 2;
    model.indices[0] = {3, 1, 2};
    model.numVerts[0] = 3;
    // Vertex 3 is a clone of vertex 0 that draws the triangle's first corner.
    model.cloneStart[0] = {0, 1, 1, 1, 1};
    model.cloneItems[0] = {3};
    model.cloneTriItems[0] = {0};
    model.triCloneStart[0] = {0, 3};
    model.triCloneItems[0] = {3, 1, 2};
    model.meshLoaded[0] = 1;
}
