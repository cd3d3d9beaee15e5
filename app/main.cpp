// app/main.cpp -- the program's entry: command-line tools, or the viewer window.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0) {
            printf("usage: ostrelle [DIR] [options]\n");
            return 0;
        }
    }
    return 0;
}
