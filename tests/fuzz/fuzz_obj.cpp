// tests/fuzz/fuzz_obj.cpp -- libFuzzer target: OBJ text and its MTL library (after the first zero byte), then the post-processing of a load.
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
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string_view obj = input.substr(0, split);
    bool hasLibrary = split != std::string_view::npos;
    std::string_view library = hasLibrary ? input.substr(split + 1) : std::string_view();
    auto loadLibrary = [&](const std::string&, std::string& contents) {
        contents.assign(library);
        return hasLibrary;
    };
    Model model;
    staticmodel::readObjText(model, obj, "fuzz/model.obj", loadLibrary);
    postProcessModel(model); // as a load does: analysis and edges on what was read
    return 0;
}
