// ui/colour_chooser.cpp -- the modal colour chooser: the colour as bytes, a picker, and the 16
// custom colours kept for the run.
#include <imgui.h>

#include <cmath>

#include "ui/logic/chooser_logic.h"
#include "ui/panel.h"

namespace ui {

namespace {

struct ColourChooser {
    float picked[3] = {1, 1, 1};
    CustomColours* custom = nullptr;
    int nextCustom = 0;
    bool done = false;
    bool confirmed = false;
};

ColourBytes pickedBytes(const float picked[3]) {
    auto byte = [](float v) {
        return static_cast<unsigned char>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f));
    };
    return {byte(picked[0]), byte(picked[1]), byte(picked[2])};
}

void customSwatches(ColourChooser& c) {
    ImGui::TextUnformatted("Custom colors:");
    for (int i = 0; i < 16; ++i) {
        if (i % 8 != 0) ImGui::SameLine();
        float shown[3];
        bytesToColour(c.custom->colours[i], shown);
        ImGui::PushID(i);
        if (ImGui::ColorButton("##custom", ImVec4(shown[0], shown[1], shown[2], 1), ImGuiColorEditFlags_NoTooltip,
                               ImVec2(20, 20)))
            for (int k = 0; k < 3; ++k) c.picked[k] = shown[k];
        ImGui::PopID();
    }
    if (ImGui::Button("Add to Custom Colors")) {
        c.custom->colours[c.nextCustom] = pickedBytes(c.picked);
        c.nextCustom = (c.nextCustom + 1) % 16;
    }
}

void chooserBody(void* context) {
    ColourChooser& c = *static_cast<ColourChooser*>(context);
    if (beginModalWindow("Color")) {
        customSwatches(c);
        ImGui::Separator();
        ImGui::SetNextItemWidth(std::fmin(ImGui::GetContentRegionAvail().x, 260.0f));
        ImGui::ColorPicker3("##picker", c.picked, ImGuiColorEditFlags_DisplayRGB | ImGuiColorEditFlags_Uint8);
        if (ImGui::Button("OK")) c.done = c.confirmed = true;
        ImGui::SameLine();
        if (ImGui::Button("Cancel") || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) c.done = true;
    }
    ImGui::End();
}

} // namespace

bool runColourChooser(Panel& panel, float rgb[3], CustomColours& custom) {
    if (!panel.isOpen()) return false;
    ColourChooser c;
    c.custom = &custom;
    bytesToColour(colourToBytes(rgb), c.picked);
    while (!c.done)
        if (!modalFrame(panel, chooserBody, &c)) c.done = true;
    if (!c.confirmed) return false;
    bytesToColour(pickedBytes(c.picked), rgb);
    return true;
}

} // namespace ui
