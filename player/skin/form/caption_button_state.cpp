#include "caption_button_state.h"

namespace skin {
namespace {

constexpr int kMenuBarButtons = 100;

bool AnyBox(const FormFrameState& form) { return form.Has(fiMinimizeBox) || form.Has(fiMaximizeBox); }

// The rules the two conditions share; `first` is A. Codes 200-2000 are written for A only;
// B takes the same rules (a B of 200+ would otherwise hide its button whatever A says).
bool ConditionHolds(int code, bool first, const FormFrameState& form, int action, const ButtonVisibleQuery& ask) {
    const bool maximized = form.WindowState == wsMaximized;
    switch (code) {
    case 0: return true;
    case 1: return maximized;
    case 2: return !maximized;
    case 3: return form.WindowActive;
    case 4: return !form.WindowActive;
    case 6:
    case 8: return AnyBox(form) && (!first || form.Has(fiSystemMenu));  // B asks no system menu
    case 7: return !form.Has(fiMaximizeBox);
    case 9: return !form.Has(fiMinimizeBox);
    case kMenuBarButtons: return form.FormKind == fkMdiFrame && form.MdiChildMaximized && form.HasMenuBar;
    case 200: return form.BorderKind == bkDialog && !form.IsDialog;
    default: break;
    }
    if (code > 200 && code < 1000) return true;
    if (code >= 1000 && code <= 2000) return ask && ask(code, action) > 0;
    return false;  // 5, 10-99, 101-199, above 2000 and negative codes (-1 among them)
}

}  // namespace

bool VisibilityHolds(int code, const FormFrameState& form, int action, const ButtonVisibleQuery& ask) {
    return ConditionHolds(code, true, form, action, ask);
}

bool Visibility1Holds(int code, const FormFrameState& form, int action, const ButtonVisibleQuery& ask) {
    return ConditionHolds(code, false, form, action, ask);
}

bool UpdateCaptionButtonState(const CaptionButtonSpec& button, CaptionButtonState& state, const FormFrameState& form,
                              const ButtonVisibleQuery& ask) {
    bool visible = VisibilityHolds(button.Visibility, form, button.Action, ask) &&
                   Visibility1Holds(button.Visibility1, form, button.Action, ask);
    const bool systemMenu = form.Has(fiSystemMenu);
    switch (button.Action) {
    case 0: if (!systemMenu) visible = false; break;
    case 1: state.Enabled = form.Has(fiMaximizeBox) && systemMenu; break;
    case 2: state.Enabled = form.Has(fiMinimizeBox) && systemMenu; break;
    case 3:
    case 11:
    case 12: if (form.BorderKind == bkDialog) visible = false; break;
    default: break;
    }
    state.Visible = visible;
    return visible;
}

bool PaintsCaptionButton(const CaptionButtonSpec& button, const CaptionButtonState& state) {
    return state.Visible && button.HasPicture() && button.Visibility != kMenuBarButtons;
}

int CaptionButtonFrame(const CaptionButtonSpec& button, const CaptionButtonState& state, bool windowActive) {
    if (button.Frame < 4) return 1;
    return windowActive && state.Enabled ? 1 : 4;
}

}  // namespace skin
