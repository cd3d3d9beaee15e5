// tests/gl/window_test.cpp -- the real window under Xvfb, driven by xdotool: the title
// shows the frame rate, F1 reaches the key arrays, a right-button drag turns the camera,
// Escape quits; the window draws what the offscreen driver draws; a click on the panel adds a
// light; F3's file chooser loads a typed file name.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "program_run.h"

namespace {

bool haveTool(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The output of a shell command, or "" when it fails.
std::string capture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[256];
    while (fgets(buf, sizeof buf, pipe)) out += buf;
    if (pclose(pipe) != 0) return "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// An X server of its own on a free display number; stopped when the test ends.
class Xvfb {
public:
    bool start() {
        for (int n = 90 + getpid() % 50; n < 200; ++n) {
            std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (fs::exists(lock) || fs::exists(socket)) continue;
            pid_ = fork();
            if (pid_ == 0) {
                std::string display = ":" + std::to_string(n);
                execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            display_ = ":" + std::to_string(n);
            for (int i = 0; i < 100; ++i) {
                if (fs::exists(socket)) return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            return false;
        }
        return false;
    }
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

#define START_XVFB(x)                                                                                  \
    if (!haveTool("Xvfb") || !haveTool("xdotool")) GTEST_SKIP() << "Xvfb or xdotool not installed";   \
    Xvfb x;                                                                                            \
    if (!x.start()) GTEST_SKIP() << "Xvfb is installed but did not start"

std::string xdotool(const Xvfb& x, const std::string& args) {
    return capture("DISPLAY=" + x.display() + " timeout 20 xdotool " + args + " 2>/dev/null");
}

std::string onDisplay(const Xvfb& x) { return "env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=" + x.display(); }

// One red light beside the axis of the free camera, so that turning the camera moves it.
const char* const lightScene = "basepath /tmp/\nnumlights 1\nlight 0\nlightpos 40 0 30\nlightcolor_d 1 0 0\n";

// The light scene drawn headless: what the window must show before any input.
Picture lightStill(ViewerRun& run) {
    writeFile(run.dir / "scene.txt", lightScene);
    run.start("--headless --screenshot still.png --frames 2");
    Picture picture;
    EXPECT_TRUE(picture.load(run.dir / "still.png")) << run.err;
    return picture;
}

// The viewer in the background on the X server; its window once it shows, the first of the
// title's frame counts, and its end.
class WindowRun {
public:
    WindowRun(const Xvfb& x, ViewerRun& run, const std::string& args) : x_(x), run_(run) {
        const std::string command = run.command(args, onDisplay(x));
        child_ = fork();
        if (child_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        window_ = xdotool(x, "search --sync --onlyvisible --name Ostrelle");
        window_ = window_.substr(0, window_.find('\n'));
    }
    ~WindowRun() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }
    const std::string& window() const { return window_; }
    // Points at the window and focuses it: without a window manager the keys go where the pointer is.
    void focus() const {
        xdotool(x_, "mousemove --window " + window_ + " 200 200");
        xdotool(x_, "windowfocus --sync " + window_);
    }
    // The title once it shows the frame rate ("" when it never does).
    std::string frameRateTitle(const std::string& prefix) const {
        std::string title;
        for (int i = 0; i < 100 && title.rfind(prefix, 0) != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            title = xdotool(x_, "getwindowname " + window_);
        }
        return title.rfind(prefix, 0) == 0 ? title : "";
    }
    // Waits up to 20 s for the program to end; false (and killed) when it does not.
    bool waitForExit() {
        int status = -1;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(child_, &status, WNOHANG) == child_) {
                child_ = -1;
                run_.collect(status);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

private:
    const Xvfb& x_;
    ViewerRun& run_;
    pid_t child_ = -1;
    std::string window_;
};

} // namespace

TEST(XvfbWindow, TitleKeyDragAndEscape) {
    START_XVFB(x);
    ViewerRun still("window_reference");
    const Picture reference = lightStill(still);
    float stillX = 0, stillY = 0;
    ASSERT_TRUE(reference.redCentre(stillX, stillY)) << "the light marker is not drawn";

    ViewerRun run("window");
    writeFile(run.dir / "scene.txt", lightScene);
    // --screenshot with more frames than the test takes: the frame in which Escape quits is written.
    WindowRun viewer(x, run, "--no-dialogs --screenshot final.png --frames 100000");
    const std::string& window = viewer.window();
    ASSERT_FALSE(window.empty()) << "no window appeared";

    // Four times a second the title shows four times the frames of the last quarter.
    const std::string prefix = "Ostrelle  -  FPS: ";
    const std::string title = viewer.frameRateTitle(prefix);
    ASSERT_FALSE(title.empty()) << "the title never showed the frame rate";
    std::string number = title.substr(prefix.size());
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << title;
    EXPECT_EQ(std::stoi(number) % 4, 0) << title;

    viewer.focus();
    xdotool(x, "key --clearmodifiers F1");
    // The buttons are read as held at each move, so the drag spans several frames.
    xdotool(x, "mousemove --window " + window + " 200 200 mousedown 3 sleep 0.3 mousemove --window " + window +
                   " 230 215 sleep 0.3 mousemove --window " + window + " 260 230 sleep 0.3 mouseup 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdotool(x, "key --clearmodifiers Escape");

    ASSERT_TRUE(viewer.waitForExit()) << "Escape did not end the viewer";
    EXPECT_EQ(run.status, 0) << run.err;

    // The window draws the same picture, byte for byte, as the offscreen driver.
    ViewerRun same("window_same");
    writeFile(same.dir / "scene.txt", lightScene);
    same.start("--screenshot still.png --frames 2", onDisplay(x));
    EXPECT_EQ(readFile(same.dir / "still.png"), readFile(still.dir / "still.png"));

    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "final.png"));
    EXPECT_EQ(picture.width, 470);
    EXPECT_EQ(picture.height, 480);
    EXPECT_GT(picture.whitePixels(0, 200), 200) << "F1 did not show the key list";
    float markerX = 0, markerY = 0;
    ASSERT_TRUE(picture.redCentre(markerX, markerY)) << "the light marker left the picture";
    EXPECT_GT(std::abs(markerX - stillX) + std::abs(markerY - stillY), 5.0f)
        << "the right-button drag did not turn the camera";
}

// A click on the Scene page's "Add New" in the lights group: a second, white marker (the new
// light, at the origin, drawn large as the selected one) beside the red one.
TEST(XvfbWindow, AddNewLightFromThePanel) {
    START_XVFB(x);
    ViewerRun before("window_one_light");
    const Picture one = lightStill(before);

    ViewerRun run("window_panel");
    writeFile(run.dir / "scene.txt", lightScene);
    WindowRun viewer(x, run, "--no-dialogs --panel-page Scene --screenshot final.png --frames 100000");
    const std::string& window = viewer.window();
    ASSERT_FALSE(window.empty()) << "no window appeared";
    ASSERT_FALSE(viewer.frameRateTitle("Ostrelle  -  FPS: ").empty());
    // The button's place on the Scene page (tests/gl/reference/panel_Scene.png) in the strip
    // right of the 470-pixel picture.
    viewer.focus();
    xdotool(x, "mousemove --window " + window + " 515 224 sleep 0.3 mousedown 1 sleep 0.3 mouseup 1 sleep 0.3");
    xdotool(x, "mousemove --window " + window + " 200 200 sleep 0.3 key --clearmodifiers Escape");
    ASSERT_TRUE(viewer.waitForExit()) << "Escape did not end the viewer";
    EXPECT_EQ(run.status, 0) << run.err;

    Picture two;
    ASSERT_TRUE(two.load(run.dir / "final.png"));
    float redX = 0, redY = 0;
    EXPECT_TRUE(two.redCentre(redX, redY)) << "the first light's marker is gone";
    EXPECT_GE(two.whitePixels(0, two.height) - one.whitePixels(0, one.height), 40) << "no second light marker";
}

// F3 opens the chooser in the model's folder; a typed name and Return load that file into the
// model in focus. Message boxes go to the console, so none can wait for a click.
TEST(XvfbWindow, FileChooserLoadsTheTypedFile) {
    START_XVFB(x);
    ViewerRun run("window_chooser");
    writeFile(run.dir / "scene.txt", "basepath " + run.dir.string() + "/\nlightcolor_a 1 1 1\nnummodels 1\n"
                                     "model 0\nmodelname small.obj\nmodelpos 0 0 30\n");
    writeFile(run.dir / "small.obj", squareObj(2));
    writeFile(run.dir / "big.obj", squareObj(40));
    WindowRun viewer(x, run, "--console-messages --screenshot final.png --frames 100000");
    const std::string& window = viewer.window();
    ASSERT_FALSE(window.empty()) << "no window appeared";
    ASSERT_FALSE(viewer.frameRateTitle("Ostrelle  -  FPS: ").empty());
    viewer.focus();
    xdotool(x, "key --clearmodifiers F3 sleep 1 type --delay 30 big.obj");
    xdotool(x, "sleep 0.5 key --clearmodifiers Return sleep 1 key --clearmodifiers Escape");
    ASSERT_TRUE(viewer.waitForExit()) << "Escape did not end the viewer";
    EXPECT_EQ(run.status, 0) << run.err;

    Picture picture;
    ASSERT_TRUE(picture.load(run.dir / "final.png"));
    EXPECT_GT(picture.litPixels(64), 2000) << "the chosen model did not replace the small one";
}
