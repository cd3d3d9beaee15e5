// bench/bench_static_load.cpp -- load times of the OBJ, ASE and LWO2 readers on real and generated files.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <string>

#include "base/debug_log.h"
#include "model/model.h"

namespace {

const std::string kTestData = OSTRELLE_TESTDATA_DIR;
// Written by: gen_bench_obj <build>/bench/grid_200k.obj 200000
const std::string kGeneratedObj = std::string(OSTRELLE_BINARY_DIR) + "/bench/grid_200k.obj";

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

enum class Reader { Obj, Ase, Lwo };

// One full read through the file entry, as readmeshfromfile calls it (reading the file included).
void loadStatic(benchmark::State& state, const std::string& path, Reader reader) {
    if (!exists(path)) {
        state.SkipWithError(("missing " + path).c_str());
        return;
    }
    std::string log; // keep texture-lookup lines out of the log file
    debugLog().captureTo(&log);
    int triangles = 0;
    for (auto _ : state) {
        Model model;
        if (reader == Reader::Obj) model.readObj(path.c_str());
        else if (reader == Reader::Ase) model.readAse(path.c_str());
        else model.readLwo(path.c_str());
        triangles = 0;
        for (int m = 0; m < model.numMeshes(); ++m) triangles += model.numTris(m);
        benchmark::DoNotOptimize(triangles);
        log.clear();
    }
    debugLog().captureTo(nullptr);
    state.counters["triangles"] = triangles;
}

} // namespace

BENCHMARK_CAPTURE(loadStatic, WusonOBJ, kTestData + "/obj/misc/WusonOBJ.obj", Reader::Obj)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadStatic, generated_200k_obj, kGeneratedObj, Reader::Obj)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadStatic, Rifle_ase, kTestData + "/ase/rifle/Rifle.ase", Reader::Ase)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadStatic, rifle_lwo, kTestData + "/lwo/rifle/rifle.lwo", Reader::Lwo)->Unit(benchmark::kMillisecond);
