// bench/bench_analysis.cpp -- times the geometry analysis and the edge builder, fast and pairwise.
#include <benchmark/benchmark.h>

#include "base/debug_log.h"
#include "model/model.h"
#include "shadow/geometry_analysis.h"
#include "tests/analysis_meshes.h"

namespace {

// A skinned (40 joints) or static grid of columns x rows quads with a texture seam, a mirrored
// strip and exact duplicates; 316 x 316 gives 100,489 vertices read plus seam twins and copies,
// and 199,712 triangles.
analysis_meshes::MeshShape benchGrid(int size, int joints) {
    analysis_meshes::GridOptions o;
    o.columns = size;
    o.rows = size;
    o.seamColumn = size / 3;
    o.mirrorColumn = 2 * size / 3;
    o.duplicateEvery = 997;
    o.joints = joints;
    return analysis_meshes::gridMesh(o);
}

void runAnalysis(benchmark::State& state, bool fast) {
    const int size = static_cast<int>(state.range(0));
    const int joints = static_cast<int>(state.range(1));
    const analysis_meshes::MeshShape shape = benchGrid(size, joints);
    for (auto _ : state) {
        state.PauseTiming();
        Model model;
        analysis_meshes::buildModel(model, {shape}, joints);
        ScopedLogCapture log;
        state.ResumeTiming();
        if (fast)
            shadow::analyzeGeometry(model, 0);
        else
            shadow::reference::analyzeGeometry(model, 0);
        benchmark::DoNotOptimize(model.numClones(0));
        state.PauseTiming();
        state.counters["verts"] = model.numVerts[0];
        state.counters["tris"] = model.numTris(0);
        state.counters["clones"] = model.numClones(0);
        state.counters["duplicates"] = model.numDuplicates[0];
        state.ResumeTiming();
    }
}

void runEdges(benchmark::State& state, bool fast) {
    const int size = static_cast<int>(state.range(0));
    const int joints = static_cast<int>(state.range(1));
    Model model;
    analysis_meshes::buildModel(model, {benchGrid(size, joints)}, joints);
    ScopedLogCapture log;
    shadow::analyzeGeometry(model, 0);
    for (auto _ : state) {
        if (fast)
            shadow::buildEdges(model);
        else
            shadow::reference::buildEdges(model);
        benchmark::DoNotOptimize(model.numEdges(0));
    }
    state.counters["tris"] = model.numTris(0);
    state.counters["edges"] = model.numEdges(0);
}

void BM_AnalyzeGeometry(benchmark::State& state) { runAnalysis(state, true); }
void BM_AnalyzeGeometryPairwise(benchmark::State& state) { runAnalysis(state, false); }
void BM_BuildEdges(benchmark::State& state) { runEdges(state, true); }
void BM_BuildEdgesLinearSearch(benchmark::State& state) { runEdges(state, false); }

} // namespace

BENCHMARK(BM_AnalyzeGeometry)->Args({316, 40})->Args({316, 0})->Args({40, 40})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyzeGeometryPairwise)->Args({40, 40})->Args({40, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildEdges)->Args({316, 40})->Args({40, 40})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildEdgesLinearSearch)->Args({40, 40})->Unit(benchmark::kMillisecond);
