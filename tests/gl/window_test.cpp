// tests/gl/window_test.cpp -- the real window on an X server of its own (xvfb-run), driven by
// xdotool: F3's file chooser loads a typed file name, the title shows the frame rate, a
// right-button drag turns the camera, Escape quits, and the window draws what the offscreen
// driver draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "program_run.h"

namespace {

// On a fresh X server, `before` and then the viewer with `args`; once its title (title.txt) shows
// the frame rate, xdotool's `actions` on window $w, Escape, and the end. False without X.
bool runInWindow(ViewerRun& run, const std::string& args, const std::string& actions,
                 const std::string& before = "") {
    if (std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null") != 0) return false;
    writeFile(run.dir / "drive.sh",
              "touch started\nxdotool() { timeout 20 xdotool \"$@\"; }\n" + before +
                  "\nenv -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY '" OSTRELLE_PROGRAM "' " + args +
                  " --screenshot final.png --frames 100000 >stdout.txt 2>stderr.txt &\npid=$!\n"
                  "w=$(xdotool search --sync --onlyvisible --name Ostrelle | head -n 1)\n"
                  "for i in $(seq 100); do t=$(xdotool getwindowname \"$w\")\n"
                  "  case \"$t\" in 'Ostrelle  -  FPS: '*) break;; esac; sleep 0.1; done\n"
                  "echo \"$t\" >title.txt\n"
                  // Without a window manager the keys go where the pointer is.
                  "xdotool mousemove --window \"$w\" 200 200 windowfocus --sync \"$w\"\n" +
                  actions + "\nxdotool key --clearmodifiers Escape\n"
                            "for i in $(seq 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done\n"
                            "kill -9 $pid 2>/dev/null; wait $pid; echo $? >status.txt\n");
    [[maybe_unused]] const int rc =
        std::system(("cd '" + run.dir.string() + "' && xvfb-run -a -s '-screen 0 1024x768x24' sh drive.sh").c_str());
    run.collect(0);
    const std::string status = readFile(run.dir / "status.txt");
    run.status = status.empty() ? -1 : std::atoi(status.c_str());
    return fs::exists(run.dir / "started");
}

const char* const kNoX = "xvfb-run or xdotool is missing, or the X server did not start";

// One red light beside the axis of the free camera, so that turning the camera moves it.
const char* const kLightScene = "basepath /tmp/\nnumlights 1\nlight 0\nlightpos 40 0 30\nlightcolor_d 1 0 0\n";

} // namespace

// F3's chooser: a typed name and a quick Return (released before the chooser's next frame) load
// that file into the model in focus. The title shows four times the last quarter second's frames.
TEST(XvfbWindow, FileChooserLoadsTheTypedFile) {
    ViewerRun run("window_chooser");
    writeFile(run.dir / "scene.txt", "basepath " + run.dir.string() + "/\nlightcolor_a 1 1 1\nnummodels 1\n"
                                     "model 0\nmodelname small.obj\nmodelpos 0 0 30\n");
    writeFile(run.dir / "small.obj", squareObj(2));
    writeFile(run.dir / "big.obj", squareObj(40));
    if (!runInWindow(run, "--console-messages",
                     "xdotool key --clearmodifiers F3 sleep 1 type --delay 30 big.obj\n"
                     "xdotool sleep 0.5 key --clearmodifiers Return sleep 1"))
        GTEST_SKIP() << kNoX;
    const std::string title = readFile(run.dir / "title.txt"), prefix = "Ostrelle  -  FPS: ";
    ASSERT_EQ(title.rfind(prefix, 0), 0u) << "the title never showed the frame rate: " << title;
    EXPECT_EQ(title.find_first_not_of("0123456789\n", prefix.size()), std::string::npos) << title;
    EXPECT_EQ(std::atoi(title.c_str() + prefix.size()) % 4, 0) << title;
    EXPECT_EQ(run.status, 0) << "Escape did not end the viewer: " << run.err;
    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "final.png"));
    EXPECT_GT(picture.litPixels(64), 2000) << "the chosen model did not replace the small one";
}

// A right-button drag turns the camera and F1 shows the key list; the window draws the same
// picture, byte for byte, as the offscreen driver.
TEST(XvfbWindow, DragF1AndTheOffscreenPicture) {
    ViewerRun still("window_reference"), run("window");
    for (ViewerRun* r : {&still, &run}) writeFile(r->dir / "scene.txt", kLightScene);
    still.start("--headless --screenshot still.png --frames 2");
    const std::string move = "mousemove --window $w ";
    // The buttons are read as held at each move, so the drag spans several frames.
    if (!runInWindow(run, "--no-dialogs",
                     "xdotool key --clearmodifiers F1\nxdotool " + move + "200 200 mousedown 3 sleep 0.3 " + move +
                         "230 215 sleep 0.3 " + move + "260 230 sleep 0.3 mouseup 3 sleep 0.3",
                     "env -u SDL_VIDEODRIVER '" OSTRELLE_PROGRAM "' --screenshot same.png --frames 2 >/dev/null 2>&1"))
        GTEST_SKIP() << kNoX;
    EXPECT_EQ(readFile(run.dir / "same.png"), readFile(still.dir / "still.png"));
    EXPECT_EQ(run.status, 0) << "Escape did not end the viewer: " << run.err;
    Picture reference, picture;
    float stillX = 0, stillY = 0, markerX = 0, markerY = 0;
    ASSERT_TRUE(reference.load(still.dir / "still.png") && reference.redCentre(stillX, stillY)) << still.err;
    ASSERT_TRUE(picture.load(run.dir / "final.png"));
    EXPECT_GT(picture.whitePixels(0, 200), 200) << "F1 did not show the key list";
    ASSERT_TRUE(picture.redCentre(markerX, markerY)) << "the light marker left the picture";
    EXPECT_GT(std::abs(markerX - stillX) + std::abs(markerY - stillY), 5.0f) << "the drag did not turn the camera";
}
