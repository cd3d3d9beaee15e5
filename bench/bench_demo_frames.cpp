// bench/bench_demo_frames.cpp -- the demo scene drawn by the viewer's own start-up and frame
// loop at 640 x 480 on the offscreen driver: frames per second with its three lights
// (shadows off), and the allocations a frame makes once every mesh has been drawn.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell/shell.h"
#include "bench/allocation_counter.h"
#include "scene/scene.h"

namespace {

// OSTRELLE_FRAMES: fewer frames for a quick look.
const int kFrames = getenv("OSTRELLE_FRAMES") ? atoi(getenv("OSTRELLE_FRAMES")) : 300;

// Processor time of the whole process, the driver's drawing threads included: unlike the
// frame rate it does not depend on what else the machine is running.
double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void drawFrame(Shell& shell, Scene& scene) {
    runFrame(shell, scene);
    glFinish(); // the driver's deferred drawing counts in the frame
    shell.window.swapBuffers();
    shell.controls.keys.clearPressed();
}

// The viewer started once on the demo scene for every run of the benchmark.
struct DemoBench {
    Shell shell;
    std::string error;
    bool ready = false;
};

DemoBench& demoBench() {
    static DemoBench bench;
    static bool started = false;
    if (started) return bench;
    started = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (chdir(OSTRELLE_BINARY_DIR "/demo") != 0) {
        bench.error = "no demo scene in the build folder";
        return bench;
    }
    bench.shell.options.headless = bench.shell.options.noDialogs = true;
    // OSTRELLE_CAPS takes a --caps list, to time the other paths.
    if (const char* caps = getenv("OSTRELLE_CAPS")) bench.shell.options.caps = caps;
    if (!bench.shell.window.open("demo bench", 640, 480, true, bench.error)) return bench;
    openPanel(bench.shell, theScene(), false);
    int exitCode = 0;
    bench.ready = runStartup(bench.shell, theScene(), exitCode);
    if (!bench.ready) bench.error = "start-up failed";
    theScene().shadowMode = 0;
    return bench;
}

// Argument: the number of the demo's lights kept (0: the ambient pass alone, to tell the
// lights' share of a frame). Runs with fewer lights must come after those with more.
void BM_DemoFrames(benchmark::State& state) {
    DemoBench& bench = demoBench();
    if (!bench.ready) {
        state.SkipWithError(bench.error.c_str());
        return;
    }
    Shell& shell = bench.shell;
    Scene& scene = theScene();
    const int lightCount = static_cast<int>(state.range(0));
    if (lightCount < scene.numlights) {
        scene.lights.resize(static_cast<size_t>(lightCount));
        scene.numlights = lightCount;
    }
    for (auto _ : state) {
        drawFrame(shell, scene); // the first frame grows the scratch arrays
        const long long allocationsBefore = allocationCount.load();
        // Per frame, to tell the viewer's steady allocations from the driver's occasional
        // bursts (its shader compiler allocates when a new combination of state first appears).
        std::vector<long long> perFrame;
        perFrame.reserve(static_cast<size_t>(kFrames));
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processSeconds();
        for (int frame = 1; frame < kFrames; ++frame) {
            const long long before = allocationCount.load();
            drawFrame(shell, scene);
            perFrame.push_back(allocationCount.load() - before);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["fps"] = (kFrames - 1) / seconds;
        state.counters["cpu_ms_per_frame"] = (processSeconds() - cpuStart) * 1000.0 / (kFrames - 1);
        state.counters["allocs_per_frame"] =
            static_cast<double>(allocationCount.load() - allocationsBefore) / (kFrames - 1);
        std::nth_element(perFrame.begin(), perFrame.begin() + static_cast<long>(perFrame.size() / 2), perFrame.end());
        state.counters["allocs_median_frame"] = static_cast<double>(perFrame[perFrame.size() / 2]);
        state.counters["lights"] = static_cast<double>(scene.lights.size());
    }
}

BENCHMARK(BM_DemoFrames)->Arg(3)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
