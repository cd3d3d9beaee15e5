// ui/file_chooser.cpp -- the modal open-file chooser: a folder list under a type filter, a typed
// path, folders to walk; only an existing file is returned.
#include <imgui.h>

#include <cstring>

#include "ui/logic/chooser_logic.h"
#include "ui/panel.h"

namespace ui {

namespace {

constexpr size_t kPathBuffer = 1024;

struct FileChooser {
    const char* title = "";
    const std::vector<FileFilter>* filters = nullptr;
    int filter = 0;
    std::string folder;
    std::vector<FolderEntry> entries;
    char typed[kPathBuffer] = {};
    std::string message;
    bool done = false;
    std::string result;

    std::string patterns() const {
        if (filters->empty()) return "*";
        return (*filters)[static_cast<size_t>(filter)].patterns;
    }
    void openFolder(const std::string& path) {
        folder = path;
        entries = listFolder(folder, patterns());
        message.clear();
    }
    void setTyped(const std::string& text) {
        const size_t n = text.size() < kPathBuffer - 1 ? text.size() : kPathBuffer - 1;
        memcpy(typed, text.data(), n);
        typed[n] = '\0';
    }
    // The typed text: a folder opens, an existing file is the answer, anything else is refused.
    void accept() {
        if (typed[0] == '\0') return;
        const TypedPath target = resolveTypedPath(folder, typed);
        if (target.kind == TypedPath::Folder) {
            openFolder(target.path);
            typed[0] = '\0';
        } else if (target.kind == TypedPath::File) {
            result = target.path;
            done = true;
        } else {
            message = "File not found: " + target.path;
        }
    }
    void cancel() {
        result.clear();
        done = true;
    }
};

void entryList(FileChooser& c) {
    const float footer = ImGui::GetFrameHeightWithSpacing() * 3 + ImGui::GetTextLineHeightWithSpacing();
    if (ImGui::BeginChild("entries", ImVec2(0, -footer), true)) {
        // A click picks a file's name; a double click opens the folder or takes the file, once
        // the list is no longer being walked.
        std::string enter;
        bool acceptFile = false;
        for (const FolderEntry& entry : c.entries) {
            const std::string label = entry.isFolder ? "[" + entry.name + "]" : entry.name;
            const bool selected = !entry.isFolder && entry.name == c.typed;
            if (!ImGui::Selectable(label.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) continue;
            if (!entry.isFolder) c.setTyped(entry.name);
            if (!ImGui::IsMouseDoubleClicked(0)) continue;
            if (entry.isFolder) enter = entry.name;
            else acceptFile = true;
        }
        if (!enter.empty())
            c.openFolder(enter == ".." ? parentFolder(c.folder) : resolveTypedPath(c.folder, enter).path);
        else if (acceptFile)
            c.accept();
    }
    ImGui::EndChild();
}

void chooserBody(void* context) {
    FileChooser& c = *static_cast<FileChooser*>(context);
    if (beginModalWindow(c.title)) {
        if (ImGui::Button("Up")) c.openFolder(parentFolder(c.folder));
        ImGui::SameLine();
        ImGui::TextUnformatted(c.folder.c_str());
        entryList(c);

        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted("File name:");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(-1);
        if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
        if (ImGui::InputText("##typed", c.typed, kPathBuffer, ImGuiInputTextFlags_EnterReturnsTrue)) c.accept();

        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted("Files of type:");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(-1);
        const char* current =
            c.filters->empty() ? "*" : (*c.filters)[static_cast<size_t>(c.filter)].description.c_str();
        if (ImGui::BeginCombo("##type", current)) {
            for (size_t i = 0; i < c.filters->size(); ++i)
                if (ImGui::Selectable((*c.filters)[i].description.c_str(), static_cast<int>(i) == c.filter)) {
                    c.filter = static_cast<int>(i);
                    c.openFolder(c.folder);
                }
            ImGui::EndCombo();
        }
        if (ImGui::Button("Open")) c.accept();
        ImGui::SameLine();
        if (ImGui::Button("Cancel")) c.cancel();
        if (!c.message.empty()) {
            ImGui::SameLine();
            ImGui::TextUnformatted(c.message.c_str());
        }
        if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) c.cancel();
    }
    ImGui::End();
}

} // namespace

std::string runFileChooser(Panel& panel, const std::string& title, const std::string& initialPath,
                           const std::vector<FileFilter>& filters) {
    if (!panel.isOpen()) return {};
    FileChooser c;
    c.title = title.empty() ? "Open" : title.c_str();
    c.filters = &filters;
    std::string fileName;
    c.openFolder(startingFolder(initialPath, fileName));
    c.setTyped(fileName);
    while (!c.done)
        if (!modalFrame(panel, chooserBody, &c)) c.cancel();
    return c.result;
}

} // namespace ui
