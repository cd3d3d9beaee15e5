// render/panel_gl_state.h -- the GL state of the frame kept whole around the control panel's
// drawing, and the plain backdrop of the modal choosers.
#pragma once

namespace render {

// Saves every server and client attribute and the three matrix stacks' tops on construction
// and puts them back on destruction, so the panel may set whatever it draws with.
class PanelGlState {
public:
    PanelGlState();
    ~PanelGlState();
    PanelGlState(const PanelGlState&) = delete;
    PanelGlState& operator=(const PanelGlState&) = delete;
};

// Clears the whole window (width x height) to the panel's grey, for a chooser drawn alone.
void clearForChooser(int width, int height);

} // namespace render
