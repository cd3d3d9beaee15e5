// tests/fuzz/fuzz_image.cpp -- libFuzzer target: readImage on arbitrary bytes (PNG, JPG and BMP
// by their signatures, TGA otherwise), then the normal map and mip chain built from whatever
// decoded, as a height map and as a tangent-space map.
#include <cstddef>
#include <cstdint>

#include "model/image_reader.h"
#include "model/normal_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TgaImage image;
    if (!readImage(data, size, image)) return 0;
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
