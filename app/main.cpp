// app/main.cpp -- the program's entry: command-line tools, or the viewer window.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/viewer_options.h"
#include "base/large_buffers.h"

#ifdef OSTRELLE_HAS_VIEWER
#include "app/viewer_module.h"
#endif

int main(int argc, char** argv) {
    keepFreedMemoryForReuse();
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--info") == 0) return runInfoCommand(argc, argv);
        if (strcmp(argv[i], "--dump-scene") == 0) return runDumpSceneCommand(argc, argv);
    }
    ViewerOptions options;
    std::string error;
    if (!parseViewerOptions(argc, argv, options, error) || !checkViewerCanShow(options, displayAvailable(), error)) {
        fprintf(stderr, "ostrelle: %s\n(ostrelle --help lists the options)\n", error.c_str());
        return kExitUsage;
    }
    if (options.showHelp) {
        fputs(viewerUsage(), stdout);
        return kExitSuccess;
    }
#ifdef OSTRELLE_HAS_VIEWER
    return runViewerModule(options);
#else
    fputs("ostrelle: this build has no viewer window; see --help for the tools\n", stderr);
    return kExitFailure;
#endif
}
