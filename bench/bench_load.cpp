// bench/bench_load.cpp -- loading the generated 100,000-vertex two-mesh MD5 model: read, post-processing,
// analysis and edges, as readmeshfromfile does it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "base/debug_log.h"
#include "base/file_open.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "tools/bench_md5_writer.h"

// Every allocation of the process is counted, so the report shows how many a load makes.
std::atomic<long long> allocationCount{0};

void* operator new(size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

// The model lives in the build folder; it is written on first use.
const std::string& benchMeshPath() {
    static const std::string path = std::string(OSTRELLE_BINARY_DIR) + "/bench_two_meshes.md5mesh";
    if (!std::filesystem::exists(path)) benchmesh::writeBenchMesh(path.c_str());
    return path;
}

void BM_ReadmeshfromfileBenchMesh(benchmark::State& state) {
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
BENCHMARK(BM_ReadmeshfromfileBenchMesh)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_ReadOnlyBenchMesh)->Unit(benchmark::kMillisecond);

} // namespace
