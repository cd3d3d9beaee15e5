// tests/gl/stereo_glow_test.cpp -- stereo seen in the program's pictures (two eyes, marker
// sizes) and the glow pass drawn on an offscreen context of its own, pixels and state read back.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "program_run.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "tests/gl/gl_checks.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kHalf = kWidth / 2;

// The picture after `frames` frames with `presses`, of scene.txt (the text) or of the demo (null).
Picture runScene(const char* name, const char* scene, const std::string& presses, int frames) {
    ViewerRun run(name);
    if (scene) writeFile(run.dir / "scene.txt", scene);
    else fs::copy(OSTRELLE_DEMO_DIR, run.dir / "demo", fs::copy_options::recursive);
    run.start(std::string("--headless --no-dialogs --screenshot shot.png --size 640x480 --frames ") +
              std::to_string(frames) + (presses.empty() ? "" : " --press \"" + presses + "\"") +
              (scene ? "" : " --time 1.0 demo"));
    Picture picture;
    EXPECT_TRUE(picture.load(run.dir / "shot.png") && picture.width == kWidth) << run.err;
    EXPECT_EQ(run.log().find("GL_INVALID"), std::string::npos) << name;
    return picture;
}

const unsigned char* pixel(const Picture& p, int x, int y) { return &p.rgb[(size_t(y) * size_t(p.width) + x) * 3]; }

// Columns in [fromX, toX) holding a strongly red pixel (the light marker): their count, first and last.
std::array<int, 3> redColumns(const Picture& p, int fromX, int toX) {
    std::array<int, 3> found{0, -1, -1};
    for (int x = fromX; x < toX; ++x)
        for (int y = 0; y < p.height; ++y)
            if (const unsigned char* c = pixel(p, x, y); c[0] > 150 && c[1] < 80 && c[2] < 80) {
                found = {found[0] + 1, found[1] < 0 ? x : found[1], x};
                break;
            }
    return found;
}

// Pixels of the top `rows` rows differing by more than 2 between the views at columns xa and xb.
int viewDifferences(const Picture& a, int xa, const Picture& b, int xb, int rows) {
    int n = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < kHalf; ++x) {
            const unsigned char *p = pixel(a, xa + x, y), *q = pixel(b, xb + x, y);
            n += std::abs(p[0] - q[0]) > 2 || std::abs(p[1] - q[1]) > 2 || std::abs(p[2] - q[2]) > 2;
        }
    return n;
}

// A red selected light at the world origin; the free camera sees it 150 units ahead.
const char* const kOneLight = "basepath /tmp/\nnumlights 1\nlight 0\nlightpos 0 0 0\nlightcolor_d 1 0 0\n";

TEST(Stereo, MarkerSeenFromEyesTenUnitsApartEightPixelsLeftSevenRight) {
    // An eye 5 units aside sees a point 150 ahead this far off the centre of a 320 x 480, 45 degree view.
    const double focal = 1.0 / std::tan(std::acos(-1.0) / 8) * kHeight / kHalf;
    const float shift = static_cast<float>(focal * 5.0 / 150.0 * kHalf / 2);
    // The point's offset in the left view; the right view has the opposite.
    struct Case { const char* name; const char* keys; int frames; float leftShift; } cases[] = {
        {"stereo_parallel", "R", 2, shift}, {"stereo_crossed", "R R", 3, -shift}};
    for (const Case& c : cases) {
        Picture picture = runScene(c.name, kOneLight, c.keys, c.frames);
        const auto left = redColumns(picture, 0, kHalf), right = redColumns(picture, kHalf, kWidth);
        EXPECT_EQ(left[0], 8) << c.name;
        EXPECT_EQ(right[0], 7) << c.name;
        EXPECT_NEAR(0.5f * float(left[1] + left[2] + 1) - kHalf / 2, c.leftShift, 1.0f) << c.name;
        EXPECT_NEAR(0.5f * float(right[1] + right[2] + 1) - (kHalf + kHalf / 2), -c.leftShift, 1.0f) << c.name;
    }
}

// Mended: the help and status lines ran on into the second view. They stay in the first.
TEST(Stereo, TextOnlyInTheFirstView) {
    const Picture picture = runScene("stereo_text", "basepath /tmp/\n", "F1 R", 3);
    int left = 0, right = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (const unsigned char* c = pixel(picture, x, y); c[0] > 200 && c[1] > 200 && c[2] > 200)
                ++(x < kHalf ? left : right);
    EXPECT_GT(left, 500);
    EXPECT_EQ(right, 0);
}

