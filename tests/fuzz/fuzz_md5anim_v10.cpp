// tests/fuzz/fuzz_md5anim_v10.cpp -- the version 10 animation reader on any bytes, then binding, pose and skinning.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/animation.h"
#include "base/gl_capabilities.h"
#include "tests/fuzz/anim_fuzz_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The version line is given, so that every input reaches the reader proper.
    std::string text = "MD5Version 10\n";
    text.append(reinterpret_cast<const char*>(data), size);
    Model model;
    buildFuzzModel(model);
    model.loadAnimationText(text);
    GlCapabilities caps;
    caps.hasEnvDot3 = caps.hasCubeMap = caps.hasMultitexture = 1;
    for (double t : {0.0, 0.37, 5.0, -1.25, 1e9}) {
        model.animate(t);
        model.updateAllMeshes(caps);
    }
    return 0;
}
