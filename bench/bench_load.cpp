// bench/bench_load.cpp -- loading the generated 100,000-vertex two-mesh MD5 model: read, post-processing,
// analysis and edges, as readmeshfromfile does it.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/allocation_counter.h"
#include "bench/bench_mesh.h"
#include "base/debug_log.h"
#include "base/large_buffers.h"
#include "base/file_open.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"

namespace {

void BM_ReadmeshfromfileBenchMesh(benchmark::State& state) {
    keepFreedMemoryForReuse(); // as the program does
    const std::string& path = benchMeshPath();
    ScopedLogCapture log;
    const long long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        Model model(path.c_str(), nullptr);
        benchmark::DoNotOptimize(model.verts.data());
        log.text.clear();
    }
    state.counters["allocs/load"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) / static_cast<double>(state.iterations());
}
// Wall time: the meshes are read on several threads.
BENCHMARK(BM_ReadmeshfromfileBenchMesh)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader alone, from bytes already in memory.
void BM_ReadOnlyBenchMesh(benchmark::State& state) {
    std::string data;
    readWholeFile(benchMeshPath(), data);
    ScopedLogCapture log;
    const long long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        Model model;
        md5::readMeshFromMemory(model, data, "bench.md5mesh");
        benchmark::DoNotOptimize(model.verts.data());
        log.text.clear();
    }
    state.counters["allocs/read"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadOnlyBenchMesh)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
