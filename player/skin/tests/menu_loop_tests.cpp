// Opening a menu-bar item's drop-down and the hook that watches its menu loop.
#include <gtest/gtest.h>

#include "menu_loop.h"
#include "menu_test_fixture.h"
#include "owner_drawn_popup.h"

namespace skin::testing {
namespace {

// What a timer saw while the popup was tracked, before it closed the menu.
struct PopupSeen {
    bool popupShown = false;
    RECT popupRect{};
    bool firstItemSelected = false;
    bool commandQueuedOrSeen = false;
};
PopupSeen g_seen;
HWND g_window = nullptr;
HMENU g_submenu = nullptr;
int g_ticks = 0;

void CALLBACK ObserveAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup != nullptr && IsWindowVisible(popup)) {
        g_seen.popupShown = true;
        GetWindowRect(popup, &g_seen.popupRect);
        g_seen.firstItemSelected = (GetMenuState(g_submenu, 0, MF_BYPOSITION) & MF_HILITE) != 0;
    }
    MSG queued;
    if (PeekMessageA(&queued, g_window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) g_seen.commandQueuedOrSeen = true;
    // Give the posted Down key a few ticks to select the first item before closing.
    if (++g_ticks < 10 && !g_seen.firstItemSelected) return;
    KillTimer(nullptr, id);
    EndMenu();
}

// The window procedure sees WM_COMMAND when the menu loop dispatches it.
struct CommandWatch {
    tk::TWndMethod saved;
    std::vector<WPARAM> commands;
    void Handle(tk::TMessage& m) {
        if (m.Msg == WM_COMMAND) {
            commands.push_back(m.WParam);
            g_seen.commandQueuedOrSeen = true;
        }
        saved(m);
    }
};

class OpenMenuTest : public MenuBarTest {
protected:
    void SetUp() override {
        MenuBarTest::SetUp();
        g_seen = {};
        g_ticks = 0;
        g_window = host.window;
        watch.saved = form->WindowProc();
        form->SetWindowProc(tk::MakeWndMethod<CommandWatch, &CommandWatch::Handle>(&watch));
    }
    void TearDown() override {
        form->SetWindowProc(watch.saved);
        MenuBarTest::TearDown();
    }
    CommandWatch watch;
};

TEST_F(OpenMenuTest, ClickOpensTheDropDownUnderTheItemWithItsFirstItemSelected) {
    SetSkinManagerFactory([] { return std::make_unique<NullSkinManager>(); });
    ISkinManager& manager = EnsureSkinManager();
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    TMenuBtn& item = *bar->Buttons[1];
    g_submenu = item.Submenu;
    RECT window{};
    GetWindowRect(host.window, &window);
    SetForegroundWindow(host.window);
    SetTimer(nullptr, 0, 100, ObserveAndClose);

    EXPECT_TRUE(bar->OpenMenuButton(item));
    tk::testing_support::Pump();

    EXPECT_TRUE(g_seen.commandQueuedOrSeen) << "WM_COMMAND is posted before the popup is tracked";
    EXPECT_EQ(watch.commands, std::vector<WPARAM>{item.Command});
    ASSERT_TRUE(g_seen.popupShown);
    EXPECT_EQ(g_seen.popupRect.left, item.Rect.left + window.left);
    EXPECT_EQ(g_seen.popupRect.top, item.Rect.bottom + window.top);
    EXPECT_TRUE(g_seen.firstItemSelected);
    EXPECT_EQ(host.log, (std::vector<std::string>{"InMenuLoop 1", "TrackedPopup", "InMenuLoop 0"}));
    EXPECT_EQ(host.trackedPopup, item.Submenu);
    EXPECT_EQ(manager.MenuKind(), 1);
    EXPECT_TRUE(manager.MenuOpen());
    EXPECT_EQ(MenuLoop().Hook, nullptr) << "the hook is gone with the loop";
    EXPECT_EQ(MenuLoop().CurrentIndex, -1);
}

TEST_F(OpenMenuTest, ItemsWithoutDropDownOrDisabledOnlyPostTheirCommand) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();  // no manager: it is not asked
    TMenuBtn& plain = *bar->Buttons[0];
    plain.Submenu = nullptr;
    EXPECT_FALSE(bar->OpenMenuButton(plain));
    EXPECT_TRUE(host.log.empty());

    // A disabled item's loop is entered and left without a popup (no timer closes one here).
    TMenuBtn& disabled = *bar->Buttons[2];
    EXPECT_TRUE(bar->OpenMenuButton(disabled));
    EXPECT_EQ(host.log, (std::vector<std::string>{"InMenuLoop 1", "TrackedPopup", "InMenuLoop 0"}));
    tk::testing_support::Pump();
    EXPECT_EQ(watch.commands, (std::vector<WPARAM>{plain.Command, disabled.Command}));
}

