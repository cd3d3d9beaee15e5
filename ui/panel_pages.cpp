// ui/panel_pages.cpp -- the pages "Rendering", "Scene" and "Animation" drawn with Dear ImGui: each
// control shows the panel view and hands its event to the panel logic.
#include <imgui.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "model/texture_candidates.h"
#include "ui/logic/panel_logic.h"
#include "ui/panel.h"

namespace ui {

namespace {

void group(const char* title) {
    ImGui::Spacing();
    ImGui::TextUnformatted(title);
    ImGui::Separator();
}

// Two buttons side by side, each half the width; returns which was pressed (0: none).
int buttonPair(const char* left, const char* right) {
    const float width = (ImGui::GetContentRegionAvail().x - ImGui::GetStyle().ItemSpacing.x) / 2;
    int pressed = 0;
    if (ImGui::Button(left, ImVec2(width, 0))) pressed = 1;
    ImGui::SameLine();
    if (ImGui::Button(right, ImVec2(width, 0))) pressed = 2;
    return pressed;
}

// A group of radio buttons for one mode; returns the mode clicked, or -1.
int radioGroup(const char* const labels[], const int modes[], int count, int checked) {
    int clicked = -1;
    for (int i = 0; i < count; ++i)
        if (ImGui::RadioButton(labels[i], checked == modes[i])) clicked = modes[i];
    return clicked;
}

void renderingPage(PanelLogic& logic, Later& later) {
    const PanelView& v = logic.view();
    bool specular = v.specular;
    if (ImGui::Checkbox("Specular", &specular)) later([=, &logic] { logic.setSpecular(specular); });
    bool skeleton = v.showSkeleton;
    if (ImGui::Checkbox("Bones + Cams", &skeleton)) later([=, &logic] { logic.setShowSkeleton(skeleton); });

    group("Shadows");
    const char* const shadows[] = {"Shadows (normal)", "Shadows (debug)", "Shadows Off"};
    const int shadowModes[] = {1, 2, 0};
    const int shadow = radioGroup(shadows, shadowModes, 3, v.shadowMode);
    if (shadow >= 0) later([=, &logic] { logic.setShadowMode(shadow); });

    group("Mesh Render Mode");
    const char* const renders[] = {"normal", "Wireframe Overlay", "Mesh Analyzer"};
    const int renderModes[] = {0, 1, 2};
    const int render = radioGroup(renders, renderModes, 3, v.renderMode);
    if (render >= 0) later([=, &logic] { logic.setRenderMode(render); });

    group("Stereo Render");
    const char* const stereos[] = {"Stereo Off", "Parallel Stereo", "Crossview Stereo"};
    const int stereoModes[] = {0, 1, 2};
    const int stereo = radioGroup(stereos, stereoModes, 3, v.stereoMode);
    if (stereo >= 0) later([=, &logic] { logic.setStereoMode(stereo); });
}

// "Current ...:" with an up-down pair and the position beside it; returns the step clicked.
int upDown(const char* label, const char* id, const UpDown& control) {
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(label);
    ImGui::SameLine();
    ImGui::PushID(id);
    int step = 0;
    if (ImGui::ArrowButton("down", ImGuiDir_Down)) step = -1;
    ImGui::SameLine();
    if (ImGui::ArrowButton("up", ImGuiDir_Up)) step = 1;
    ImGui::PopID();
    ImGui::SameLine();
    ImGui::Text("%d", control.position);
    return step;
}

void modelFileBox(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    ImGui::InputTextMultiline("##modelfile", buffer.data(), buffer.size(),
                              ImVec2(-1, ImGui::GetTextLineHeight() * 3 + 4), ImGuiInputTextFlags_ReadOnly);
}

// The meshes of the model in focus, and the texture files of the selected one, each kind with
// its own "Load...".
void meshList(PanelLogic& logic, Later& later) {
    const PanelView& v = logic.view();
    group("Meshes:");
    if (v.meshes.empty()) {
        ImGui::TextDisabled("no mesh");
        return;
    }
    if (ImGui::BeginListBox("##meshes", ImVec2(-1, ImGui::GetTextLineHeightWithSpacing() * 5))) {
        for (int i = 0; i < static_cast<int>(v.meshes.size()); ++i) {
            const MeshRow& row = v.meshes[static_cast<size_t>(i)];
            // Formatted into a buffer: the page is drawn every frame and must not allocate.
            char label[256];
            snprintf(label, sizeof label, "%d: %s (%d tris)", i, row.material.empty() ? "(no material)" : row.material.c_str(),
                     row.tris);
            ImGui::PushID(i);
            if (ImGui::Selectable(label, i == v.selectedMesh)) later([=, &logic] { logic.selectMesh(i); });
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    const MeshRow& row = v.meshes[static_cast<size_t>(v.selectedMesh)];
    const char* const kinds[kTextureGroupCount] = {"Diffuse", "Specular", "Normal", "Height"};
    for (int g = 0; g < kTextureGroupCount; ++g) {
        ImGui::PushID(g);
        if (ImGui::Button("Load...")) later([=, &logic] { logic.loadMeshTexture(static_cast<TextureGroup>(g)); });
        ImGui::SameLine();
        // The file's own name fits the strip; the whole path shows when the pointer rests on it.
        const std::string& file = row.textureFile[g];
        const std::string_view name = file.empty() ? std::string_view("none") : lastPathComponent(file);
        ImGui::Text("%s: %.*s", kinds[g], static_cast<int>(name.size()), name.data());
        if (!file.empty() && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", file.c_str());
        ImGui::PopID();
    }
}

void scenePage(PanelLogic& logic, Later& later) {
    const PanelView& v = logic.view();
    group("Models:");
    if (int step = upDown("Current Model:", "model", v.model)) later([=, &logic] { logic.stepModel(step); });
    modelFileBox(v.modelFile);
    switch (buttonPair("Load Mesh...", "Load Anim...")) {
    case 1: later([=, &logic] { logic.loadMesh(); }); break;
    case 2: later([=, &logic] { logic.loadAnim(); }); break;
    }
    switch (buttonPair("Add New...", "Remove##model")) {
    case 1: later([=, &logic] { logic.addModel(); }); break;
    case 2: later([=, &logic] { logic.removeModel(); }); break;
    }

    group("Lights:");
    if (int step = upDown("Current Light:", "light", v.light)) later([=, &logic] { logic.stepLight(step); });
    switch (buttonPair("Diffuse...", "Specular...")) {
    case 1: later([=, &logic] { logic.chooseLightColour(false); }); break;
    case 2: later([=, &logic] { logic.chooseLightColour(true); }); break;
    }
    switch (buttonPair("Add New", "Remove##light")) {
    case 1: later([=, &logic] { logic.addLight(); }); break;
    case 2: later([=, &logic] { logic.removeLight(); }); break;
    }

    group("Global Lighting:");
    switch (buttonPair("Ambient...", "Backgrnd...")) {
    case 1: later([=, &logic] { logic.chooseAmbient(); }); break;
    case 2: later([=, &logic] { logic.chooseBackground(); }); break;
    }

    group("MD5 Camera Animation:");
    if (ImGui::Button("Load...")) later([=, &logic] { logic.loadCameraAnimation(); });
    ImGui::SameLine();
    bool active = v.cameraActive;
    ImGui::BeginDisabled(!v.cameraActiveEnabled);
    if (ImGui::Checkbox("Active", &active)) later([=, &logic] { logic.setCameraActive(active); });
    ImGui::EndDisabled();

    group("Scene File:");
    switch (buttonPair("Save Scene", "Frame")) {
    case 1: later([=, &logic] { logic.saveScene(); }); break;
    case 2: later([=, &logic] { logic.frameModel(); }); break;
    }

    // Last, so that the groups above keep their places whatever the model holds.
    meshList(logic, later);
}

// A track bar of 0..1000 without a number on it; `ticks` marks positions below it.
bool trackBar(const char* id, int position, int& moved, const std::vector<int>& ticks) {
    int value = position;
    ImGui::SetNextItemWidth(-1);
    const bool changed = ImGui::SliderInt(id, &value, 0, bars::range, "", ImGuiSliderFlags_AlwaysClamp);
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    const float pad = ImGui::GetStyle().GrabMinSize / 2 + 2;
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int tick : ticks) {
        const float x = min.x + pad + (max.x - min.x - 2 * pad) * static_cast<float>(tick) / bars::range;
        draw->AddLine(ImVec2(x, max.y + 1), ImVec2(x, max.y + 4), ImGui::GetColorU32(ImGuiCol_Text));
    }
    if (!ticks.empty()) ImGui::Dummy(ImVec2(0, 3));
    if (changed) moved = value;
    return changed;
}

void animationPage(PanelLogic& logic, Later& later) {
    const PanelView& v = logic.view();
    group("Animation Time:");
    ImGui::Text("Current Time: %s", v.timeText.c_str());
    int moved = 0;
    if (trackBar("##time", v.timeBar, moved, {})) later([=, &logic] { logic.moveTimeBar(moved); });

    group("Animation Speed");
    ImGui::Text("Current Speed: %s", v.speedText.c_str());
    // Ticks at a standing clock (500) and at normal speed (625).
    const std::vector<int> speedTicks = {bars::centre, bars::speedPosition(1.0f)};
    if (trackBar("##speed", v.speedBar, moved, speedTicks)) later([=, &logic] { logic.moveSpeedBar(moved); });
    const float width = (ImGui::GetContentRegionAvail().x - 3 * ImGui::GetStyle().ItemSpacing.x) / 4;
    const char* const labels[] = {"-4x", "0x", "1x", "4x"};
    const float speeds[] = {-4.0f, 0.0f, 1.0f, 4.0f};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) ImGui::SameLine();
        if (ImGui::Button(labels[i], ImVec2(width, 0))) later([=, &logic] { logic.setSpeed(speeds[i]); });
    }
}

} // namespace

void drawPanelPages(PanelLogic& logic, PanelPage firstPage, bool selectFirstPage, Later& later) {
    if (!ImGui::BeginTabBar("pages")) return;
    struct Page {
        const char* tab;
        PanelPage page;
        void (*draw)(PanelLogic&, Later&);
    };
    const Page pages[] = {{"Rendering", PanelPage::Rendering, renderingPage},
                          {"Scene", PanelPage::Scene, scenePage},
                          {"Animation", PanelPage::Animation, animationPage}};
    for (const Page& page : pages) {
        const ImGuiTabItemFlags flags = selectFirstPage && page.page == firstPage ? ImGuiTabItemFlags_SetSelected : 0;
        if (!ImGui::BeginTabItem(page.tab, nullptr, flags)) continue;
        // Each page scrolls on its own when the window is short.
        if (ImGui::BeginChild(page.tab)) page.draw(logic, later);
        ImGui::EndChild();
        ImGui::EndTabItem();
    }
    ImGui::EndTabBar();
}

} // namespace ui
