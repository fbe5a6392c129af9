// TWinSkinForm: the skinner of one top-level window. It replaces the window's procedure and hooks
// the toolkit form's WindowProc, then, on SKIN_START, sizes the window to the skinned frame and
// from then on paints the frame, caption, caption buttons and menu bar itself and answers the
// non-client mouse. Unskin gives the window back as it found it: procedures, styles, menu,
// client size and colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "component.h"
#include "form_skinner_seam.h"
#include "frame_painter.h"
#include "graphics.h"
#include "messages.h"
#include "nc_object.h"
#include "timer.h"

namespace tk {
class TCustomForm;
}

namespace skin {

class TSkinData;
class TWinSkinMenu;
class ProcedureRelay;

class TWinSkinForm : public tk::TComponent, public IFormSkinner, public INcHost {
    TK_CLASS(TWinSkinForm)
public:
    explicit TWinSkinForm(tk::TComponent* owner);
    ~TWinSkinForm() override;

    // The manager sets these before attaching.
    void SetWindow(HWND window, int managerTag, const std::wstring& classText);
    // A toolkit form: its WindowProc is hooked and its colour set, besides Prepare.
    void AttachForm(TSkinData* data, tk::TCustomForm* form);
    // A window without a toolkit object.
    void AttachWindow(TSkinData* data);

    // ---- IFormSkinner and INcHost ---------------------------------------------------------
    HWND WindowHandle() const override { return ctx_.Handle; }
    TSkinData* SkinData() const override { return ctx_.Skin; }
    int SkinState() const override { return ctx_.SkinState; }
    int ManagerTag() const override { return managerTag_; }
    uint8_t FormKind() const override { return ctx_.Frame.FormKind; }
    void ComputeBorders() override;
    void Recolor() override;
    void Unskin() override;
    void UnskinForDestroy() override;
    void FreeCaptionButtons() override;
    // Without the skinned frame: procedures and colour given back, the controls repainted.
    void UnskinControlsOnly();
    const FormFrameState& Frame() const override { return ctx_.Frame; }
    tk::TCustomForm* VclForm() const override { return form_; }
    TNCObject* HotObject() const override { return hotObject_; }
    void SetHotObject(TNCObject* object) override { hotObject_ = object; }
    void PaintCaptionButton(TWinSysButton& button) override;
    void SetInMenuLoop(bool inLoop) override { inMenuLoop_ = inLoop; }
    void SetTrackedPopup(HMENU popup) override { trackedPopup_ = popup; }

    // ---- the window procedure -------------------------------------------------------------
    void SkinWndProc(tk::TMessage& message);
    void FormWindowProc(tk::TMessage& message);
    // The previous window procedure, always through the ANSI call.
    void CallDefault(tk::TMessage& message);
    bool Attached() const { return relay_ != nullptr; }

    // ---- non-client objects and caption actions --------------------------------------------
    // Screen point to window coordinates (origin at the window's top-left corner).
    POINT ToWindowPoint(POINT screen) const;
    // The visible caption button with an action, else the captioned menu-bar item, at a window
    // point; none elsewhere.
    TNCObject* HitObject(POINT windowPoint) const;
    // What a caption button does on button up; enabled gates maximize and minimize.
    void PerformCaptionAction(int action, bool enabled, POINT screenPoint);
    // Lets go of the hot object once the cursor has left it.
    void CheckHover();
    const std::vector<std::unique_ptr<TWinSysButton>>& SysButtons() const { return ctx_.SysButtons; }

    // ---- sizing, caption style, window state -----------------------------------------------
    void ResizeToSkin(bool keepClient);
    void SetCaptionStyle(bool on);
    void Maximize();
    void Minimize();
    void Restore();
    bool HasCloseItem() const;
    // The skinned system menu is not built yet: these do nothing.
    void BuildSysMenuPopup() {}
    void ShowSysMenu(POINT) {}

