// app/viewer_options.cpp -- parsing of the viewer's command line; no window here.
#include "app/viewer_options.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

bool parseInt(const char* s, int& out) {
    char* end = nullptr;
    long v = strtol(s, &end, 10);
    if (end == s || *end != '\0' || v < 1 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

// The largest side a window or picture may have.
constexpr int kMaxSide = 16384;

bool parseSize(const char* s, int& w, int& h, std::string& error) {
    const char* x = strchr(s, 'x');
    if (!x) x = strchr(s, 'X');
    std::string left(s, x ? x : s);
    if (!x || !parseInt(left.c_str(), w) || !parseInt(x + 1, h)) {
        error = std::string("--size needs WIDTHxHEIGHT, such as 800x600, not ") + s;
        return false;
    }
    if (w > kMaxSide || h > kMaxSide) {
        error = std::string("--size ") + s + ": width and height must each be 1 to " + std::to_string(kMaxSide);
        return false;
    }
    return true;
}

bool endsWithPng(const std::string& name) {
    return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".png") == 0;
}

// The arguments that are no option. One folder now; a model file and its animation may follow.
// A model file, told apart from a folder by the extensions the loader reads.
bool isModelFile(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || name.find_first_of("/\\", dot) != std::string::npos) return false;
    const std::string ext = name.substr(dot);
    for (const char* known : {".md5mesh", ".obj", ".ase", ".lwo"})
        if (strcasecmp(ext.c_str(), known) == 0) return true;
    return false;
}

// A folder, or a model file and then its animation.
bool takePositional(ViewerOptions& o, const char* arg, std::string& error) {
    if (o.directory.empty() && o.modelFile.empty() && isModelFile(arg)) {
        o.modelFile = arg;
        return true;
    }
    if (!o.modelFile.empty() && o.animFile.empty()) {
        o.animFile = arg;
        return true;
    }
    if (o.directory.empty() && o.modelFile.empty()) {
        o.directory = arg;
        return true;
    }
    error = std::string("more than one folder given: ") + arg;
    return false;
}

bool parsePresses(const char* s, std::vector<KeyChord>& out, std::string& error) {
    std::string all = s;
    size_t i = 0;
    while (i < all.size()) {
        while (i < all.size() && (all[i] == ' ' || all[i] == ',')) ++i;
        size_t end = i;
        while (end < all.size() && all[end] != ' ' && all[end] != ',') ++end;
        if (end == i) break;
        KeyChord chord;
        std::string name = all.substr(i, end - i);
        if (!parseKeyChord(name, chord)) {
            error = "unknown key in --press: " + name;
            return false;
        }
        out.push_back(chord);
        i = end;
    }
    return true;
}

bool parsePanelPage(const char* s, int& page) {
    const char* const names[] = {"Rendering", "Scene", "Animation"};
    for (int i = 0; i < 3; ++i)
        if (strcasecmp(s, names[i]) == 0) {
            page = i;
            return true;
        }
    return false;
}

} // namespace

