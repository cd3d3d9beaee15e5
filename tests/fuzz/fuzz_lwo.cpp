// tests/fuzz/fuzz_lwo.cpp -- libFuzzer target: the LWO2 reader's memory entry, then the post-processing of a load.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/debug_log.h"
#include "load/load_model.h"
#include "model/model.h"
#include "model/static_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string log;
    debugLog().captureTo(&log);
    log.clear();
    Model model;
    staticmodel::readLwoBytes(model, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.lwo");
    postProcessModel(model); // as a load does: analysis and edges on what was read
    return 0;
}