    TWinSkinMenu* MenuBar() const { return ctx_.MenuBar; }
    tk::TTimer* HoverTimer() const { return hoverTimer_; }
    int NativeFrameWidth() const { return nativeFrameWidth_; }
    int NativeFrameHeight() const { return nativeFrameHeight_; }
    bool SkinFrame() const { return ctx_.SkinFrame; }
    bool IsChild() const { return isChild_; }
    bool Started() const { return started_; }

    // The system version word the version branches read; GetVersion() unless a test sets it.
    uint32_t Version = GetVersion();

private:
    friend class ProcedureRelay;

    void Prepare(TSkinData* data);
    void ReadStyleFacts();
    void ReadBorderKind(uint32_t style, uint32_t exStyle);
    void CreateMenuBar();
    void ReplaceWindowProc();
    void RestoreProcedures();
    void HandleSkinStart();
    void FinishSkinning();
    void LoadIcon();
    void DrawIcon(HDC dc, const RECT& rect);
    void ApplyFormColour();
    void RestoreFormColour();
    void ResizeToNativeFrame();
    void FrameChanged();
    int WidenForCaption(int width);
    bool IsMajor4Minor0() const { return (Version & 0xFF) == 4 && ((Version >> 8) & 0xFF) == 0; }

    bool DispatchStageOne(tk::TMessage& message);
    void DispatchStageTwo(tk::TMessage& message);
    bool DispatchFrameMessages(tk::TMessage& message);
    void HandleNCActivate(tk::TMessage& message);
    void HandleMenuChanged(tk::TMessage& message);
    void HandleSize(tk::TMessage& message);
    void HandleGetMinMaxInfo(tk::TMessage& message);
    void HandleCommand(tk::TMessage& message);
    void HandleSysCommand(tk::TMessage& message);
    void HandleSetText(tk::TMessage& message);
    void HandleDialogKey(tk::TMessage& message);

    void HandleNCHitTest(tk::TMessage& message);
    void HandleNCMouseMove(tk::TMessage& message);
    void HandleNCLButtonDown(tk::TMessage& message);
    void HandleNCLButtonUp(tk::TMessage& message);
    void HandleNCLButtonDblClk(tk::TMessage& message);
    void HandleNCRButtonDown(tk::TMessage& message);
    void HandleOpenMenuAt(tk::TMessage& message);
    void ForgetHotObject();

    FramePaintContext ctx_;
    tk::TCustomForm* form_ = nullptr;
    ProcedureRelay* relay_ = nullptr;  // non-null exactly while the procedures are replaced
    WNDPROC oldWndProc_ = nullptr;     // kept past the relay: WM_NCDESTROY still calls it
    tk::TWndMethod oldFormProc_;
    tk::TTimer* hoverTimer_ = nullptr;
    tk::TFont captionFont_;
    tk::TBitmap iconBitmap_;
    HICON iconHandle_ = nullptr;
    int iconSize_ = 16;
    TNCObject* hotObject_ = nullptr;

    int managerTag_ = 0;
    std::wstring classText_;
    std::wstring winClassName_;
    HWND ownerWindow_ = nullptr;
    HMENU menuHandle_ = nullptr;
    HMENU trackedPopup_ = nullptr;
    tk::TColor savedColor_ = 0;
    bool started_ = false;
    bool ncHandled_ = false;
    bool accelHandled_ = false;
    bool inMenuLoop_ = false;
    bool sizable_ = false;
    bool isChild_ = false;
    int nativeFrameWidth_ = 0, nativeFrameHeight_ = 0;
    int titleTextWidth_ = 0;
    uint32_t lastMenuClick_ = 0;
    uint32_t doubleClickTime_ = 0;
};

// The factory the manager uses: the skinner, owned by request.Form, attached as a form or as a
// plain window.
IFormSkinner* MakeFormSkinner(const FormSkinnerRequest& request);

}  // namespace skin
