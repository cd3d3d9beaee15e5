// tests/viewer_logic_test.cpp -- projection, text lines, title, command line, the
// capability probe's decisions and limits, and the GL error report text.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/logic/capability_probe.h"
#include "base/debug_log.h"
#include "render/logic/gl_error_names.h"
#include "app/text_lines.h"
#include "base/view_math.h"
#include "app/viewer_options.h"
#include "scene/scene.h"

TEST(Projection, FarPlaneAtInfinityAndStereoHalvesTheWidth) {
    float m[16];
    infinitePerspective(45.0, viewAspect(470, 480, 0), 1.0, 20000.0, m);
    EXPECT_FLOAT_EQ(m[10], -1.0f);
    EXPECT_FLOAT_EQ(m[14], -2.0f);
    EXPECT_FLOAT_EQ(m[11], -1.0f);
    EXPECT_NEAR(m[5], 1.0 / tan(22.5 * M_PI / 180), 1e-5);
    EXPECT_NEAR(m[0], m[5] * 480.0f / 470.0f, 1e-5);
    EXPECT_EQ(viewWidth(641, 1), 320);
    EXPECT_DOUBLE_EQ(viewAspect(641, 100, 2), 3.2);
    EXPECT_DOUBLE_EQ(viewAspect(100, 0, 0), 100.0); // height 0 counts as 1
    float p[3] = {1, 2, 3}, out[3];
    transformPoint(m, p, out);
    EXPECT_FLOAT_EQ(out[2], -3.0f - 2.0f);
}

// A light brought into a placed model's space lands where the placement puts it back.
TEST(Projection, InverseRigidTransformUndoesRotationAndTranslation) {
    const float m[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}; // 90 degrees about z, then (5, 6, 7)
    const float local[3] = {1, 2, 3};
    float world[3], back[3];
    transformPoint(m, local, world);
    inverseRigidTransformPoint(m, world, back);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], local[i], 1e-6) << i;
}

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
    // A slot whose model did not load shows the name the scene gave it; the load's problem stays
    // with the model for standard error.
    ScopedLogCapture log;
    Scene scene;
    scene.nummodels = 2;
    scene.modelname = {std::string("models/missing.md5mesh"), std::nullopt};
    scene.models.resize(2);
    scene.models[0] = std::make_unique<Model>("models/missing.md5mesh", nullptr);
    scene.models[1] = std::make_unique<Model>(nullptr, nullptr);
    EXPECT_EQ(sceneStatusLine(scene),
              "current model in focus (PgUp/Dwn): 0 models/missing.md5mesh (not loaded) 0.000000");
    ASSERT_EQ(scene.models[0]->problems.size(), 1u);
    EXPECT_EQ(problemLine(scene.models[0]->problems[0]).rfind("ostrelle: models/missing.md5mesh: cannot open: No such "
                                                             "file or directory", 0),
              0u);
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

namespace {
bool parse(std::vector<const char*> args, ViewerOptions& o) {
    std::string error;
    return parseViewerOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), o, error);
}
} // namespace

TEST(ViewerOptions, ParsesEveryOptionAndImpliesNoDialogs) {
    ViewerOptions o;
    ASSERT_TRUE(parse({"ostrelle", "scenes/a", "--screenshot", "x.png", "--frames", "5", "--time", "1.5", "--size",
                       "320x200", "--press", "F2 q Shift+PageDown", "--caps", "units=2,-regcomb", "--panel-page",
                       "scene", "--panel-shot", "p.png", "--drop", "a.obj", "--drop", "b.md5anim"},
                      o));
    EXPECT_EQ(o.directory, "scenes/a");
    EXPECT_EQ(o.screenshotFile, "x.png");
    EXPECT_EQ(o.frames, 5);
    EXPECT_TRUE(o.hasTime && o.time == 1.5);
    EXPECT_TRUE(o.width == 320 && o.height == 200);
    ASSERT_EQ(o.presses.size(), 3u);
    EXPECT_EQ(std::vector<int>({o.presses[0].key, o.presses[1].key, o.presses[2].key}),
              std::vector<int>({0x71, 'Q', 0x22}));
    EXPECT_TRUE(o.presses[2].shift);
    EXPECT_TRUE(o.noDialogs);
    EXPECT_EQ(o.caps, "units=2,-regcomb");
    EXPECT_EQ(o.panelPage, 1);
    EXPECT_EQ(o.panelShotFile, "p.png");
    EXPECT_EQ(o.drops, (std::vector<std::string>{"a.obj", "b.md5anim"}));

    for (std::vector<const char*> bad :
         {std::vector<const char*>{"o", "--size", "12"}, {"o", "--frames", "0"}, {"o", "--press", "Hyper+Q"},
          {"o", "--frames"}, {"o", "--bogus"}, {"o", "a", "b"}, {"o", "--panel-page", "Lights"},
          {"o", "a.ase", "b.md5anim", "c"}, {"o", "scenes/a", "a.ase"}}) {
        ViewerOptions p;
        EXPECT_FALSE(parse(bad, p)) << bad[1];
    }
    ViewerOptions h;
    ASSERT_TRUE(parse({"o", "--headless"}, h));
    EXPECT_TRUE(h.noDialogs);
    // A windowed screenshot run may keep the choosers while message boxes go to the console.
    ViewerOptions c;
    ASSERT_TRUE(parse({"o", "--screenshot", "x.png", "--console-messages"}, c));
    EXPECT_FALSE(c.noDialogs);
    EXPECT_TRUE(c.consoleMessages);
}

