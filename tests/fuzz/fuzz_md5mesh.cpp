// tests/fuzz/fuzz_md5mesh.cpp -- libFuzzer target: an MD5mesh file from memory, read and post-processed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/debug_log.h"
#include "load/load_model.h"
#include "model/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The log goes to memory: writing a file per line would slow the run to a crawl.
    static std::string log;
    debugLog().captureTo(&log);
    log.clear();
    Model model;
    loadMd5MeshFromMemory(model, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.md5mesh");
    return 0;
}
