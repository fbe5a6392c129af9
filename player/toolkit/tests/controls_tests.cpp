// Control notifications, menus, layout and published properties of the real controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "bit_btn.h"
#include "exceptions.h"
#include "check_box.h"
#include "gauge.h"
#include "group_box.h"
#include "spin_edit.h"
#include "gui_test_environment.h"
#include "label.h"
#include "menus.h"
#include "page_control.h"
#include "panel.h"
#include "published_properties.h"
#include "status_bar.h"
#include "tree_view.h"

namespace tk {
namespace {
using testing_support::TTestForm;

struct Seen {
    UINT msg;
    WPARAM wparam;
    bool windowVisible;
    bool windowEnabled;
};
std::vector<Seen> g_win32Seen, g_hookSeen;
WNDPROC g_oldProc = nullptr;

bool IsNotification(UINT msg) { return msg == CM_VISIBLECHANGED || msg == CM_ENABLEDCHANGED || msg == CM_MENUCHANGED; }

LRESULT CALLBACK Watch(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (IsNotification(msg)) g_win32Seen.push_back({msg, wparam, IsWindowVisible(window) != FALSE, IsWindowEnabled(window) != FALSE});
    return CallWindowProcA(g_oldProc, window, msg, wparam, lparam);
}

struct HookWatch {
    TWndMethod saved;
    HWND window;
    void Handle(TMessage& m) {
        if (IsNotification(m.Msg))
            g_hookSeen.push_back({m.Msg, m.WParam, IsWindowVisible(window) != FALSE, IsWindowEnabled(window) != FALSE});
        saved(m);
    }
};

class Controls : public testing::Test {
protected:
    void SetUp() override {
        g_win32Seen.clear();
        g_hookSeen.clear();
        form.reset(TCustomForm::Create<TTestForm>(nullptr));
        form->SetBounds(0, 0, 608, 463);
    }
    std::unique_ptr<TTestForm> form;
};

TEST_F(Controls, VisibleAndEnabledNotifyBothLevelsAfterTheWindowChanged) {
    form->Show();
    auto* tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    HWND window = tree->Handle();
    g_oldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Watch)));
    HookWatch hook{tree->WindowProc(), window};
    tree->SetWindowProc(MakeWndMethod<HookWatch, &HookWatch::Handle>(&hook));

    tree->SetVisible(false);
    tree->SetEnabled(false);
    tree->SetVisible(true);
    for (auto* seen : {&g_win32Seen, &g_hookSeen}) {
        ASSERT_EQ(seen->size(), 3u);
        EXPECT_EQ((*seen)[0].msg, CM_VISIBLECHANGED);
        EXPECT_EQ((*seen)[0].wparam, 0u);
        EXPECT_FALSE((*seen)[0].windowVisible);
        EXPECT_EQ((*seen)[1].msg, CM_ENABLEDCHANGED);
        EXPECT_FALSE((*seen)[1].windowEnabled);
        EXPECT_EQ((*seen)[2].msg, CM_VISIBLECHANGED);
        EXPECT_EQ((*seen)[2].wparam, 1u);
        EXPECT_TRUE((*seen)[2].windowVisible);
    }
    tree->SetWindowProc(hook.saved);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_oldProc));
}

TEST_F(Controls, MenuItemChangeIsAppliedInPlaceAndTellsTheForm) {
    auto* menu = new TMainMenu(form.get());
    auto* top = new TMenuItem(form.get());
    top->SetCaption(L"File");
    menu->Items()->Add(top);
    auto* first = new TMenuItem(form.get());
    first->SetCaption(L"Open");
    auto* second = new TMenuItem(form.get());
    second->SetCaption(L"Exit");
    top->Add(first);
    top->Add(second);
    form->SetMenu(menu);
    HWND window = form->Handle();
    // The bar stays findable from outside the process when a skin takes it off the window.
    EXPECT_EQ(GetPropW(window, kMenuBarProperty), menu->Handle());
    g_oldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Watch)));

    // Someone else (a skin) owner-draws the sibling with its own Win32 call.
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_OWNERDRAW;
    SetMenuItemInfoW(top->Handle(), 1, TRUE, &info);

    first->SetEnabled(false);
    EXPECT_EQ(GetMenuState(top->Handle(), 0, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(top->Handle(), 1, TRUE, &info);
    EXPECT_NE(info.fType & MFT_OWNERDRAW, 0u);
    ASSERT_FALSE(g_win32Seen.empty());
    EXPECT_EQ(g_win32Seen.back().msg, CM_MENUCHANGED);

    // Ids: items with a submenu carry their command too, and both lookups find them.
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu->Handle(), 0, TRUE, &info);
    EXPECT_EQ(info.wID, top->Command());
    EXPECT_EQ(menu->FindItem(top->Command(), TFindItemKind::fkCommand), top);
    EXPECT_EQ(menu->FindItem(static_cast<UINT>(reinterpret_cast<UINT_PTR>(top->Handle())), TFindItemKind::fkHandle), top);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_oldProc));
    form->SetMenu(nullptr);
    EXPECT_EQ(GetPropW(window, kMenuBarProperty), nullptr);
}