TEST_F(MenuBarTest, DropDownsAreMadeOwnerDrawnThroughTheirSubmenus) {
    HMENU help = menu.top[3]->Handle();
    MakeOwnerDrawn(help);
    auto type = [](HMENU m, UINT position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STATE;
        GetMenuItemInfoA(m, position, TRUE, &info);
        return info;
    };
    EXPECT_NE(type(help, 0).fType & MFT_OWNERDRAW, 0u);
    const MENUITEMINFOA nested = type(help, 1);
    EXPECT_NE(nested.fType & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(nested.hSubMenu, menu.nested->Handle()) << "the submenu stays";
    EXPECT_NE(type(menu.nested->Handle(), 0).fType & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(type(menu.top[0]->Handle(), 0).fType & MFT_OWNERDRAW, 0u) << "other drop-downs untouched";
}

TEST(MenuPlatform, OnlyVersion4Point0BuildsFromTheToolkitItems) {
    struct Case {
        DWORD version;
        bool first4;
    };
    const Case cases[] = {
        {0x05650004, true},   // 4.0 on NT
        {0xC0000004, true},   // 4.0 on 9x
        {0xC0000A04, false},  // 4.10
        {0x0A280105, false},  // 5.1
        {0x1DB10106, false},  // 6.1
    };
    for (const Case& c : cases) EXPECT_EQ(IsFirstVersion4(c.version), c.first4) << std::hex << c.version;
}

// ---- the hook, called as the menu loop calls it --------------------------------------------

class MenuFilterTest : public MenuBarTest {
protected:
    void SetUp() override {
        MenuBarTest::SetUp();
        bar = BuiltBar();
        InstallMenuHook(*bar);
        tk::testing_support::Pump();
    }
    void TearDown() override {
        RemoveMenuHook();
        bar.reset();
        MenuBarTest::TearDown();
    }
    LRESULT Filter(UINT message, WPARAM wParam, LPARAM lParam, int code = MSGF_MENU) {
        MSG msg{host.window, message, wParam, lParam, 0, {}};
        return MenuMsgFilterProc(code, 0, reinterpret_cast<LPARAM>(&msg));
    }
    int QueuedDownKeys() {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, host.window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) n += msg.wParam == VK_DOWN;
        return n;
    }
    std::unique_ptr<TWinSkinMenu> bar;
};

TEST_F(MenuFilterTest, TheFirstMenuMessagePostsOneDownKey) {
    Filter(WM_MOUSEMOVE, 0, 0, MSGF_DIALOGBOX);
    EXPECT_EQ(QueuedDownKeys(), 0) << "not a menu's message";
    Filter(WM_MOUSEMOVE, 0, 0);
    Filter(WM_TIMER, 0, 0);
    EXPECT_EQ(QueuedDownKeys(), 1);
    InstallMenuHook(*bar);  // a new loop starts over
    MenuLoop().FirstMessageDone = true;  // as the opener does after posting the key itself
    Filter(WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(QueuedDownKeys(), 0);
}

TEST_F(MenuFilterTest, TheLoopEndsWhenTheMenuClosesOrAltIsPressed) {
    MenuLoop().FirstMessageDone = true;
    Filter(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(host.log, std::vector<std::string>{"InMenuLoop 0"});
    host.log.clear();
    MenuLoop().Moved = true;  // handing over to another item: the loop goes on
    Filter(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_TRUE(host.log.empty());
    Filter(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(MenuLoop().Moved);
    Filter(WM_SYSKEYDOWN, VK_MENU, 0);
    EXPECT_EQ(host.log, std::vector<std::string>{"InMenuLoop 0"});
}

TEST_F(MenuFilterTest, SelectionIsRememberedAsTheToolkitItem) {
    MenuLoop().FirstMessageDone = true;
    tk::TMenuItem* about = menu.top[3]->Items(0);
    HMENU help = menu.top[3]->Handle();
    Filter(WM_MENUSELECT, MAKEWPARAM(about->Command(), MF_HILITE), reinterpret_cast<LPARAM>(help));
    EXPECT_EQ(MenuLoop().SelectedItem, about);
    Filter(WM_MENUSELECT, MAKEWPARAM(1, MF_HILITE | MF_POPUP), reinterpret_cast<LPARAM>(help));
    EXPECT_EQ(MenuLoop().SelectedItem, menu.nested);
}

}  // namespace
}  // namespace skin::testing
