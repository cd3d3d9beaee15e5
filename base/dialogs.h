// base/dialogs.h -- message boxes and choosers behind one interface, so that loaders and the
// scene reader can ask the user without knowing about the window.
#pragma once

#include <string>

enum class DialogAnswer { Ok, Yes, No, Cancel };
enum class DialogKind { Ok, YesNo };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual DialogAnswer messageBox(const std::string& caption, const std::string& text,
                                    DialogKind kind) = 0;
    // A yes/no question about one thing (a missing texture): a window shows caption and text,
    // a console also names `subject` and the answer it took.
    virtual DialogAnswer askAbout(const std::string& caption, const std::string& text, const std::string& /*subject*/) {
        return messageBox(caption, text, DialogKind::YesNo);
    }
    // Returns the chosen file, or "" when cancelled. `filter` is a pattern list such as "*.tga".
    virtual std::string chooseFile(const std::string& title, const std::string& filter) = 0;
};

// Without a window: writes "CAPTION: TEXT" to standard error and takes the default
// answer (OK; No for yes/no questions, which the line then names); choosers cancel.
class ConsoleDialogs : public Dialogs {
public:
    DialogAnswer messageBox(const std::string& caption, const std::string& text,
                            DialogKind kind) override;
    DialogAnswer askAbout(const std::string& caption, const std::string& text, const std::string& subject) override;
    std::string chooseFile(const std::string& title, const std::string& filter) override;
};

// The process-wide dialogs; ConsoleDialogs until the window installs its own.
Dialogs& dialogs();
void setDialogs(Dialogs* d); // null restores the console default
