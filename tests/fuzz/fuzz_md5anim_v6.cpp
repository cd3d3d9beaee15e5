// tests/fuzz/fuzz_md5anim_v6.cpp -- the version 6 animation reader on any bytes, as a model's animation
// and as the camera animation, then binding, pose, the camera channels and skinning.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/animation.h"
#include "anim/camera_animation.h"
#include "base/gl_capabilities.h"
#include "tests/fuzz/anim_fuzz_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text = "MD5Version 6\n";
    text.append(reinterpret_cast<const char*>(data), size);
    Model model;
    buildFuzzModel(model);
    model.loadAnimationText(text);
    GlCapabilities caps;
    for (double t : {0.0, 0.37, 5.0, -1.25, 1e9}) {
        model.animate(t);
        model.updateAllMeshes(caps);
    }
    Model camera;
    cameraClock().t0 = 0;
    camera.loadCameraAnimationText(text);
    float matrix[17];
    for (double t : {0.5, 0.9, 7.0, -3.0}) {
        camera.updateCameraAnimation(t);
        camera.getCameraMatrix(-1, matrix);
        camera.getCameraMatrix(1, matrix);
    }
    return 0;
}