bool displayAvailable() {
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

bool checkViewerCanShow(const ViewerOptions& options, bool haveDisplay, std::string& error) {
    if (!options.screenshotFile.empty() || options.showHelp) return true;
    if (options.headless) {
        error = "--headless shows nothing on screen; add --screenshot FILE.png to render without a display";
        return false;
    }
    if (!haveDisplay) {
        error = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "use --screenshot FILE.png to render without a display";
        return false;
    }
    return true;
}

const char* viewerUsage() {
    return "usage: ostrelle [DIR | MODEL [ANIM]] [options]\n"
           "  DIR                     start in DIR (scene.txt and debuglog.txt live there)\n"
           "  MODEL [ANIM]            view one model file (.md5mesh, .obj, .ase, .lwo) with its animation\n"
           "  --help                  show this text\n"
           "  --info MODEL... [--basepath DIR] [--positions] [--anim FILE [--time T]] [--strict]\n"
           "                          describe each model as one line of JSON, posed at T seconds,\n"
           "                          with the problems of its load; --strict: exit 3 on any\n"
           "  --dump-scene [FILE]     print a scene file as JSON, lines not understood on stderr\n"
           "  --screenshot FILE.png   render some frames, write the last picture as PNG, exit\n"
           "                          (a quit before the last frame writes that frame)\n"
           "  --frames N              frames before the screenshot (default 3)\n"
           "  --time T                start the clock at T seconds with speed 0\n"
           "  --size WxH              size of the picture (the panel strip is added)\n"
           "  --press \"KEYS\"          press keys, one per frame, e.g. \"F2 Q Shift+PageDown\"\n"
           "  --headless              no window on screen (offscreen driver); implies --no-dialogs\n"
           "  --no-dialogs            message boxes go to standard error with their default answer\n"
           "                          and the file and colour choosers cancel at once\n"
           "  --console-messages      message boxes go to standard error; the choosers still show\n"
           "  --panel-page PAGE       show the panel's page Rendering, Scene or Animation first\n"
           "  --panel-shot FILE.png   with --screenshot, also write the panel strip as PNG\n"
           "  --drop FILE             drop FILE onto the window before the first frame (repeatable)\n"
           "  --caps LIST             limit the probed driver: units=N, -regcomb, -combine4,\n"
           "                          -cubemap, -dot3, -envcombine, -multitexture,\n"
           "                          -separatespecular, -depthclamp, -stencilwrap, -twoside,\n"
           "                          -separatestencil (comma or blank separated)\n"
           "exit status: 0 success, 1 a file or system failure, 2 a usage error,\n"
           "             3 problems found in a file under --strict\n";
}

bool parseViewerOptions(int argc, char** argv, ViewerOptions& out, std::string& error) {
    ViewerOptions o;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool hasNext = i + 1 < argc;
        auto needValue = [&](const char* name) {
            if (hasNext) return true;
            error = std::string(name) + " needs a value";
            return false;
        };
        if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            o.showHelp = true;
        } else if (strcmp(a, "--headless") == 0) {
            o.headless = true;
        } else if (strcmp(a, "--no-dialogs") == 0) {
            o.noDialogs = true;
        } else if (strcmp(a, "--console-messages") == 0) {
            o.consoleMessages = true;
        } else if (strcmp(a, "--screenshot") == 0) {
            if (!needValue(a)) return false;
            o.screenshotFile = argv[++i];
            if (!endsWithPng(o.screenshotFile)) {
                error = "--screenshot " + o.screenshotFile + ": the picture is written as PNG; name it FILE.png";
                return false;
            }
        } else if (strcmp(a, "--frames") == 0) {
            if (!needValue(a)) return false;
            if (!parseInt(argv[++i], o.frames)) {
                error = "--frames needs a positive count";
                return false;
            }
        } else if (strcmp(a, "--time") == 0) {
            if (!needValue(a)) return false;
            char* end = nullptr;
            o.time = strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0') {
                error = "--time needs a number of seconds";
                return false;
            }
            o.hasTime = true;
        } else if (strcmp(a, "--size") == 0) {
            if (!needValue(a)) return false;
            if (!parseSize(argv[++i], o.width, o.height, error)) return false;
            o.hasSize = true;
        } else if (strcmp(a, "--press") == 0) {
            if (!needValue(a)) return false;
            if (!parsePresses(argv[++i], o.presses, error)) return false;
        } else if (strcmp(a, "--panel-page") == 0) {
            if (!needValue(a)) return false;
            if (!parsePanelPage(argv[++i], o.panelPage)) {
                error = "--panel-page needs Rendering, Scene or Animation";
                return false;
            }
        } else if (strcmp(a, "--panel-shot") == 0) {
            if (!needValue(a)) return false;
            o.panelShotFile = argv[++i];
        } else if (strcmp(a, "--drop") == 0) {
            if (!needValue(a)) return false;
            o.drops.push_back(argv[++i]);
        } else if (strcmp(a, "--caps") == 0) {
            if (!needValue(a)) return false;
            o.caps = argv[++i];
        } else if (a[0] == '-' && a[1] == '-') {
            error = std::string("unknown option ") + a;
            return false;
        } else if (!takePositional(o, a, error)) {
            return false;
        }
    }
    // A screenshot run never waits on a dialog, unless it asked for the choosers alone.
    if ((!o.screenshotFile.empty() && !o.consoleMessages) || o.headless) o.noDialogs = true;
    out = o;
    return true;
}
