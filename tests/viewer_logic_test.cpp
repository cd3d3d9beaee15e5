// tests/viewer_logic_test.cpp -- the camera's field of view, text lines, title, command line, the
// capability probe's decisions and limits, and the GL error report text.
#include <gtest/gtest.h>

#include <vector>

#include "render/logic/capability_probe.h"
#include "base/debug_log.h"
#include "render/logic/gl_error_names.h"
#include "app/text_lines.h"
#include "base/view_math.h"
#include "app/viewer_options.h"
#include "scene/scene.h"

TEST(Projection, AnimatedCameraWithoutAUsableFovLooksThrough45Degrees) {
    EXPECT_DOUBLE_EQ(animatedCameraFov(78.0f), 78.0);
    for (float fov : {0.0f, -10.0f, 180.0f}) EXPECT_DOUBLE_EQ(animatedCameraFov(fov), 45.0) << fov; // 0: no channel
}

// A model name is text, never a format: "%s" in it prints as it stands.
TEST(TextLines, StatusLineFormatsAndNamesASlotWhoseModelIsMissing) {
    EXPECT_EQ(formatStatusLine(0, nullptr, false, 0),
              "current model in focus (PgUp/Dwn): 0  no models loaded 0.000000");
    EXPECT_EQ(formatStatusLine(1, nullptr, true, 0.5f), "current model in focus (PgUp/Dwn): 1 (null) 0.500000");
    EXPECT_EQ(formatStatusLine(0, "models/a%s.md5mesh", true, -0.25f),
              "current model in focus (PgUp/Dwn): 0 models/a%s.md5mesh -0.250000");
    // A slot whose model did not load shows the name the scene gave it.
    ScopedLogCapture log;
    Scene scene;
    scene.nummodels = 2;
    scene.modelname = {std::string("models/missing.md5mesh"), std::nullopt};
    scene.models.resize(2);
    scene.models[0] = std::make_unique<Model>("models/missing.md5mesh", nullptr);
    scene.models[1] = std::make_unique<Model>(nullptr, nullptr);
    EXPECT_EQ(sceneStatusLine(scene),
              "current model in focus (PgUp/Dwn): 0 models/missing.md5mesh (not loaded) 0.000000");
    scene.model_in_focus = 1;
    EXPECT_EQ(sceneStatusLine(scene), "current model in focus (PgUp/Dwn): 1 (no model file) 0.000000");
}

TEST(FrameCounter, FirstUpdateOnSecondCallShowsFourTimesTheFrames) {
    FrameCounter counter;
    std::string title;
    EXPECT_FALSE(counter.tick(1000, 1000, title));
    ASSERT_TRUE(counter.tick(1001, 1000, title));
    EXPECT_EQ(title, "Ostrelle  -  FPS: 4");
    for (int t = 1011; t <= 1261; t += 10) counter.tick(static_cast<uint64_t>(t), 1000, title);
    EXPECT_EQ(title, "Ostrelle  -  FPS: 104"); // 26 frames: the first tick past a quarter second
    FrameCounter none;
    EXPECT_FALSE(none.tick(5, 0, title));
    EXPECT_FALSE(none.tick(5000, 0, title)); // no counter: the title never changes
}

// The options themselves are read in the program tests' runs.
TEST(ViewerOptions, BadArgumentsAreRefused) {
    for (std::vector<const char*> bad : {std::vector<const char*>{"o", "--press", "Hyper+Q"}, {"o", "--frames"},
                                         {"o", "a", "b"}, {"o", "--panel-page", "Lights"},
                                         {"o", "a.ase", "b.md5anim", "c"}, {"o", "scenes/a", "a.ase"}}) {
        ViewerOptions o;
        std::string error;
        EXPECT_FALSE(parseViewerOptions(int(bad.size()), const_cast<char**>(bad.data()), o, error)) << bad[1];
    }
}

namespace {
// What the probe prints for an extension string, with four texture units and two combiners.
std::string probe(const char* extensions, bool swapControl, GlCapabilities& caps) {
    std::string out;
    probeExtensionString(extensions, swapControl, [](GlLimit w) { return w == GlLimit::MaxTextureUnits ? 4 : 2; }, caps,
                         out);
    return out;
}
} // namespace

