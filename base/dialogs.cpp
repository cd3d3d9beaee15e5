// base/dialogs.cpp -- the console default of the dialog interface.
#include "base/dialogs.h"

#include <cstdio>

DialogAnswer ConsoleDialogs::messageBox(const std::string& caption, const std::string& text,
                                        DialogKind kind) {
    if (kind == DialogKind::YesNo) {
        fprintf(stderr, "%s: %s [answered No]\n", caption.c_str(), text.c_str());
        return DialogAnswer::No;
    }
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DialogAnswer::Ok;
}

DialogAnswer ConsoleDialogs::askAbout(const std::string& caption, const std::string& text,
                                      const std::string& subject) {
    fprintf(stderr, "%s: %s [%s; answered No]\n", caption.c_str(), text.c_str(), subject.c_str());
    return DialogAnswer::No;
}

std::string ConsoleDialogs::chooseOpenFile(const std::string&, const std::string&, const std::vector<FileFilter>&) {
    return {};
}

bool ConsoleDialogs::chooseColour(float[3]) { return false; }

namespace {
Dialogs* installed = nullptr;
}

Dialogs& dialogs() {
    static ConsoleDialogs console;
    return installed ? *installed : console;
}

void setDialogs(Dialogs* d) { installed = d; }
