// tests/gl/stereo_glow_test.cpp -- stereo seen in the program's pictures (two eyes, marker
// sizes, text only in the first view) and the glow pass drawn on an offscreen context of its
// own, pixels and state read back.
#include <gtest/gtest.h>

#include <cmath>

#include "program_run.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "tests/gl/gl_checks.h"

namespace {

// ---- stereo, through the program ----

constexpr int kWidth = 640, kHeight = 480, kHalf = kWidth / 2;

// The picture after `frames` frames with `presses`, of scene.txt (the text) or of the demo (null).
Picture runScene(const char* name, const char* scene, const std::string& presses, int frames,
                 const char* size = "640x480") {
    ViewerRun run(name);
    if (scene) writeFile(run.dir / "scene.txt", scene);
    else fs::copy(OSTRELLE_DEMO_DIR, run.dir / "demo", fs::copy_options::recursive);
    run.start(std::string("--headless --no-dialogs --screenshot shot.png --size ") + size + " --frames " +
              std::to_string(frames) + (presses.empty() ? "" : " --press \"" + presses + "\"") +
              (scene ? "" : " --time 1.0 demo"));
    Picture picture;
    EXPECT_TRUE(picture.load(run.dir / "shot.png")) << run.err;
    EXPECT_EQ(run.log().find("GL_INVALID"), std::string::npos) << name;
    return picture;
}

const unsigned char* pixel(const Picture& p, int x, int y) {
    return &p.rgb[(static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)) * 3];
}

struct RedColumns { // the columns of the strongly red pixels within [fromX, toX)
    int first = -1, last = -1;
    int width() const { return first < 0 ? 0 : last - first + 1; }
    float centre() const { return 0.5f * static_cast<float>(first + last + 1); }
};
RedColumns redColumns(const Picture& p, int fromX, int toX) {
    RedColumns span;
    for (int x = fromX; x < toX; ++x)
        for (int y = 0; y < p.height; ++y) {
            const unsigned char* c = pixel(p, x, y);
            if (c[0] > 150 && c[1] < 80 && c[2] < 80) {
                if (span.first < 0) span.first = x;
                span.last = x;
                break;
            }
        }
    return span;
}

int whiteIn(const Picture& p, int fromX, int toX) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = fromX; x < toX; ++x) {
            const unsigned char* c = pixel(p, x, y);
            n += c[0] > 200 && c[1] > 200 && c[2] > 200;
        }
    return n;
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
    struct Case {
        const char* name;
        const char* keys;
        int frames;
        float leftShift; // the point's offset in the left view; the right view has the opposite
    } cases[] = {{"stereo_parallel", "R", 2, shift}, {"stereo_crossed", "R R", 3, -shift}};
    for (const Case& c : cases) {
        Picture picture = runScene(c.name, kOneLight, c.keys, c.frames);
        ASSERT_EQ(picture.width, kWidth) << c.name;
        RedColumns left = redColumns(picture, 0, kHalf), right = redColumns(picture, kHalf, kWidth);
        EXPECT_EQ(left.width(), 8) << c.name;
        EXPECT_EQ(right.width(), 7) << c.name;
        EXPECT_NEAR(left.centre() - kHalf / 2, c.leftShift, 1.0f) << c.name;
        EXPECT_NEAR(right.centre() - (kHalf + kHalf / 2), -c.leftShift, 1.0f) << c.name;
    }
}

// The help lines and the status line run longer than a 320-pixel view: they stay in the left.
TEST(Stereo, TextOnlyInTheFirstView) {
    Picture picture = runScene("stereo_text", "basepath /tmp/\n", "F1 R", 3);
    ASSERT_EQ(picture.width, kWidth);
    EXPECT_GT(whiteIn(picture, 0, kHalf), 500);
    EXPECT_EQ(whiteIn(picture, kHalf, kWidth), 0);
}

