// tests/support/analysis_compare.h -- runs the fast or the pairwise analysis on a model and
// names the first field in which two analysed models differ.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "model/model.h"
#include "shadow/analysis_steps.h"
#include "shadow/geometry_analysis.h"

namespace analysis_compare {

// Runs the analysis of every mesh and the edge builder, fast or pairwise, capturing the log.
inline std::string analyse(Model& model, bool fast) {
    ScopedLogCapture log;
    for (int m = 0; m < model.numMeshes(); ++m) {
        if (fast)
            shadow::analyzeGeometry(model, m);
        else
            shadow::reference::analyzeGeometry(model, m);
    }
    if (fast)
        shadow::buildEdges(model);
    else
        shadow::reference::buildEdges(model);
    return log.text;
}

// Entries first .. last of a flat list.
inline std::string listText(const std::vector<int>& items, int first, int last) {
    std::ostringstream out;
    for (int r = first; r < last; ++r) out << items[static_cast<size_t>(r)] << ' ';
    return out.str();
}

// The clone list of vertex i, the triangles its entries were made for, the receivers of triangle t.
inline std::vector<int> cloneListOf(const Model& model, size_t m, size_t i) {
    return std::vector<int>(model.cloneItems[m].begin() + model.cloneStart[m][i],
                            model.cloneItems[m].begin() + model.cloneStart[m][i + 1]);
}
inline std::vector<int> cloneTrisOf(const Model& model, size_t m, size_t i) {
    return std::vector<int>(model.cloneTriItems[m].begin() + model.cloneStart[m][i],
                            model.cloneTriItems[m].begin() + model.cloneStart[m][i + 1]);
}
inline std::vector<int> receiversOf(const Model& model, size_t m, size_t t) {
    return std::vector<int>(model.triCloneItems[m].begin() + model.triCloneStart[m][t],
                            model.triCloneItems[m].begin() + model.triCloneStart[m][t + 1]);
}

inline std::string vertexText(const Model& model, size_t m, size_t i) {
    const Vertex& v = model.verts[m][i];
    const int first = model.cloneStart[m][i], last = model.cloneStart[m][i + 1];
    std::ostringstream out;
    out << v.u << ',' << v.v << " w" << v.weightStart << '+' << v.weightCount << " p" << v.pos[0] << ',' << v.pos[1]
        << ',' << v.pos[2] << " clones[" << last - first << "] " << listText(model.cloneItems[m], first, last) << "| "
        << listText(model.cloneTriItems[m], first, last);
    return out.str();
}

inline std::string triangleText(const Model& model, size_t m, size_t t) {
    const Triangle& tri = model.tris[m][t];
    const int first = model.triCloneStart[m][t], last = model.triCloneStart[m][t + 1];
    std::ostringstream out;
    out << tri.v[0] << ' ' << tri.v[1] << ' ' << tri.v[2] << " receivers[" << last - first << "] "
        << listText(model.triCloneItems[m], first, last);
    return out.str();
}

inline std::string edgeText(const Edge& e) {
    std::ostringstream out;
    out << e.v0 << ' ' << e.v1 << ' ' << e.tri0 << ' ' << e.tri1 << ' ' << int(e.isSilhouette);
    return out.str();
}

// The first field in which the two analysed models differ, or "" when none does.
inline std::string firstDifference(const Model& a, const Model& b) {
    std::ostringstream out;
    for (size_t m = 0; m < a.verts.size(); ++m) {
        const int mesh = static_cast<int>(m);
        if (a.numVertsTotal(mesh) != b.numVertsTotal(mesh)) out << "mesh " << m << " numVertsTotal";
        else if (a.numClones(mesh) != b.numClones(mesh)) out << "mesh " << m << " numClones";
        else if (a.numDuplicates[m] != b.numDuplicates[m]) out << "mesh " << m << " numDuplicates";
        else if (a.numEdges(mesh) != b.numEdges(mesh)) out << "mesh " << m << " numEdges";
        else if (a.verts[m].size() != b.verts[m].size()) out << "mesh " << m << " vertex records";
        else if (a.indices[m] != b.indices[m]) out << "mesh " << m << " indices";
        else if (a.cloneStart[m] != b.cloneStart[m]) out << "mesh " << m << " clone starts";
        else if (a.triCloneStart[m] != b.triCloneStart[m]) out << "mesh " << m << " receiver starts";
        else if (a.edges[m].size() != b.edges[m].size()) out << "mesh " << m << " edge records";
        if (!out.str().empty()) return out.str();
        for (size_t i = 0; i < a.verts[m].size(); ++i) {
            const std::string va = vertexText(a, m, i), vb = vertexText(b, m, i);
            if (va != vb) return "mesh " + std::to_string(m) + " vertex " + std::to_string(i) + ": " + va + " / " + vb;
        }
        for (size_t t = 0; t < a.tris[m].size(); ++t) {
            const std::string ta = triangleText(a, m, t), tb = triangleText(b, m, t);
            if (ta != tb) return "mesh " + std::to_string(m) + " triangle " + std::to_string(t) + ": " + ta + " / " + tb;
        }
        for (size_t e = 0; e < a.edges[m].size(); ++e) {
            const std::string ea = edgeText(a.edges[m][e]), eb = edgeText(b.edges[m][e]);
            if (ea != eb) return "mesh " + std::to_string(m) + " edge " + std::to_string(e) + ": " + ea + " / " + eb;
        }
    }
    return "";
}

} // namespace analysis_compare