TEST(CapabilityProbe, BlankTerminatedNamesFlagsAndStandardOutputMessages) {
    EXPECT_TRUE(isExtensionSupported("GL_ARB_multitexture GL_EXT_bgra", "GL_ARB_multitexture"));
    EXPECT_FALSE(isExtensionSupported("GL_ARB_multitexture GL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_FALSE(isExtensionSupported(nullptr, "GL_EXT_bgra"));
    EXPECT_FALSE(isExtensionSupported("x ", std::string(600, 'x').c_str())); // longer than the buffer
    GlCapabilities caps, bare, noSwap;
    EXPECT_EQ(probe("GL_EXT_texture_cube_map GL_ARB_multitexture GL_EXT_bgra GL_EXT_texture_env_combine "
                    "GL_EXT_separate_specular_color GL_NV_register_combiners GL_ARB_texture_env_crossbar ",
                    true, caps),
              "");
    EXPECT_TRUE(caps.hasCubeMap && caps.hasMultitexture && caps.hasRegisterCombiners && caps.hasCombine4);
    EXPECT_EQ(caps.maxTextureUnits * 10 + caps.maxGeneralCombiners + caps.hasEnvDot3, 42);
    EXPECT_EQ(probe("GL_EXT_bgra GL_EXT_texture_env_combine GL_EXT_separate_specular_color ", true, bare),
              "I require the GL_ARB_multitexture OpenGL extension to work.\n"
              "I require the GL_ARB_texture_cube_map OpenGL extension to bump map.\n"
              "\nExiting because required OpenGL extensions are not supported.\n");
    EXPECT_EQ(bare.maxTextureUnits, 0);
    // Only the window system's swap control is missing: its real name, and the program goes on.
    EXPECT_EQ(probe("GL_EXT_bgra GL_ARB_multitexture GL_EXT_texture_env_combine GL_ARB_texture_cube_map "
                    "GL_EXT_separate_specular_color ",
                    false, noSwap),
              "I require the GLX_EXT_swap_control OpenGL extension to work. Going on without it: the "
              "swap interval stays the driver's.\n");
}

TEST(CapabilityLimits, UnitsAndFlagsAreLimitedAndLogged) {
    GlCapabilities caps;
    caps.hasMultitexture = caps.hasRegisterCombiners = caps.hasCubeMap = 1;
    caps.maxTextureUnits = caps.maxGeneralCombiners = 8;
    std::string log, error;
    ASSERT_TRUE(applyCapabilityLimits("units=2, -regcomb -cubemap", caps, log, error)) << error;
    EXPECT_TRUE(caps.maxTextureUnits == 2 && !caps.hasRegisterCombiners && !caps.maxGeneralCombiners && !caps.hasCubeMap);
    EXPECT_EQ(log, "Capability limited: maxTextureUnits 2\nCapability limited: regcomb off\n"
                   "Capability limited: cubemap off\n");
    GlCapabilities before = caps;
    EXPECT_FALSE(applyCapabilityLimits("-cubemap,-nosuch", caps, log, error));
    EXPECT_EQ(caps.hasCubeMap, before.hasCubeMap);
    EXPECT_FALSE(applyCapabilityLimits("units=x", caps, log, error));
    ASSERT_TRUE(applyCapabilityLimits("units=16", caps, log, error));
    EXPECT_EQ(caps.maxTextureUnits, 2); // a cap never raises the driver's count
}

TEST(GlErrorReport, OneLineTailPerFrameAndNothingWithoutErrors) {
    ScopedLogCapture log;
    std::vector<unsigned> queue = {0x0502, 0x0502, 0x0505, 0};
    size_t next = 0;
    reportErrorCodes([&] { return queue[next++]; });
    reportErrorCodes([] { return 0u; });
    EXPECT_EQ(log.text, "\nGL_INVALID_OPERATION GL_INVALID_OPERATION unhandlederror ");
}