// A model file instead of the folder, told apart by its extension, may be followed by its animation.
TEST(ViewerOptions, ModelFileThenItsAnimationInsteadOfAFolder) {
    struct Case {
        std::vector<const char*> args;
        const char *directory, *model, *anim;
    } cases[] = {
        {{"o", "models/Bob.md5mesh", "models/Bob.md5anim"}, "", "models/Bob.md5mesh", "models/Bob.md5anim"},
        {{"o", "--headless", "rifle.OBJ"}, "", "rifle.OBJ", ""},
        {{"o", "c:\\data\\box.lwo", "--frames", "2", "walk.md5anim"}, "", "c:\\data\\box.lwo", "walk.md5anim"},
        {{"o", "scenes.obj/demo"}, "scenes.obj/demo", "", ""}, // a folder whose name holds an extension
    };
    for (const Case& c : cases) {
        ViewerOptions o;
        ASSERT_TRUE(parse(c.args, o)) << c.args[1];
        EXPECT_EQ(o.directory, c.directory);
        EXPECT_EQ(o.modelFile, c.model);
        EXPECT_EQ(o.animFile, c.anim);
    }
}

namespace {
int fakeLimit(GlLimit which) { return which == GlLimit::MaxTextureUnits ? 4 : 2; }
} // namespace

TEST(CapabilityProbe, BlankTerminatedNamesOnly) {
    EXPECT_TRUE(isExtensionSupported("GL_ARB_multitexture GL_EXT_bgra", "GL_ARB_multitexture"));
    EXPECT_FALSE(isExtensionSupported("GL_ARB_multitexture GL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_FALSE(isExtensionSupported(nullptr, "GL_EXT_bgra"));
    EXPECT_FALSE(isExtensionSupported("x ", std::string(600, 'x').c_str())); // longer than the buffer
}

TEST(CapabilityProbe, FlagsLimitsAndStandardOutputMessages) {
    GlCapabilities caps;
    std::string out;
    probeExtensionString("GL_EXT_texture_cube_map GL_ARB_multitexture GL_EXT_bgra GL_EXT_texture_env_combine "
                         "GL_EXT_separate_specular_color GL_NV_register_combiners GL_ARB_texture_env_crossbar ",
                         true, fakeLimit, caps, out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(caps.hasCubeMap, 1);
    EXPECT_EQ(caps.hasMultitexture, 1);
    EXPECT_EQ(caps.maxTextureUnits, 4);
    EXPECT_EQ(caps.hasRegisterCombiners, 1);
    EXPECT_EQ(caps.maxGeneralCombiners, 2);
    EXPECT_EQ(caps.hasCombine4, 1);
    EXPECT_EQ(caps.hasEnvDot3, 0);

    GlCapabilities bare;
    std::string missing;
    probeExtensionString("GL_EXT_bgra GL_EXT_texture_env_combine GL_EXT_separate_specular_color ", true, fakeLimit,
                         bare, missing);
    EXPECT_EQ(missing, "I require the GL_ARB_multitexture OpenGL extension to work.\n"
                       "I require the GL_ARB_texture_cube_map OpenGL extension to bump map.\n"
                       "\nExiting because required OpenGL extensions are not supported.\n");
    EXPECT_EQ(bare.maxTextureUnits, 0);

    GlCapabilities noSwap;
    std::string swapOnly;
    probeExtensionString("GL_EXT_bgra GL_ARB_multitexture GL_EXT_texture_env_combine GL_ARB_texture_cube_map "
                         "GL_EXT_separate_specular_color ",
                         false, fakeLimit, noSwap, swapOnly);
    // Only the window system's swap control is missing: its real name, and the program goes on.
    EXPECT_EQ(swapOnly, "I require the GLX_EXT_swap_control OpenGL extension to work. Going on without it: the "
                        "swap interval stays the driver's.\n");
}

TEST(CapabilityLimits, UnitsAndFlagsAreLimitedAndLogged) {
    GlCapabilities caps;
    caps.hasMultitexture = caps.hasRegisterCombiners = caps.hasCubeMap = 1;
    caps.maxTextureUnits = caps.maxGeneralCombiners = 8;
    std::string log, error;
    ASSERT_TRUE(applyCapabilityLimits("units=2, -regcomb -cubemap", caps, log, error)) << error;
    EXPECT_EQ(caps.maxTextureUnits, 2);
    EXPECT_EQ(caps.hasRegisterCombiners, 0);
    EXPECT_EQ(caps.maxGeneralCombiners, 0);
    EXPECT_EQ(caps.hasCubeMap, 0);
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
