// ui/panel.cpp -- the ImGui context on the viewer's window, the panel's frame in the strip and
// the frame of a modal chooser.
#include "ui/panel.h"

#include <SDL2/SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

#include "platform/sdl_window.h"
#include "render/panel_gl_state.h"
#include "ui/logic/panel_logic.h"

namespace ui {

namespace {

// A grey, square-cornered look that sits beside the picture like a dialog.
void setStyle() {
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0;
    style.WindowBorderSize = 0;
    style.WindowPadding = ImVec2(5, 5);
    style.FramePadding = ImVec2(4, 2);
    style.ItemSpacing = ImVec2(4, 3);
    style.ScrollbarSize = 10;
    style.FrameBorderSize = 1;
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.85f, 0.85f, 0.85f, 1.0f);
    style.Colors[ImGuiCol_Button] = ImVec4(0.78f, 0.78f, 0.78f, 1.0f);
    style.Colors[ImGuiCol_ButtonHovered] = ImVec4(0.70f, 0.75f, 0.85f, 1.0f);
    style.Colors[ImGuiCol_ButtonActive] = ImVec4(0.60f, 0.65f, 0.80f, 1.0f);
}

void renderDrawData() {
    render::PanelGlState saved;
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

} // namespace

bool Panel::open(platform::SdlWindow& window, PanelPage firstPage) {
    if (!window.hasContext()) return false;
    window_ = &window;
    firstPage_ = firstPage;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // the viewer writes nothing but its log
    io.LogFilename = nullptr;
    setStyle();
    ImGui_ImplSDL2_InitForOpenGL(static_cast<SDL_Window*>(window.sdlWindow()), window.glContext());
    ImGui_ImplOpenGL2_Init();
    open_ = true;
    return true;
}

void Panel::close() {
    if (!open_) return;
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    open_ = false;
}

// The pages hold no text to type into, so the viewer still sees every event.
bool Panel::offerEvent(const void* sdlEvent) {
    if (open_) ImGui_ImplSDL2_ProcessEvent(static_cast<const SDL_Event*>(sdlEvent));
    return false;
}

void Panel::draw(PanelLogic& logic) {
    if (!open_) return;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(window_->renderWidth()), 0));
    ImGui::SetNextWindowSize(
        ImVec2(static_cast<float>(platform::panelWidth), static_cast<float>(window_->clientHeight())));
    Later later;
    if (ImGui::Begin("##panel", nullptr, flags | ImGuiWindowFlags_NoSavedSettings)) {
        drawPanelPages(logic, firstPage_, firstFrame_, later);
        // Escape delivered to the panel quits, as it does over the picture.
        if (ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows) &&
            ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
            later([&logic] { logic.cancel(); });
    }
    ImGui::End();
    firstFrame_ = false;
    ImGui::Render();
    renderDrawData();
    later.runAll();
}

namespace {

// While a chooser is open the viewer sees only key releases (so no key stays held) and the
// close request; everything else is the chooser's.
class ModalEvents : public platform::WindowEvents {
public:
    explicit ModalEvents(platform::WindowEvents* viewer) : viewer_(viewer) {}
    void keyDown(int) override {}
    void keyUp(int key) override {
        if (viewer_) viewer_->keyUp(key);
    }
    void mouseMove(int, int) override {}
    void quit() override {
        closed = true;
        if (viewer_) viewer_->quit();
    }
    // ImGui sees key states, not presses: a key pressed and released within one pump would
    // never be seen down. Its release waits for the next frame.
    bool rawEvent(const void* sdlEvent) override {
        const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
        if (e.type == SDL_KEYDOWN) pressedNow_.push_back(e.key.keysym.scancode);
        if (e.type == SDL_KEYUP) {
            for (SDL_Scancode code : pressedNow_)
                if (code == e.key.keysym.scancode) {
                    releasedLater_.push_back(e);
                    return true;
                }
        }
        ImGui_ImplSDL2_ProcessEvent(&e);
        return false;
    }
    void requeueReleases() {
        for (SDL_Event& e : releasedLater_) SDL_PushEvent(&e);
    }
    bool closed = false;

private:
    platform::WindowEvents* viewer_;
    std::vector<SDL_Scancode> pressedNow_;
    std::vector<SDL_Event> releasedLater_;
};

} // namespace

bool beginModalWindow(const char* title) {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    return ImGui::Begin(title, nullptr, flags);
}

bool modalFrame(Panel& panel, void (*body)(void*), void* context) {
    platform::SdlWindow& window = *panel.window();
    ModalEvents events(panel.viewerEvents());
    window.pumpEvents(events);
    events.requeueReleases();
    if (events.closed) return false;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    body(context);
    ImGui::Render();
    {
        render::PanelGlState saved;
        render::clearForChooser(window.clientWidth(), window.clientHeight());
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    }
    window.swapBuffers();
    SDL_Delay(10); // a dialog waits for the user; no need to spin a core
    return true;
}

} // namespace ui
