// What the menu-bar tests share: a toolkit form with a main menu shaped like the player's (four
// top-level items with drop-downs, one disabled, each with an accelerator), the flat frame skin,
// and a host double that gives the frame state a form skinner would and records what it is told.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gui_test_environment.h"
#include "menus.h"
#include "nc_object.h"
#include "skin_data_fixture.h"
#include "skin_menu_bar.h"

namespace skin::testing {

class RecordingNcHost : public INcHost {
public:
    HWND WindowHandle() const override { return window; }
    TSkinData* SkinData() const override { return data; }
    const FormFrameState& Frame() const override { return frame; }
    tk::TCustomForm* VclForm() const override { return form; }
    TNCObject* HotObject() const override { return hot; }
    void SetHotObject(TNCObject* object) override { hot = object; }
    void PaintCaptionButton(TWinSysButton& button) override;
    void SetInMenuLoop(bool inLoop) override { log.push_back(inLoop ? "InMenuLoop 1" : "InMenuLoop 0"); }
    void SetTrackedPopup(HMENU popup) override {
        trackedPopup = popup;
        log.push_back("TrackedPopup");
    }

    HWND window = nullptr;
    TSkinData* data = nullptr;
    FormFrameState frame;
    tk::TCustomForm* form = nullptr;
    TNCObject* hot = nullptr;
    HMENU trackedPopup = nullptr;
    std::vector<std::string> log;
};

// The player's menu shape: "&File" (Open, Exit), "&Playback" (Play, Pause), "&Settings"
// disabled (Connection), "&Help" (About, with a submenu Software > Player).
struct PlayerLikeMenu {
    tk::TMainMenu* menu = nullptr;
    std::vector<tk::TMenuItem*> top;  // the four top-level items
    tk::TMenuItem* nested = nullptr;  // Help > Software, which has a submenu of its own
};

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The frame state from the skin and the window as it now is.
    void ReadFrame();
    // A bar with the host, built from the window's menu and laid out.
    std::unique_ptr<TWinSkinMenu> BuiltBar();

    std::unique_ptr<tk::TCustomForm> form;
    PlayerLikeMenu menu;
    StreamedSkin skin;
    RecordingNcHost host;
};

// The caption's width in the menu font, as the rule measures it.
int MenuTextWidth(const std::wstring& caption);

}  // namespace skin::testing
