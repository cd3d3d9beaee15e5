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
    for (int m = 0; m < model.numMeshes; ++m) {
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

template <typename T>
inline std::string listText(const std::vector<T>& list) {
    std::ostringstream out;
    for (const T& x : list) out << x << ' ';
    return out.str();
}

inline std::string vertexText(const Vertex& v) {
    std::ostringstream out;
    out << v.u << ',' << v.v << " w" << v.weightStart << '+' << v.weightCount << " p" << v.pos[0] << ',' << v.pos[1]
        << ',' << v.pos[2] << " tris[" << v.numTriRefs << "] " << listText(v.triList) << "| " << listText(v.cornerList)
        << " clones[" << v.numCloneRefs << "] " << listText(v.cloneList) << "| " << listText(v.cloneTris);
    return out.str();
}

inline std::string triangleText(const Triangle& t) {
    std::ostringstream out;
    out << t.v[0] << ' ' << t.v[1] << ' ' << t.v[2] << " receivers[" << t.numTriClones << "] " << listText(t.triCloneList);
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
        if (a.numVertsTotal[m] != b.numVertsTotal[m]) out << "mesh " << m << " numVertsTotal";
        else if (a.numClones[m] != b.numClones[m]) out << "mesh " << m << " numClones";
        else if (a.numDuplicates[m] != b.numDuplicates[m]) out << "mesh " << m << " numDuplicates";
        else if (a.numEdges[m] != b.numEdges[m]) out << "mesh " << m << " numEdges";
        else if (a.verts[m].size() != b.verts[m].size()) out << "mesh " << m << " vertex records";
        else if (a.indices[m] != b.indices[m]) out << "mesh " << m << " indices";
        else if (a.edges[m].size() != b.edges[m].size()) out << "mesh " << m << " edge records";
        if (!out.str().empty()) return out.str();
        for (size_t i = 0; i < a.verts[m].size(); ++i) {
            const std::string va = vertexText(a.verts[m][i]), vb = vertexText(b.verts[m][i]);
            if (va != vb) return "mesh " + std::to_string(m) + " vertex " + std::to_string(i) + ": " + va + " / " + vb;
        }
        for (size_t t = 0; t < a.tris[m].size(); ++t) {
            const std::string ta = triangleText(a.tris[m][t]), tb = triangleText(b.tris[m][t]);
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
