// bench/bench_shadow.cpp -- one light's silhouettes and shadow-volume geometry for the generated
// 200,000-triangle two-mesh model, on one core, as the frame computes them before sending.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/allocation_counter.h"
#include "bench/bench_mesh.h"
#include "base/debug_log.h"
#include "model/model.h"
#include "shadow/shadow_volume.h"

namespace {

// A light off to one side above the two tori, in model space.
void BM_SilhouettesAndVolumeOneLight(benchmark::State& state) {
    ScopedLogCapture log;
    Model model(benchMeshPath().c_str(), nullptr);
    const float light[4] = {90.0f, 40.0f, 120.0f, 1.0f};
    std::copy(light, light + 4, model.lightPosModel);
    std::vector<shadow::VolumeGeometry> volumes(static_cast<size_t>(model.numMeshes()));
    long long caps = 0, sides = 0;
    const long long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        shadow::markAllSilhouettes(model);
        caps = sides = 0;
        for (int m = 0; m < model.numMeshes(); ++m) {
            shadow::VolumeGeometry& volume = volumes[static_cast<size_t>(m)];
            shadow::buildVolumeGeometry(model, m, volume);
            caps += volume.capCount();
            sides += volume.sideCount();
        }
        benchmark::DoNotOptimize(volumes.data());
    }
    state.counters["allocs/iter"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) / static_cast<double>(state.iterations());
    int tris = 0;
    for (int m = 0; m < model.numMeshes(); ++m) tris += model.numTris(m);
    state.counters["tris"] = tris;
    state.counters["lit"] = static_cast<double>(caps);
    state.counters["sides"] = static_cast<double>(sides);
}
BENCHMARK(BM_SilhouettesAndVolumeOneLight)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
