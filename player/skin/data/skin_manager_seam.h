// What the skin data component asks of the program's skin manager, which finds and skins the
// windows. The component only sees this interface; until a real manager is installed the
// program's manager is a null one that records its state and skins nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace skin {

class TSkinData;
class IFormSkinner;

// Deferred actions a component requests of the manager.
enum class SkinAction { Skin = 1, Unskin = 2, Refresh = 3 };

class ISkinManager {
public:
    virtual ~ISkinManager() = default;

    // The first registered sfMainform component becomes the main skin data.
    virtual void RegisterSkinData(TSkinData* data) = 0;
    // Also forgets data as the main and as the pending skin data.
    virtual void UnregisterSkinData(TSkinData* data) = 0;
    // The thread's window hook; a second call does nothing.
    virtual void InstallHook() = 0;
    virtual void SetPendingSkinData(TSkinData* data) = 0;
    // Carries the action out after delayMs; before any window was activated it only switches
    // skinning on or off.
    virtual void RequestAction(SkinAction action, int delayMs) = 0;
    virtual int ActivationState() const = 0;
    virtual void SetActivationState(int state) = 0;
    virtual void SetSkinning(bool skinning) = 0;
    // Skins one window now.
    virtual void SkinForm(HWND window) = 0;
    // Drops the caption-button objects of every form skinned with data.
    virtual void RefreshFormsOfSkinData(TSkinData* data) = 0;

    // ---- what the form skinners ask of the manager ----------------------------------------
    virtual bool Skinning() const = 0;
    virtual IFormSkinner* FindFormSkinner(HWND window) const = 0;
    // Called by a form skinner's destructor: drops that skinner from the list by pointer (it is
    // not freed here). Nothing while the manager itself is being destroyed.
    virtual void ForgetForm(IFormSkinner* skinner) = 0;
    // Which menu is opening: 0 none, 1 a window's menu, 2 the system menu.
    virtual int MenuKind() const = 0;
    virtual void SetMenuKind(int kind) = 0;
    // A menu-bar popup is being tracked.
    virtual bool MenuOpen() const = 0;
    virtual void SetMenuOpen(bool open) = 0;
};

// Makes the program's manager when the first component needs one.
using SkinManagerFactory = std::function<std::unique_ptr<ISkinManager>()>;

// The program's manager, or nullptr before any component made one.
ISkinManager* SkinManager();
// The program's manager, made by the factory when there is none yet. It lives until the
// program ends, past every component.
ISkinManager& EnsureSkinManager();
// Replaces the factory (an empty one restores the null manager) and returns the old one.
SkinManagerFactory SetSkinManagerFactory(SkinManagerFactory factory);
// Frees the program's manager (tests start each case without one).
void ResetSkinManager();

// The manager until the real one exists: remembers what it is told and skins nothing.
class NullSkinManager : public ISkinManager {
public:
    void RegisterSkinData(TSkinData* data) override;
    void UnregisterSkinData(TSkinData* data) override;
    void InstallHook() override { hookInstalled_ = true; }
    void SetPendingSkinData(TSkinData* data) override { pending_ = data; }
    void RequestAction(SkinAction, int) override {}
    int ActivationState() const override { return activation_; }
    void SetActivationState(int state) override { activation_ = state; }
    void SetSkinning(bool skinning) override { skinning_ = skinning; }
    void SkinForm(HWND) override {}
    void RefreshFormsOfSkinData(TSkinData*) override {}
    bool Skinning() const override { return skinning_; }
    IFormSkinner* FindFormSkinner(HWND) const override { return nullptr; }
    void ForgetForm(IFormSkinner*) override {}
    int MenuKind() const override { return menuKind_; }
    void SetMenuKind(int kind) override { menuKind_ = kind; }
    bool MenuOpen() const override { return menuOpen_; }
    void SetMenuOpen(bool open) override { menuOpen_ = open; }

    bool HookInstalled() const { return hookInstalled_; }
    TSkinData* MainSkinData() const { return main_; }
    TSkinData* PendingSkinData() const { return pending_; }

private:
    std::vector<TSkinData*> registered_;
    TSkinData* main_ = nullptr;
    TSkinData* pending_ = nullptr;
    bool hookInstalled_ = false;
    bool skinning_ = false;
    int activation_ = 0;
    int menuKind_ = 0;
    bool menuOpen_ = false;
};

}  // namespace skin
