// tests/gl/window_test.cpp -- the real window under Xvfb, driven by xdotool: the title
// shows the frame rate, F1 reaches the key arrays, a right-button drag turns the camera,
// Escape quits; and the window draws what the offscreen driver draws.
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

std::string xdotool(const Xvfb& x, const std::string& args) {
    return capture("DISPLAY=" + x.display() + " timeout 20 xdotool " + args + " 2>/dev/null");
}

// One red light beside the axis of the free camera, so that turning the camera moves it.
const char* const lightScene = "basepath /tmp/\n"
                               "numlights 1\n"
                               "light 0\n"
                               "lightpos 40 0 30\n"
                               "lightcolor_d 1 0 0\n";

} // namespace

TEST(XvfbWindow, TitleKeyDragAndEscape) {
    if (!haveTool("Xvfb") || !haveTool("xdotool")) GTEST_SKIP() << "Xvfb or xdotool not installed";
    Xvfb x;
    if (!x.start()) GTEST_SKIP() << "Xvfb is installed but did not start";

    ViewerRun still("window_reference");
    writeFile(still.dir / "scene.txt", lightScene);
    still.start("--headless --screenshot still.png --frames 2");
    Picture reference;
    ASSERT_TRUE(reference.load(still.dir / "still.png")) << still.err;
    float stillX = 0, stillY = 0;
    ASSERT_TRUE(reference.redCentre(stillX, stillY)) << "the light marker is not drawn";

    ViewerRun run("window");
    writeFile(run.dir / "scene.txt", lightScene);
    // --screenshot with more frames than the test takes: the frame in which Escape quits is written.
    std::string env = "env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=" + x.display();
    std::string command = run.command("--no-dialogs --screenshot final.png --frames 100000", env);
    pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    std::string window = xdotool(x, "search --sync --onlyvisible --name Ostrelle");
    ASSERT_FALSE(window.empty()) << "no window appeared";
    window = window.substr(0, window.find('\n'));

    // Four times a second the title shows four times the frames of the last quarter.
    const std::string prefix = "Ostrelle  -  FPS: ";
    std::string title;
    for (int i = 0; i < 100 && title.rfind(prefix, 0) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        title = xdotool(x, "getwindowname " + window);
    }
    ASSERT_EQ(title.rfind(prefix, 0), 0u) << title;
    std::string number = title.substr(prefix.size());
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << title;
    EXPECT_EQ(std::stoi(number) % 4, 0) << title;

    // Without a window manager the keys go where the pointer is.
    xdotool(x, "mousemove --window " + window + " 200 200");
    xdotool(x, "windowfocus --sync " + window);
    xdotool(x, "key --clearmodifiers F1");
    // The buttons are read as held at each move, so the drag spans several frames.
    xdotool(x, "mousemove --window " + window + " 200 200 mousedown 3 sleep 0.3 mousemove --window " + window +
                   " 230 215 sleep 0.3 mousemove --window " + window + " 260 230 sleep 0.3 mouseup 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdotool(x, "key --clearmodifiers Escape");

    int status = -1;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, &status, WNOHANG) == child) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        status = -1;
    }
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "Escape did not end the viewer";
    }
    run.collect(status);
    EXPECT_EQ(run.status, 0) << run.err;

    // The window draws the same picture, byte for byte, as the offscreen driver.
    ViewerRun same("window_same");
    writeFile(same.dir / "scene.txt", lightScene);
    same.start("--screenshot still.png --frames 2", env);
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
