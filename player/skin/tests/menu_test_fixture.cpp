#include <gtest/gtest.h>

#include "menu_test_fixture.h"

#include "model_views.h"
#include "screen.h"

namespace skin::testing {

void RecordingNcHost::PaintCaptionButton(TWinSysButton& button) {
    log.push_back("PaintCaptionButton " + std::to_string(button.State));
}

namespace {

tk::TMenuItem* AddItem(tk::TComponent* owner, tk::TMenuItem* parent, const wchar_t* caption) {
    auto* item = new tk::TMenuItem(owner);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

PlayerLikeMenu MakePlayerLikeMenu(tk::TCustomForm& form) {
    PlayerLikeMenu m;
    m.menu = new tk::TMainMenu(&form);
    tk::TMenuItem* bar = m.menu->Items();
    const wchar_t* captions[] = {L"&File", L"&Playback", L"&Settings", L"&Help"};
    for (const wchar_t* caption : captions) m.top.push_back(AddItem(&form, bar, caption));
    AddItem(&form, m.top[0], L"&Open");
    AddItem(&form, m.top[0], L"E&xit");
    AddItem(&form, m.top[1], L"&Play");
    AddItem(&form, m.top[1], L"P&ause");
    AddItem(&form, m.top[2], L"&Connection");
    AddItem(&form, m.top[3], L"&About");
    m.nested = AddItem(&form, m.top[3], L"&Software");
    AddItem(&form, m.nested, L"&Player");
    m.top[2]->SetEnabled(false);
    form.SetMenu(m.menu);
    return m;
}

}  // namespace

void MenuBarTest::SetUp() {
    ResetSkinManager();
    form.reset(tk::TCustomForm::Create<tk::testing_support::TTestForm>(nullptr));
    form->SetBounds(100, 100, 500, 300);
    menu = MakePlayerLikeMenu(*form);
    skin = StreamTestSkin("FLAT_FRAME");
    host.window = form->Handle();
    host.data = skin.data;
    host.form = form.get();
    ShowWindow(host.window, SW_SHOWNOACTIVATE);
    tk::testing_support::Pump();
    ReadFrame();
}

void MenuBarTest::TearDown() {
    form.reset();
    skin = {};
    ResetSkinManager();
    SetSkinManagerFactory({});
}

void MenuBarTest::ReadFrame() {
    const BorderSizes borders = ComputeBorderSizes(*skin.data, bkSizable);
    host.frame.BorderLeft = borders.Left;
    host.frame.BorderTop = borders.Top;
    host.frame.BorderRight = borders.Right;
    host.frame.BorderBottom = borders.Bottom;
    host.frame.MenuBarHeight = GetSystemMetrics(SM_CYMENU);
    RECT r{};
    GetWindowRect(host.window, &r);
    host.frame.WindowWidth = r.right - r.left;
    host.frame.WindowHeight = r.bottom - r.top;
    host.frame.HasMenuBar = true;
}

std::unique_ptr<TWinSkinMenu> MenuBarTest::BuiltBar() {
    auto bar = std::make_unique<TWinSkinMenu>(nullptr, &host, skin.data);
    bar->BuildFromWindowMenu();
    EXPECT_EQ(bar->Buttons.size(), 4u) << "a window's menu is built once; rebuild the same bar";
    bar->Layout();
    return bar;
}

int MenuTextWidth(const std::wstring& caption) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, tk::Screen->MenuFont().Handle());
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, DT_CALCRECT | DT_NOCLIP);
    SelectObject(dc, old);
    DeleteDC(dc);
    return box.right - box.left;
}

}  // namespace skin::testing
