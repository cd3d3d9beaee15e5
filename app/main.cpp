// app/main.cpp -- the program's entry: command-line tools, or the viewer window.
#include <cstdio>
#include <cstring>

#include "app/commands.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--info") == 0) return runInfoCommand(argc, argv);
        if (strcmp(argv[i], "--dump-scene") == 0) return runDumpSceneCommand(argc, argv);
        if (strcmp(argv[i], "--help") == 0) {
            printf("usage: ostrelle [DIR] [options]\n"
                   "  --info MODEL [--basepath DIR] [--positions]   describe a model as JSON\n"
                   "  --dump-scene [FILE]                           print a scene file as JSON\n");
            return 0;
        }
    }
    return 0;
}
