// bench/bench_skinning.cpp -- posing and skinning with vectors: 100,000 vertices, 200,000 triangles, 40 joints.
#include <benchmark/benchmark.h>

#include "bench/allocation_counter.h"
#include "anim/skinning_reference.h"
#include "model/model.h"
#include "base/gl_capabilities.h"
#include "tests/support/synthetic_skin.h"

namespace {

GlCapabilities fullCapabilities() {
    GlCapabilities caps;
    caps.hasEnvDot3 = caps.hasCubeMap = caps.hasMultitexture = 1;
    return caps;
}

// One frame as the main loop runs it: the pose at a new time, then skinning and every vector.
void BM_PoseAndSkinFrame(benchmark::State& state) {
    Model model;
    synthetic::buildTorusModel(model, 400, 250, 40);
    synthetic::attachWaveAnimation(model, 60, 24.0f);
    const GlCapabilities caps = fullCapabilities();
    double time = 0;
    const long long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        model.animate(time);
        model.updateAllMeshes(caps);
        benchmark::DoNotOptimize(model.verts[0][1234].normal[0]);
        time += 1.0 / 60.0;
    }
    state.counters["allocs/frame"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) / static_cast<double>(state.iterations());
    state.counters["verts"] = model.numVertsTotal(0);
    state.counters["tris"] = model.numTris(0);
}
BENCHMARK(BM_PoseAndSkinFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same frame through the plain reference loops, for comparison.
void BM_PoseAndSkinFramePlain(benchmark::State& state) {
    Model model;
    synthetic::buildTorusModel(model, 400, 250, 40);
    synthetic::attachWaveAnimation(model, 60, 24.0f);
    const GlCapabilities caps = fullCapabilities();
    double time = 0;
    for (auto _ : state) {
        model.animate(time);
        referenceUpdateMeshVectors(model, 0, caps);
        benchmark::DoNotOptimize(model.verts[0][1234].normal[0]);
        time += 1.0 / 60.0;
    }
}
BENCHMARK(BM_PoseAndSkinFramePlain)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
