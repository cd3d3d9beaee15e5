// tests/fuzz/fuzz_tga.cpp -- libFuzzer target: readTga on arbitrary bytes, then the normal map
// and mip chain built from whatever decoded.
#include <cstddef>
#include <cstdint>

#include "model/normal_map.h"
#include "model/tga_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TgaImage image;
    if (!readTga(data, size, image)) return 0;
    // Keep the CPU work per input small: only modest images go on to the normal map.
    if (size_t(image.width) * size_t(image.height) > 256 * 256) return 0;
    NormalMapSources sources;
    sources.height = &image;
    buildNormalMipChain(buildNormalMap(sources));
    NormalMapSources localOnly;
    localOnly.local = &image;
    localOnly.diffuse = &image;
    buildNormalMipChain(buildNormalMap(localOnly));
    return 0;
}