TEST(Stereo, LeftViewOfParallelIsRightViewOfCrossed) {
    if (!fs::exists(fs::path(OSTRELLE_DEMO_DIR) / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene";
    Picture parallel = runScene("demo_parallel", nullptr, "R", 2), crossed = runScene("demo_crossed", nullptr, "R R", 3);
    ASSERT_TRUE(parallel.width == kWidth && crossed.width == kWidth);
    const int aboveText = kHeight - 80; // the status and hint lines sit in the bottom rows
    // A view drawn 320 pixels further right may round a few dozen lone edge pixels otherwise;
    // a view from the wrong eye differs in thousands.
    const int roundedEdges = 64;
    EXPECT_LE(viewDifferences(parallel, 0, crossed, kHalf, aboveText), roundedEdges);
    EXPECT_LE(viewDifferences(parallel, kHalf, crossed, 0, aboveText), roundedEdges);
    EXPECT_GT(viewDifferences(parallel, 0, parallel, kHalf, aboveText), 1000) << "both views from one eye";
}

// F5 in the frame: the small marker stays below the glow's threshold, so the glow halves it.
TEST(Glow, SwitchedByF5) {
    for (bool on : {false, true}) {
        Picture picture = runScene(on ? "glow_on" : "glow_off", kOneLight, on ? "F5" : "", 2);
        EXPECT_EQ(picture.pixelsNear(255, 0, 0) > 0, !on);
        EXPECT_EQ(picture.pixelsNear(127, 0, 0) > 0, on);
    }
}

constexpr int kWindowW = 1100, kWindowH = 800; // room for a picture just over the size limit

OffscreenGl gl;
bool ready = false;
unsigned int glowTex1024 = 0, glowTex64 = 0;

// Opened at the first glow test only: the stereo tests need no context of their own.
void openContext() {
    static const bool opened = ready = openProbed(gl, "glow", kWindowW, kWindowH);
    if (opened && glowTex1024 == 0) {
        glEnable(GL_TEXTURE_2D);
        render::createGlowTextures(glowTex1024, glowTex64);
    }
}

struct CloseContext : ::testing::Environment {
    void TearDown() override { gl.close(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CloseContext);

// A w x h region in grey `background` with a white square of `side` in its middle, in the
// frame's state; the window beyond it blue.
void drawPicture(int w, int h, float background, int side) {
    glClearColor(0, 0, 1, 0);
    render::setFrameState(probedCapabilities());
    render::setUnlitState();
    orthoView(kWindowW, kWindowH, 0, kWindowW, 0, kWindowH, 1);
    glDisable(GL_DEPTH_TEST);
    glColor4f(background, background, background, 1);
    glRectf(0, static_cast<float>(h), static_cast<float>(w), 0); // top first: clockwise, the frame's front
    glColor4f(1, 1, 1, 1);
    glRecti(w / 2 - side / 2, h / 2 + side / 2, w / 2 + side / 2, h / 2 - side / 2);
    glEnable(GL_DEPTH_TEST);
    glViewport(0, 0, w, h);
}

std::vector<unsigned char> readWindow() { return readRgb(kWindowW, kWindowH); }

int red(const std::vector<unsigned char>& rgb, int x, int y) {
    return rgb[(static_cast<size_t>(y) * kWindowW + static_cast<size_t>(x)) * 3];
}

#define REQUIRE_COMBINERS()                                                   \
    openContext();                                                           \
    if (!ready) GTEST_SKIP() << "no offscreen GL context";                   \
    const GlCapabilities& caps = probedCapabilities();                       \
    if (!caps.hasEnvCombine || !caps.hasMultitexture) GTEST_SKIP() << "the driver offers no combiners"

TEST(Glow, BrightSquareSpreadsAndTheDarkBackgroundHalves) {
    REQUIRE_COMBINERS();
    const int w = 640, h = 480, side = 64;
    drawPicture(w, h, 0.1f, side);
    const std::vector<unsigned char> before = readWindow();
    render::applyGlow(1, glowTex1024, glowTex64, w, h, caps);
    const std::vector<unsigned char> after = readWindow();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const int background = red(before, 20, 20), edge = w / 2 + side / 2;
    ASSERT_NEAR(background, 26, 1);
    // Blurred 1.8 x 0.1 stays below the threshold: the background halves, in the corner where the
    // blurred copy was made as elsewhere.
    EXPECT_NEAR(red(after, 20, 20), background / 2, 2);
    EXPECT_NEAR(red(after, 200, 20), background / 2, 2);
    // Blurred white saturates: 0.5 x (1 - 0.25) + 0.5 x 1.
    EXPECT_NEAR(red(after, w / 2, h / 2), 223, 8);
    // Beside the square the background brightens instead of dimming, less with the distance.
    EXPECT_GT(red(after, edge + 2, h / 2), background);
    EXPECT_GT(red(after, edge + 2, h / 2), red(after, edge + 6, h / 2));
    EXPECT_GT(red(after, edge + 6, h / 2), red(after, edge + 20, h / 2));
    // Nothing outside the render region.
    EXPECT_EQ(after[(static_cast<size_t>(h / 2) * kWindowW + 700) * 3 + 2], 255);
    // The state the next frame expects.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, w, h}));
    expectStates({{GL_BLEND, GL_FALSE}, {GL_DEPTH_TEST, GL_TRUE}, {GL_ALPHA_TEST, GL_TRUE},
                  {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_FRONT_FACE, GL_CW}, {GL_MODELVIEW_STACK_DEPTH, 1},
                  {GL_PROJECTION_STACK_DEPTH, 1}});
    expectModulateAndColourWrites();
}

// Not a pixel changed when switched off, without combiners, larger than the capture texture or
// smaller than the blurred corner it copies back.
TEST(Glow, SkippedOutsideItsLimitsWithoutATrace) {
    REQUIRE_COMBINERS();
    GlCapabilities noCombine = caps;
    noCombine.hasEnvCombine = 0;
    struct Case { int glowOn, width, height; bool drawn; const GlCapabilities& caps; } cases[] = {
        {1, 1024, 768, true, caps}, {1, 1025, 768, false, caps}, {1, 768, 1025, false, caps},
        {0, 640, 480, false, caps}, {2, 640, 480, false, caps},  {1, 64, 64, true, caps},
        {1, 63, 480, false, caps},  {1, 640, 40, false, caps},   {1, 640, 480, false, noCombine}};
    for (const Case& c : cases) {
        drawPicture(c.width, c.height, 0.1f, 32);
        const std::vector<unsigned char> before = readWindow();
        render::applyGlow(c.glowOn, glowTex1024, glowTex64, c.width, c.height, c.caps);
        EXPECT_EQ(readWindow() != before, c.drawn) << c.glowOn << " " << c.width << "x" << c.height;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

} // namespace