TEST(Stereo, LeftViewOfParallelIsRightViewOfCrossed) {
    if (!fs::exists(fs::path(OSTRELLE_DEMO_DIR) / "scene.txt")) GTEST_SKIP() << "the build wrote no demo scene";
    Picture parallel = runScene("demo_parallel", nullptr, "R", 2), crossed = runScene("demo_crossed", nullptr, "R R", 3);
    ASSERT_EQ(parallel.width, kWidth);
    ASSERT_EQ(crossed.width, kWidth);
    const int aboveText = kHeight - 80; // the status and hint lines sit in the bottom rows
    // A view drawn 320 pixels further right may round a few dozen lone edge pixels otherwise;
    // a view from the wrong eye differs in thousands.
    const int roundedEdges = 64;
    EXPECT_LE(viewDifferences(parallel, 0, crossed, kHalf, aboveText), roundedEdges);
    EXPECT_LE(viewDifferences(parallel, kHalf, crossed, 0, aboveText), roundedEdges);
    EXPECT_GT(viewDifferences(parallel, 0, parallel, kHalf, aboveText), 1000) << "both views from one eye";
}

// F5 in the frame: the small marker stays below the glow's threshold, so the glow halves it,
// up to a picture of 1024 pixels on a side.
TEST(Glow, SwitchedByF5AndSkippedAbove1024Pixels) {
    struct Case {
        const char* name;
        const char* keys;
        const char* size;
        bool halved;
    } cases[] = {{"glow_off", "", "640x480", false},
                 {"glow_on", "F5", "640x480", true},
                 {"glow_1024", "F5", "1024x768", true},
                 {"glow_1025", "F5", "1025x768", false}};
    for (const Case& c : cases) {
        Picture picture = runScene(c.name, kOneLight, c.keys, 2, c.size);
        EXPECT_EQ(picture.pixelsNear(255, 0, 0) > 0, !c.halved) << c.name;
        EXPECT_EQ(picture.pixelsNear(127, 0, 0) > 0, c.halved) << c.name;
    }
}

constexpr int kWindowW = 1100, kWindowH = 800; // room for a picture just over the size limit

OffscreenGl gl;
bool ready = false;
unsigned int glowTex1024 = 0, glowTex64 = 0;

void openContext() {
    static bool tried = false;
    if (tried) return;
    tried = true;
    ready = openProbed(gl, "glow", kWindowW, kWindowH);
    if (!ready) return;
    glEnable(GL_TEXTURE_2D);
    render::createGlowTextures(glowTex1024, glowTex64);
}

struct CloseContext : ::testing::Environment {
    void TearDown() override { gl.close(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CloseContext);

// A w x h region in grey `background` with a white square of `side` in its middle, in the
// frame's state; the window beyond it blue.
void drawPicture(int w, int h, float background, int side) {
    glViewport(0, 0, kWindowW, kWindowH);
    glClearColor(0, 0, 1, 0);
    render::setFrameState(probedCapabilities());
    render::setUnlitState();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWindowW, 0, kWindowH, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto rect = [](float x0, float y0, float x1, float y1) { // clockwise: the frame's front faces
        glBegin(GL_QUADS);
        glVertex2f(x0, y0);
        glVertex2f(x0, y1);
        glVertex2f(x1, y1);
        glVertex2f(x1, y0);
        glEnd();
    };
    glDisable(GL_DEPTH_TEST);
    glColor4f(background, background, background, 1);
    rect(0, 0, static_cast<float>(w), static_cast<float>(h));
    glColor4f(1, 1, 1, 1);
    const float cx = static_cast<float>(w / 2), cy = static_cast<float>(h / 2), r = static_cast<float>(side / 2);
    rect(cx - r, cy - r, cx + r, cy + r);
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

// Not a pixel changed when switched off, larger than the capture texture or smaller than the
// blurred corner it copies back.
TEST(Glow, SkippedOutsideItsLimitsWithoutATrace) {
    REQUIRE_COMBINERS();
    struct Case {
        int glowOn, width, height;
        bool drawn;
    } cases[] = {{1, 1024, 768, true}, {1, 1025, 768, false}, {1, 768, 1025, false},
                 {0, 640, 480, false}, {1, 640, 40, false},   {1, 40, 480, false}};
    for (const Case& c : cases) {
        drawPicture(c.width, c.height, 0.1f, 32);
        const std::vector<unsigned char> before = readWindow();
        render::applyGlow(c.glowOn, glowTex1024, glowTex64, c.width, c.height, caps);
        EXPECT_EQ(readWindow() != before, c.drawn) << c.glowOn << " " << c.width << "x" << c.height;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

} // namespace