TEST_F(Controls, HidingTheRightPanelRealignsAtOnceAndAnchorsKeepTheButtonGap) {
    form->Constraints().MinWidth = 608;
    form->Constraints().MinHeight = 463;
    auto* right = new TPanel(form.get());
    right->SetParent(form.get());
    right->SetWidth(159);
    right->SetAlign(TAlign::alRight);
    auto* client = new TPanel(form.get());
    client->SetParent(form.get());
    client->SetAlign(TAlign::alClient);
    auto* button = new TBitBtn(form.get());
    button->SetParent(form.get());
    button->SetBounds(client->Width() - 26 - 9, 300, 26, 20);
    button->SetAnchors(akRight | akBottom);
    form->Show();
    ASSERT_EQ(client->Width(), form->ClientWidth() - 159);

    right->Hide();
    EXPECT_EQ(client->Width(), form->ClientWidth());
    button->SetLeft(client->Width() - button->Width() - 9);
    EXPECT_EQ(client->Width() - (button->Left() + button->Width()), 9);

    form->SetBounds(form->Left(), form->Top(), 800, 600);
    EXPECT_EQ(client->Width() - (button->Left() + button->Width()), 9);
    RECT r;
    GetWindowRect(button->Handle(), &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(form->Handle(), &topLeft);
    EXPECT_EQ(topLeft.x, button->Left());

    form->SetBounds(form->Left(), form->Top(), 300, 200);
    EXPECT_EQ(form->Width(), 608);
    EXPECT_EQ(form->Height(), 463);
}

TEST_F(Controls, PaintControlsDrawsGraphicChildrenAtTheirPlaceOnAnyDc) {
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 100, 60);
    auto* gauge = new TGauge(form.get());
    gauge->SetParent(panel);
    gauge->SetBounds(20, 10, 40, 20);
    gauge->SetBackColor(0x0000FF);  // red in COLORREF order
    gauge->SetShowText(false);
    gauge->SetProgress(0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 60);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, 100, 60};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetViewportOrgEx(memory, 5, 5, nullptr);  // the caller's own origin is honoured
    panel->PaintControls(memory, nullptr);
    SetViewportOrgEx(memory, 0, 0, nullptr);
    EXPECT_EQ(GetPixel(memory, 5 + 30, 5 + 20), RGB(255, 0, 0));   // inside the gauge
    EXPECT_EQ(GetPixel(memory, 5 + 25, 5 + 10), RGB(0, 0, 0));     // its frame
    EXPECT_EQ(GetPixel(memory, 5 + 70, 5 + 20), RGB(255, 255, 255)); // clipped to its bounds
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// How well text of colour a reads on colour b: the ratio of their relative luminances, 1 to 21.
double ContrastRatio(COLORREF a, COLORREF b) {
    auto luminance = [](COLORREF c) {
        auto channel = [](int v) {
            double x = v / 255.0;
            return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
    };
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(Controls, GaugePercentageReadsOnTheFilledAndTheEmptyPart) {
    // The splash's text gauge and the update panel's bar, at their own sizes and colours.
    struct Case {
        TGaugeKind kind;
        int width, height;
        TColor fore, back;
        int percent;
        bool textOnFill, textOnRest;
    };
    const Case cases[] = {
        {TGaugeKind::gkHorizontalBar, 139, 11, clBlue, clWhite, 100, true, false},
        {TGaugeKind::gkHorizontalBar, 139, 11, clBlue, clWhite, 0, false, true},
        {TGaugeKind::gkText, 35, 35, clNavy, clBlack, 0, false, true},
        {TGaugeKind::gkText, 35, 35, clNavy, clBlack, 50, true, true},  // the line between runs through the text
        {TGaugeKind::gkText, 35, 35, clNavy, clBlack, 100, true, false},
    };
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 160, 40);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 160, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        auto gauge = std::make_unique<TGauge>(nullptr);
        gauge->SetParent(panel);
        gauge->SetBounds(0, 0, c.width, c.height);
        gauge->SetKind(c.kind);
        gauge->SetForeColor(c.fore);
        gauge->SetBackColor(c.back);
        gauge->SetProgress(c.percent);
        panel->PaintControls(memory, nullptr);
        // The text's pixels are those of neither fill colour; its core colour (not the smoothed edges
        // of its glyphs) is the one that reads best.
        const COLORREF fills[2] = {ColorToRGB(c.fore), ColorToRGB(c.back)};
        int textPixels[2] = {0, 0};
        double best[2] = {1, 1};
        for (int y = 1; y < c.height - 1; ++y)
            for (int x = 1; x < c.width - 1; ++x) {
                COLORREF pixel = GetPixel(memory, x, y);
                bool done = c.kind == TGaugeKind::gkHorizontalBar ? x - 1 < (c.width - 2) * c.percent / 100
                                                                    : c.height - 1 - y <= (c.height - 2) * c.percent / 100;
                int part = done ? 0 : 1;
                if (pixel == fills[part] || pixel == fills[1 - part]) continue;
                ++textPixels[part];
                best[part] = std::max(best[part], ContrastRatio(pixel, fills[part]));
            }
        for (int part = 0; part < 2; ++part) {
            SCOPED_TRACE(part == 0 ? "on the fill" : "on the rest");
            bool text = part == 0 ? c.textOnFill : c.textOnRest;
            if (!text) continue;
            EXPECT_GT(textPixels[part], 4);
            EXPECT_GE(best[part], 4.5);
        }
        gauge->SetParent(nullptr);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

TEST_F(Controls, GaugeAsksForARepaintOnlyWhenItsPictureChanges) {
    auto* gauge = new TGauge(form.get());
    gauge->SetParent(form.get());
    gauge->SetBounds(10, 10, 35, 35);
    gauge->SetKind(TGaugeKind::gkText);
    gauge->SetMaxValue(9999);
    form->Show();
    UpdateWindow(form->Handle());
    auto repaintAsked = [&] {
        RECT r;
        bool asked = GetUpdateRect(form->Handle(), &r, FALSE) != FALSE;
        ValidateRect(form->Handle(), nullptr);
        return asked;
    };
    gauge->SetProgress(50);  // still 0 % and no pixel of fill
    EXPECT_FALSE(repaintAsked());
    gauge->SetProgress(150);  // 1 %
    EXPECT_TRUE(repaintAsked());
    gauge->SetMaxValue(-1);  // an empty database: 0 %
    EXPECT_TRUE(repaintAsked());
}

TEST_F(Controls, PublishedPropertiesOfTheControls) {
    auto* bar = new TStatusBar(form.get());
    bar->SetParent(form.get());
    TStatusPanel* panel = bar->Panels().Add();
    auto* button = new TBitBtn(form.get());
    auto* tree = new TTreeView(form.get());
    auto* pages = new TPageControl(form.get());
    auto* box = new TPanel(form.get());

    SetPropByName(bar, L"simpletext", L"ready");
    EXPECT_EQ(GetTextPropByName(bar, L"SimpleText"), L"ready");
    SetPropByName(panel, L"Text", L"panel text");
    EXPECT_EQ(panel->Text(), L"panel text");
    EXPECT_TRUE(GetObjectPropByName(bar, L"Panels") != nullptr);
    EXPECT_TRUE(GetObjectPropByName(button, L"Font")->Is<TFont>());
    EXPECT_EQ(GetEnumPropByName(button, L"layout"), L"blGlyphLeft");
    EXPECT_EQ(GetOrdPropByName(button, L"Margin"), -1);
    EXPECT_EQ(GetOrdPropByName(button, L"Spacing"), 4);
    SetPropByName(tree, L"BorderStyle", L"bsNone");
    EXPECT_EQ(tree->BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(GetEnumPropByName(pages, L"TabPosition"), L"tpTop");
    EXPECT_EQ(GetEnumPropByName(pages, L"Style"), L"tsTabs");
    EXPECT_EQ(GetEnumPropByName(form.get(), L"AutoScroll"), L"False");
    SetPropByName(box, L"Color", L"$00FF00");
    EXPECT_EQ(GetOrdPropByName(box, L"color"), 0x00FF00);
    EXPECT_EQ(GetEnumPropByName(box, L"ParentBackground"), L"False");
    EXPECT_EQ(GetOrdPropByName(box, L"NoSuchProperty"), -1);
    EXPECT_THROW(SetPropByName(box, L"Color", L"abc"), EConvertError);
}

TEST_F(Controls, ClassHierarchyThatControlDispatchRelieOn) {
    struct Case { const ClassInfo& type; const ClassInfo& base; bool inherits; };
    const Case cases[] = {
        {TBitBtn::StaticClass(), TButton::StaticClass(), true},
        {TPageControl::StaticClass(), TCustomTabControl::StaticClass(), true},
        {TTabSheet::StaticClass(), TCustomPanel::StaticClass(), false},
        {TTabSheet::StaticClass(), TWinControl::StaticClass(), true},
        {TCustomForm::StaticClass(), TCustomPanel::StaticClass(), false},
        {TTreeView::StaticClass(), TWinControl::StaticClass(), true},
        {TStatusBar::StaticClass(), TWinControl::StaticClass(), true},
        {TLabel::StaticClass(), TGraphicControl::StaticClass(), true},
        {TGauge::StaticClass(), TGraphicControl::StaticClass(), true},
        {TPanel::StaticClass(), TCustomControl::StaticClass(), true},
        {TGauge::StaticClass(), TWinControl::StaticClass(), false},
        {TRadioButton::StaticClass(), TCustomCheckBox::StaticClass(), false},
        {TCheckBox::StaticClass(), TCustomCheckBox::StaticClass(), true},
        {TSpinEdit::StaticClass(), TCustomEdit::StaticClass(), true},
        {TGroupBox::StaticClass(), TCustomGroupBox::StaticClass(), true},
        {TGroupBox::StaticClass(), TCustomPanel::StaticClass(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(c.type.InheritsFrom(c.base), c.inherits);
    }
}

TEST_F(Controls, CheckBoxRadioButtonsAndSpinEditKeepTheirWindowsTruthful) {
    auto* box = new TCheckBox(form.get());
    box->SetParent(form.get());
    auto* first = new TRadioButton(form.get());
    first->SetParent(form.get());
    auto* second = new TRadioButton(form.get());
    second->SetParent(form.get());
    auto* spin = new TSpinEdit(form.get());
    spin->SetParent(form.get());
    int changes = 0;
    spin->OnChange = [&](TObject*) {
        ++changes;
        if (spin->Value() > 10) spin->SetValue(10);  // re-entrant set from inside OnChange
    };
    form->Show();

    box->SetState(TCheckBoxState::cbGrayed);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETSTATE, 0, 0) & 3, BST_INDETERMINATE);
    box->SetChecked(true);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetEnumPropByName(box, L"State"), L"cbChecked");

    first->SetChecked(true);
    second->SetChecked(true);
    EXPECT_FALSE(first->Checked());
    EXPECT_EQ(SendMessageA(first->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(second->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    spin->SetValue(7);
    EXPECT_EQ(spin->Value(), 7);
    EXPECT_GE(changes, 1);
    spin->SetValue(25);
    EXPECT_EQ(spin->Value(), 10);
    SendMessageW(spin->Handle(), WM_CHAR, L'5', 0);
    EXPECT_EQ(spin->Value(), 10);  // typing is ignored
    char className[64] = {};
    GetClassNameA(spin->Button()->Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TSpinButton");
    EXPECT_EQ(GetParent(spin->Button()->Handle()), spin->Handle());
    EXPECT_EQ(GetWindowLongPtrA(spin->Button()->Handle(), GWL_STYLE) & (WS_TABSTOP | 0x40), 0);
}

TEST_F(Controls, RightClickOnAGraphicChildAsksItForItsContextPopup) {
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 10, 100, 20);
    int clicks = 0, popups = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    label->OnContextPopup = [&](TObject*, POINT at, bool& handled) {
        ++popups;
        EXPECT_EQ(at.x, 5);
        handled = true;
    };
    form->Show();
    LPARAM at = MAKELPARAM(15, 12);
    SendMessageA(form->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageA(form->Handle(), WM_RBUTTONUP, 0, at);
    EXPECT_EQ(popups, 1);
    SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(form->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popups, 1);
}

TEST_F(Controls, TreeNodesWalkInOrderAfterARemoval) {
    auto* tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    std::vector<TTreeNode*> nodes;
    for (const wchar_t* text : {L"a", L"b", L"c", L"d"}) nodes.push_back(tree->Items().AddChild(nullptr, text));
    auto walk = [&] {
        std::wstring seen;
        for (TTreeNode* node = tree->Items().GetFirstNode(); node != nullptr; node = node->getNextSibling())
            seen += node->Text();
        return seen;
    };
    EXPECT_EQ(walk(), L"abcd");
    nodes[1]->Delete();
    EXPECT_EQ(walk(), L"acd");
    EXPECT_EQ(nodes[2]->getNextSibling(), nodes[3]);
    tree->Items().AddChild(nullptr, L"e");
    nodes[0]->Delete();
    EXPECT_EQ(walk(), L"cde");
}

TEST_F(Controls, NotifyLikeSkinMarkerToAFormIsIgnored) {
    HWND window = form->Handle();
    EXPECT_EQ(SendMessageA(window, CN_NOTIFY, 0, kSkinAppliedMarker), 0);
    auto* tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    EXPECT_EQ(SendMessageA(tree->Handle(), CN_NOTIFY, 0, kSkinAppliedMarker), 0);
}

}  // namespace
}  // namespace tk
