// The caption buttons on the frame: their state and places from the caption rules, drawn in the
// caption buffer in their resting frame, or one at a time on the window in their current State.
#include "colors.h"
#include "draw_frame.h"
#include "frame_painter.h"
#include "model_views.h"
#include "skin_data.h"

namespace skin {
namespace {

constexpr int kMenuBarButtons = 100;  // Visibility of the buttons the menu bar shows
constexpr int kFrameDisabled = 4;

CaptionButtonState StateOf(const TWinSysButton& button) {
    CaptionButtonState state;
    state.Rect = button.Rect;
    state.Visible = button.Visible;
    state.Enabled = button.Enabled;
    return state;
}

// The frame a button shows in its State: hot, pressed or normal; a disabled one the disabled
// frame when its picture has one; the menu-bar buttons show their hot look in frame 4.
int StateFrame(const TDataSkinSysButton& skin, const TWinSysButton& button) {
    const int frames = skin.Frame < 1 ? 1 : skin.Frame;
    if (!button.Enabled) return frames > 3 ? kFrameDisabled : 1;
    if (button.State == ncHot && skin.Visibility == kMenuBarButtons) return kFrameDisabled;
    return button.State;
}

void DrawButtonFace(FramePaintContext& frame, TDataSkinSysButton& skin, HDC dc, const RECT& rect, int index) {
    if (IsIconAction(skin.Action)) {
        if (frame.DrawIcon) frame.DrawIcon(dc, rect);
        return;
    }
    DrawFrame(dc, rect, skin.Image, true, skin.Frame, index);
}

}  // namespace

void LayoutFrameButtons(FramePaintContext& frame) {
    if (frame.Skin == nullptr) return;
    std::vector<CaptionButtonSpec> specs;
    std::vector<CaptionButtonState> states;
    for (const auto& button : frame.SysButtons) {
        specs.push_back(button && button->Skin ? CaptionButtonSpecOf(*button->Skin) : CaptionButtonSpec{});
        states.push_back(button ? StateOf(*button) : CaptionButtonState{});
    }
    HWND window = frame.Handle;
    const ButtonVisibleQuery ask = [window](int code, int action) {
        return static_cast<int>(SendMessageW(window, SKIN_BUTTONVISIBLE, code, action));
    };
    for (size_t i = 0; i < specs.size(); ++i) UpdateCaptionButtonState(specs[i], states[i], frame.Frame, ask);
    LayoutCaptionButtons(specs, states, frame.Frame, MenuBarLeftWidth(*frame.Skin), frame.Placement);
    for (size_t i = 0; i < specs.size(); ++i) {
        TWinSysButton* button = frame.SysButtons[i].get();
        if (button == nullptr) continue;
        button->Rect = states[i].Rect;
        button->Visible = states[i].Visible;
        button->Enabled = states[i].Enabled;
    }
}

void PaintCaptionButtons(FramePaintContext& frame, tk::TCanvas& canvas) {
    for (const auto& button : frame.SysButtons) {
        if (!button || button->Skin == nullptr) continue;
        const CaptionButtonSpec spec = CaptionButtonSpecOf(*button->Skin);
        const CaptionButtonState state = StateOf(*button);
        if (!PaintsCaptionButton(spec, state)) continue;
        const int index = CaptionButtonFrame(spec, state, frame.Frame.WindowActive);
        DrawButtonFace(frame, *button->Skin, canvas.Handle(), ToRect(button->Rect), index);
    }
}

void PaintCaptionButton(FramePaintContext& frame, TWinSysButton& button) {
    if (frame.Handle == nullptr || button.Skin == nullptr || !button.Visible) return;
    TDataSkinSysButton& skin = *button.Skin;
    if (skin.Image.Empty() && !IsIconAction(skin.Action)) return;
    HDC dc = GetWindowDC(frame.Handle);
    if (dc == nullptr) return;
    try {
        DrawButtonFace(frame, skin, dc, ToRect(button.Rect), StateFrame(skin, button));
    } catch (...) {
    }
    ReleaseDC(frame.Handle, dc);
}

}  // namespace skin
