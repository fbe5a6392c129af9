// TSkinManage: the program's one skin manager. A thread hook sees every window the GUI thread
// creates, activates and destroys; each top-level window that should be skinned gets a form
// skinner at its first activation. A timer carries out the skin data component's later requests
// to skin, unskin or refresh the forms.
//
// Ownership: the manager lists the form skinners and frees the ones it drops; a skinner freed
// elsewhere (with its form) takes itself off the list through ForgetForm. Every walk over the
// list works on a copy and skips entries that left the list meanwhile, because skinning,
// recolouring or unskinning a window can activate or destroy others, which re-enters the hook.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "form_skinner_seam.h"
#include "popup_skinner.h"
#include "skin_manager_seam.h"

namespace tk {
class TCustomForm;
class TTimer;
class TObject;
}  // namespace tk

namespace skin {

class TSkinManage : public ISkinManager {
public:
    // State values.
    static constexpr int kNoActivationYet = 0;
    static constexpr int kRunning = 1;
    static constexpr int kDestroying = 4;
    static constexpr unsigned kTimerIntervalMs = 100;

    explicit TSkinManage(FormSkinnerFactory factory);
    ~TSkinManage() override;
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // ---- ISkinManager ------------------------------------------------------------------------
    void RegisterSkinData(TSkinData* data) override;
    void UnregisterSkinData(TSkinData* data) override;
    void InstallHook() override;
    void SetPendingSkinData(TSkinData* data) override { pending_ = data; }
    void RequestAction(SkinAction action, int delayMs) override;
    int ActivationState() const override { return state_; }
    void SetActivationState(int state) override { state_ = state; }
    void SetSkinning(bool skinning) override { skinning_ = skinning; }
    void SkinForm(HWND window) override { SkinFormNow(window); }
    void RefreshFormsOfSkinData(TSkinData* data) override;
    bool Skinning() const override { return skinning_; }
    IFormSkinner* FindFormSkinner(HWND window) const override;
    void ForgetForm(IFormSkinner* skinner) override;
    int MenuKind() const override { return menuKind_; }
    void SetMenuKind(int kind) override { menuKind_ = kind; }
    bool MenuOpen() const override { return menuOpen_; }
    void SetMenuOpen(bool open) override { menuOpen_ = open; }

    // ---- skinning one window -----------------------------------------------------------------
    // True when a skinner was made for the window.
    bool SkinFormNow(HWND window);
    // Skins a visible top-level form.
    void SkinFormIfVisible(tk::TCustomForm* form);
    // The class rules and the main component's OnFormSkin: may this top-level window be skinned?
    bool ShouldSkin(HWND window, const std::wstring& className) const;
    // The component whose skin the window takes, or none.
    TSkinData* SkinDataFor(HWND window, const std::wstring& className) const;
    // Frees the skinners whose window is gone.
    void PurgeDeadSkinners();

    // ---- deferred actions --------------------------------------------------------------------
    // The timer's handler: carries out the pending request for PendingSkinData.
    void DoDeferredAction();

    // ---- popup menus (not skinned yet) -------------------------------------------------------
    void SkinPopupMenu(HWND window);
    bool ForgetPopup(HWND window);
    void TagLastUntaggedPopup(HMENU menu);
    HBITMAP PopupBitmapByTag(HMENU menu) const;

    // ---- MDI ---------------------------------------------------------------------------------
    void SetMaximizedMdiChild(bool shown) { maxMdiChildShown_ = shown; }
    bool MaxMdiChildShown() const { return maxMdiChildShown_; }
    HWND MdiClientWindow() const { return mdiClientWindow_; }
    void SetMdiClientWindow(HWND window) { mdiClientWindow_ = window; }
    tk::TCustomForm* MdiFrame() const { return mdiFrame_; }
    void SetMdiFrame(tk::TCustomForm* frame) { mdiFrame_ = frame; }

    // ---- what the rest of the engine and the tests read --------------------------------------
    bool SkinningAll() const { return skinningAll_; }
    SkinAction Request() const { return request_; }
    bool TimerEnabled() const;
    TSkinData* PendingSkinData() const { return pending_; }
    TSkinData* MainSkinData() const { return main_; }
    HHOOK HookHandle() const { return hook_; }
    DWORD SystemVersion() const { return systemVersion_; }
    int ManagerTag() const { return managerTag_; }
    const std::vector<IFormSkinner*>& FormSkinners() const { return formSkinners_; }

    // The thread's WH_CBT hook procedure.
    static LRESULT CALLBACK CBTHookProc(int code, WPARAM wparam, LPARAM lparam);

private:
    void OnWindowCreated(HWND window, const CREATESTRUCTW& create);
    bool Listed(IFormSkinner* skinner) const;
    // Takes the skinner off the list and frees it.
    void Drop(IFormSkinner* skinner);
    // Unskins, repaints at once and frees one skinner of a living window.
    void UnskinAndDrop(IFormSkinner* skinner);
    // The toolkit control of the window: a form among Screen's forms whose window exists, else
    // the control the toolkit attached to the window.
    static tk::TObject* ToolkitObjectOf(HWND window);

    void DeferredForOneForm(TSkinData* data);
    void DeferredForAllForms(TSkinData* data);
    void RefreshSkinners(TSkinData* data, bool firstOnly);

    FormSkinnerFactory factory_;
    std::unique_ptr<tk::TTimer> timer_;
    HHOOK hook_ = nullptr;
    DWORD systemVersion_ = 0;
    std::vector<IFormSkinner*> formSkinners_;
    std::vector<std::unique_ptr<IPopupSkinner>> popupSkinners_;
    std::vector<TSkinData*> skinDatas_;
    bool skinning_ = false;
    bool skinningAll_ = false;
    int state_ = kNoActivationYet;
    int menuKind_ = 0;
    bool menuOpen_ = false;
    bool maxMdiChildShown_ = false;
    HWND mdiClientWindow_ = nullptr;
    tk::TCustomForm* mdiFrame_ = nullptr;
    SkinAction request_ = SkinAction::Skin;
    TSkinData* pending_ = nullptr;
    TSkinData* main_ = nullptr;
    int managerTag_ = 0;
};

}  // namespace skin
