// Opening a menu-bar item's drop-down and the hook that watches its menu loop.
#include <gtest/gtest.h>

#include <functional>

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
    // The first item must be selected when the popup first shows.
    if (!g_seen.popupShown && ++g_ticks < 10) return;
    KillTimer(nullptr, id);
    EndMenu();
}

// The window procedure sees WM_COMMAND when the menu loop dispatches it.
// A non-client click can be handed to the test, as the form's handler would take it.
struct CommandWatch {
    tk::TWndMethod saved;
    std::vector<WPARAM> commands;
    std::function<void(POINT)> onNcClick;
    void Handle(tk::TMessage& m) {
        if (m.Msg == WM_COMMAND) {
            commands.push_back(m.WParam);
            g_seen.commandQueuedOrSeen = true;
        }
        if (m.Msg == WM_NCLBUTTONDOWN && m.WParam == HTCLIENT && onNcClick) {
            onNcClick(POINT{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))});
            m.Result = 0;
            return;
        }
        saved(m);
    }
};

class OpenMenuTest : public MenuBarTest {
protected:
    void SetUp() override {
        MenuBarTest::SetUp();
        ShowWindow(host.window, SW_SHOWNOACTIVATE);
        tk::testing_support::Pump();
        ReadFrame();
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

// Right on a drop-down's item that opens nothing: the loop ends, and the posted click opens the
// next item's drop-down (the test's window procedure stands for the form's click handling).
struct SwitchSeen {
    std::vector<RECT> popups;
    int ticks = 0;
};
SwitchSeen g_switch;

void CALLBACK PressRightThenClose(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    RECT r{};
    const bool shown = popup != nullptr && IsWindowVisible(popup) && GetWindowRect(popup, &r);
    const bool fresh = shown && (g_switch.popups.empty() || r.left != g_switch.popups.back().left);
    if (fresh) {
        g_switch.popups.push_back(r);
        if (g_switch.popups.size() == 1) PostMessageA(g_window, WM_KEYDOWN, VK_RIGHT, 0);
    }
    if (g_switch.popups.size() < 2 && ++g_switch.ticks < 60) return;
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(OpenMenuTest, RightOnAnItemWithoutSubmenuOpensTheNextDropDown) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    TWinSkinMenu* opened = bar.get();
    std::vector<int> clicked;
    bool clickedInsideLoop = false;  // the next drop-down would open nested in the first
    watch.onNcClick = [&](POINT screen) {
        clickedInsideLoop = clickedInsideLoop || MenuLoop().Hook != nullptr;
        RECT w{};
        GetWindowRect(host.window, &w);
        if (TMenuBtn* item = opened->ItemAt(POINT{screen.x - w.left, screen.y - w.top})) {
            clicked.push_back(item->Index);
            opened->OpenMenuButton(*item);
        }
    };
    g_switch = {};
    RECT window{};
    GetWindowRect(host.window, &window);
    SetForegroundWindow(host.window);
    SetTimer(nullptr, 0, 100, PressRightThenClose);
    EXPECT_TRUE(bar->OpenMenuButton(*bar->Buttons[0]));
    tk::testing_support::Pump();  // the posted click
    EXPECT_EQ(clicked, std::vector<int>{1});
    EXPECT_FALSE(clickedInsideLoop) << "the first loop ends before the click arrives";
    ASSERT_EQ(g_switch.popups.size(), 2u);
    EXPECT_EQ(g_switch.popups[0].left, bar->Buttons[0]->Rect.left + window.left);
    EXPECT_EQ(g_switch.popups[1].left, bar->Buttons[1]->Rect.left + window.left);
    EXPECT_EQ(g_switch.popups[1].top, bar->Buttons[1]->Rect.bottom + window.top);
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

// The click SwitchTo posted, as the window point it aims at; none: {-1, -1}.
POINT PostedClick(HWND window) {
    MSG msg;
    POINT point{-1, -1};
    RECT w{};
    GetWindowRect(window, &w);
    while (PeekMessageA(&msg, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE))
        if (msg.wParam == HTCLIENT)
            point = POINT{static_cast<short>(LOWORD(msg.lParam)) - w.left, static_cast<short>(HIWORD(msg.lParam)) - w.top};
    return point;
}

TEST_F(MenuFilterTest, ArrowKeysPastTheDropDownClickTheNeighbouringItem) {
    MenuLoop().FirstMessageDone = true;
    tk::TMenuItem* about = menu.top[3]->Items(0);
    tk::TMenuItem* player = menu.nested->Items(0);
    struct Case {
        const char* name;
        int open;
        WPARAM key;
        tk::TMenuItem* selected;
        int hidden;  // an item made invisible, or -1
        int target;  // -1: no switch
    };
    const Case cases[] = {
        {"right, nothing selected", 1, VK_RIGHT, nullptr, -1, 2},
        {"right on the last wraps to the first", 3, VK_RIGHT, nullptr, -1, 0},
        {"left on the first wraps to the last", 0, VK_LEFT, nullptr, -1, 3},
        {"left, nothing selected", 2, VK_LEFT, nullptr, -1, 1},
        {"right on an item without submenu", 3, VK_RIGHT, about, -1, 0},
        {"right on an item that opens a submenu", 3, VK_RIGHT, menu.nested, -1, -1},
        {"left on the drop-down's own item", 3, VK_LEFT, about, -1, 2},
        {"left inside a submenu closes only that", 3, VK_LEFT, player, -1, -1},
        {"right passes over an invisible item", 0, VK_RIGHT, nullptr, 1, 2},
        {"down stays in the drop-down", 1, VK_DOWN, nullptr, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto& b : bar->Buttons) b->Visible = true;
        if (c.hidden >= 0) bar->Buttons[static_cast<size_t>(c.hidden)]->Visible = false;
        MenuLoopState& loop = MenuLoop();
        loop.CurrentIndex = c.open;
        loop.TrackedPopup = bar->Buttons[static_cast<size_t>(c.open)]->Submenu;
        loop.SelectedItem = c.selected;
        loop.Moved = loop.SwitchPosted = false;
        Filter(WM_KEYDOWN, c.key, 0);
        const POINT click = PostedClick(host.window);
        if (c.target < 0) {
            EXPECT_EQ(click.x, -1);
            EXPECT_FALSE(loop.Moved);
            continue;
        }
        const SliceRect& r = bar->Buttons[static_cast<size_t>(c.target)]->Rect;
        EXPECT_EQ(click.x, r.left + 1);
        EXPECT_EQ(click.y, r.top + 1);
        EXPECT_TRUE(loop.Moved);
        EXPECT_TRUE(loop.SwitchPosted);
        Filter(WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(PostedClick(host.window).x, -1) << "one click per loop";
    }
}

TEST_F(MenuFilterTest, MouseOverAnotherItemClicksIt) {
    MenuLoop().FirstMessageDone = true;
    MenuLoop().CurrentIndex = 1;
    // The screen point of a window point, the way the skinned frame's client area lies.
    auto screenOf = [this](const SliceRect& r) {
        POINT p{r.left + 3 - host.frame.BorderLeft, r.top + 3 - host.frame.BorderTop - host.frame.MenuBarHeight};
        ClientToScreen(host.window, &p);
        return p;
    };
    auto move = [this](POINT screen) {
        MSG msg{host.window, WM_MOUSEMOVE, 0, 0, 0, screen};
        MenuMsgFilterProc(MSGF_MENU, 0, reinterpret_cast<LPARAM>(&msg));
        return PostedClick(host.window);
    };
    EXPECT_EQ(move(screenOf(bar->Buttons[1]->Rect)).x, -1) << "over the open item";
    const POINT overNext = screenOf(bar->Buttons[2]->Rect);
    EXPECT_EQ(move(overNext).x, bar->Buttons[2]->Rect.left + 1);
    MenuLoop().SwitchPosted = false;
    EXPECT_EQ(move(overNext).x, -1) << "the mouse has not moved";
}

}  // namespace
}  // namespace skin::testing
