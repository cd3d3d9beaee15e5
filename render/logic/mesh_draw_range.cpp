// render/logic/mesh_draw_range.cpp -- the index count a mesh may be drawn with; no GL.
#include "render/logic/mesh_draw_range.h"

#include <algorithm>

#include "model/model.h"

namespace render {

int drawableIndexCount(const Model& model, int mesh) {
    if (mesh < 0 || mesh >= model.numMeshes || static_cast<size_t>(mesh) >= model.indices.size() ||
        static_cast<size_t>(mesh) >= model.verts.size() || static_cast<size_t>(mesh) >= model.numTris.size())
        return 0;
    const auto m = static_cast<size_t>(mesh);
    const std::vector<int>& indices = model.indices[m];
    const long long wanted = 3LL * std::max(0, model.numTris[m]);
    const int count = static_cast<int>(std::min<long long>(wanted, static_cast<long long>(indices.size())));
    const int vertexCount = static_cast<int>(model.verts[m].size());
    for (int i = 0; i < count; ++i)
        if (indices[static_cast<size_t>(i)] < 0 || indices[static_cast<size_t>(i)] >= vertexCount) return 0;
    return count - count % 3;
}

} // namespace render
