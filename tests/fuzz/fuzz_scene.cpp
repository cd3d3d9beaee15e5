// tests/fuzz/fuzz_scene.cpp -- libFuzzer target: the scene file reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/debug_log.h"
#include "base/dialogs.h"
#include "scene/scene.h"

namespace {
// Keeps the placeholder message box quiet.
class SilentDialogs : public Dialogs {
public:
    DialogAnswer messageBox(const std::string&, const std::string&, DialogKind) override { return DialogAnswer::Ok; }
    std::string chooseOpenFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return {};
    }
    bool chooseColour(float[3]) override { return false; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentDialogs silent;
    static std::string logSink;
    setDialogs(&silent);
    debugLog().captureTo(&logSink);
    logSink.clear();

    Scene scene;
    readSceneText(scene, std::string_view(reinterpret_cast<const char*>(data), size));
    // Stand-ins for loaded models (no files are opened): one joint each, for bound lights.
    for (int i = 0; i < scene.nummodels; ++i) {
        auto model = std::make_unique<Model>();
        model->joints.resize(1);
        model->joints[0].name = "lamp";
        scene.models[static_cast<size_t>(i)] = std::move(model);
        updateModelPlacement(scene, i);
    }
    // The operations the frame and the panel run on what was read.
    updateBoundLights(scene);
    removeModelSlot(scene);
    removeLight(scene);
    addLight(scene);
    return 0;
}
