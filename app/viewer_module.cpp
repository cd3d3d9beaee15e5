// app/viewer_module.cpp -- finds the viewer module beside the program and hands it the options.
#include "app/viewer_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/commands.h"

namespace {

// The folder of the running program, with its trailing '/', or "" when it cannot be told.
std::string programFolder() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string program(path, static_cast<size_t>(length));
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

} // namespace

int runViewerModule(const ViewerOptions& options) {
    const std::string module = programFolder() + "ostrelle_viewer.so";
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fprintf(stderr, "ostrelle: cannot load the viewer window: %s\n", dlerror());
        return kExitFailure;
    }
    using Entry = int (*)(const ViewerOptions*);
    const auto run = reinterpret_cast<Entry>(dlsym(handle, "ostrelleRunViewer"));
    if (!run) {
        fprintf(stderr, "ostrelle: %s has no viewer entry point\n", module.c_str());
        return kExitFailure;
    }
    // The module stays loaded to the end: its threads and exit handlers may still run.
    return run(&options);
}
