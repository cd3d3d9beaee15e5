// base/dialogs.h -- message boxes and choosers behind one interface, so that loaders, the scene
// reader and the panel can ask the user without knowing about the window.
#pragma once

#include <string>
#include <vector>

enum class DialogAnswer { Ok, Yes, No, Cancel };
enum class DialogKind { Ok, YesNo };

// One entry of a file chooser's type list: "Textures (*.tga)" with the patterns "*.tga"
// (several patterns separated by ';').
struct FileFilter {
    std::string description;
    std::string patterns;
};

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
    // A modal open-file chooser titled `title`, starting in `initialPath` (a folder, or a file
    // whose folder is meant; "" for the working directory). Returns the chosen path of an
    // existing file, or "" when cancelled.
    virtual std::string chooseOpenFile(const std::string& title, const std::string& initialPath,
                                       const std::vector<FileFilter>& filters) = 0;
    // A modal colour chooser showing `rgb`; true with `rgb` replaced when the user confirms,
    // false with `rgb` untouched when cancelled.
    virtual bool chooseColour(float rgb[3]) = 0;
};

// Without a window: writes "CAPTION: TEXT" to standard error and takes the default
// answer (OK; No for yes/no questions, which the line then names); choosers cancel at once.
class ConsoleDialogs : public Dialogs {
public:
    DialogAnswer messageBox(const std::string& caption, const std::string& text,
                            DialogKind kind) override;
    DialogAnswer askAbout(const std::string& caption, const std::string& text, const std::string& subject) override;
    std::string chooseOpenFile(const std::string& title, const std::string& initialPath,
                               const std::vector<FileFilter>& filters) override;
    bool chooseColour(float rgb[3]) override;
};

// The process-wide dialogs; ConsoleDialogs until the window installs its own.
Dialogs& dialogs();
void setDialogs(Dialogs* d); // null restores the console default
