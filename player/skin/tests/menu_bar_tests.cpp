// The skinned menu bar over a toolkit form with a player-like menu and the flat frame skin:
// the items it takes from the window's menu, where they go, what it paints, and finding an item
// by point and by accelerator.
#include <gtest/gtest.h>

#include "flat_skin_colours.h"
#include "menu_test_fixture.h"
#include "skin_data.h"

namespace skin::testing {
namespace {

using Builder = void (TWinSkinMenu::*)();

TEST_F(MenuBarTest, BothBuildersTakeTheItemsAndTakeTheMenuOffTheWindow) {
    const Builder builders[] = {&TWinSkinMenu::BuildFromWindowMenu, &TWinSkinMenu::BuildFromItems};
    for (Builder build : builders) {
        HMENU windowMenu = menu.menu->Handle();
        SetMenu(host.window, windowMenu);
        TWinSkinMenu bar(nullptr, &host, skin.data);
        (bar.*build)();
        EXPECT_EQ(GetMenu(host.window), nullptr);
        EXPECT_EQ(bar.MenuHandle, windowMenu);
        EXPECT_EQ(bar.Menu, menu.menu);
        ASSERT_EQ(bar.Buttons.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const TMenuBtn& b = *bar.Buttons[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(b.Index, static_cast<int>(i));
            EXPECT_EQ(b.Caption, menu.top[i]->Caption());
            EXPECT_EQ(b.Enabled, i != 2);
            EXPECT_TRUE(b.Visible);
            EXPECT_EQ(b.Item, menu.top[i]);
            EXPECT_EQ(b.Submenu, menu.top[i]->Handle());
            EXPECT_EQ(b.Command, menu.top[i]->Command());
        }
    }
}

TEST_F(MenuBarTest, RebuildWhileSkinnedReadsTheSameMenuWithItsNewState) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    ASSERT_EQ(GetMenu(host.window), nullptr);
    menu.top[2]->SetEnabled(true);
    menu.top[0]->SetCaption(L"&Media");
    bar->BuildFromWindowMenu();
    ASSERT_EQ(bar->Buttons.size(), 4u);
    EXPECT_TRUE(bar->Buttons[2]->Enabled);
    EXPECT_EQ(bar->Buttons[0]->Caption, L"&Media");
}

TEST_F(MenuBarTest, RebuildForgetsAHotItemOfTheOldBar) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    bar->Buttons[1]->MouseMove();
    ASSERT_EQ(host.hot, bar->Buttons[1].get());
    bar->BuildFromWindowMenu();
    EXPECT_EQ(host.hot, nullptr);
}

TEST_F(MenuBarTest, GiveBackMenuPutsTheWindowsMenuBack) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    bar->GiveBackMenu();
    EXPECT_EQ(GetMenu(host.window), menu.menu->Handle());
}

TEST_F(MenuBarTest, ItemsFollowEachOtherFromTheMarginAcrossTheBand) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    const FormFrameState& f = host.frame;
    EXPECT_EQ(bar->BarRect, (SliceRect{f.BorderLeft, f.BorderTop, f.WindowWidth - f.BorderRight,
                                       f.BorderTop + f.MenuBarHeight}));
    int left = f.BorderLeft + flatskin::kMenuBar.left + 4;
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const SliceRect& r = bar->Buttons[i]->Rect;
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.Width(), MenuTextWidth(menu.top[i]->Caption()) + 10);
        EXPECT_EQ(r.top, f.BorderTop);
        EXPECT_EQ(r.bottom, f.BorderTop + f.MenuBarHeight - 1);
        left = r.right;
    }
}

TEST_F(MenuBarTest, MarginFollowsTheMenuBarObjectsCap) {
    struct Case {
        const char* name;
        int leftWidth;  // -1: the skin has no menu-bar object
        int barWidth;
        int margin;
    };
    const Case cases[] = {
        {"flat skin's cap", flatskin::kMenuBar.left, 400, flatskin::kMenuBar.left + 4},
        {"wider cap", 20, 400, 24},
        {"no object", -1, 400, 6},
        {"bar narrower than the margin", 20, 23, 12},
        {"bar as wide as the margin", 20, 24, 24},
    };
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    std::unique_ptr<TDataSkinObject> object = std::move(skin.data->MenuBar);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.leftWidth >= 0) {
            object->LeftWidth = c.leftWidth;
            skin.data->MenuBar = std::move(object);
        }
        EXPECT_EQ(bar->Margin(c.barWidth), c.margin);
        bar->LayoutIn(SliceRect{30, 40, 30 + c.barWidth, 60});
        EXPECT_EQ(bar->Buttons[0]->Rect.left, 30 + c.margin);
        if (skin.data->MenuBar) object = std::move(skin.data->MenuBar);
    }
    skin.data->MenuBar = std::move(object);
}

TEST_F(MenuBarTest, InvisibleAndEmptyItemsTakeNoRoom) {
    menu.top[1]->SetVisible(false);
    auto bar = std::make_unique<TWinSkinMenu>(nullptr, &host, skin.data);
    bar->BuildFromItems();  // the toolkit keeps an invisible item out of the Win32 menu
    bar->Buttons[3]->Caption.clear();
    bar->Layout();
    EXPECT_FALSE(bar->Buttons[1]->Visible);
    EXPECT_EQ(bar->Buttons[1]->Rect, SliceRect{});
    EXPECT_EQ(bar->Buttons[2]->Rect.left, bar->Buttons[0]->Rect.right);
    EXPECT_EQ(bar->Buttons[3]->Rect.Width(), 0);
}

TEST_F(MenuBarTest, ItemAtFindsTheItemUnderAWindowPoint) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    const SliceRect second = bar->Buttons[1]->Rect;
    const SliceRect last = bar->Buttons[3]->Rect;
    struct Case {
        const char* name;
        POINT point;
        int index;  // -1: none
    };
    const Case cases[] = {
        {"inside the second", {second.left + 2, second.top + 2}, 1},
        {"its left edge", {second.left, second.top}, 1},
        {"its right edge belongs to the next", {second.right, second.top}, 2},
        {"the band's last row is no item's", {second.left + 2, second.bottom}, -1},
        {"past the last item", {last.right + 3, last.top + 2}, -1},
        {"the margin before the first", {bar->BarRect.left + 1, second.top + 2}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMenuBtn* found = bar->ItemAt(c.point);
        EXPECT_EQ(found, c.index < 0 ? nullptr : bar->Buttons[static_cast<size_t>(c.index)].get());
    }
    bar->Buttons[1]->Caption.clear();  // an item without caption is never hit
    EXPECT_EQ(bar->ItemAt(POINT{second.left + 2, second.top + 2}), nullptr);
}

TEST_F(MenuBarTest, FindByAcceleratorSkipsDisabledAndInvisibleItems) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    bar->Buttons[3]->Visible = false;
    struct Case {
        wchar_t key;
        int index;  // -1: none
    };
    const Case cases[] = {{L'f', 0}, {L'F', 0}, {L'p', 1}, {L's', -1}, {L'h', -1}, {L'x', -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<char>(c.key));
        EXPECT_EQ(bar->FindByAccelerator(c.key), c.index < 0 ? nullptr : bar->Buttons[static_cast<size_t>(c.index)].get());
    }
}

// ---- painting ----------------------------------------------------------------------------

struct WindowBitmap {
    explicit WindowBitmap(const FormFrameState& f) {
        bitmap.SetSize(f.WindowWidth, f.WindowHeight);
        bitmap.Canvas().Brush().SetColor(0x000000);
        bitmap.Canvas().FillRect(RECT{0, 0, f.WindowWidth, f.WindowHeight});
    }
    HDC Dc() { return bitmap.Canvas().Handle(); }
    uint32_t At(int x, int y) { return PixelAt(bitmap, x, y); }
    int Count(const SliceRect& r, uint32_t colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
        return n;
    }
    tk::TBitmap bitmap;
};

TEST_F(MenuBarTest, PaintShowsTheBandFrameByActivationAndTheCaptionsColours) {
    const uint32_t shadow = static_cast<uint32_t>(GetSysColor(COLOR_BTNSHADOW));
    ASSERT_NE(shadow, flatskin::kColourMenuBarText);
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    for (int frame : {1, 2}) {
        SCOPED_TRACE(frame);
        host.frame.WindowActive = frame == 1;
        WindowBitmap window(host.frame);
        bar->Paint(window.Dc(), bar->BarRect);
        const SliceRect band = bar->BarRect;
        const SliceRect last = bar->Buttons[3]->Rect;
        // Past the last caption, inside the band's middle (its caps are 2 px at each end).
        EXPECT_EQ(window.At(last.right + 4, band.top + 2), flatskin::kMenuBarColours[frame - 1][flatskin::zone::kCentre]);
        EXPECT_EQ(window.At(band.left, band.top + 2), flatskin::kMenuBarColours[frame - 1][flatskin::zone::kLeft]);
        EXPECT_EQ(window.At(band.right - 1, band.top + 2), flatskin::kMenuBarColours[frame - 1][flatskin::zone::kRight]);
        EXPECT_EQ(window.At(band.left, band.top - 1), 0u) << "nothing drawn outside the band";
        // Enabled captions in the skin's bar text colour, the disabled one in the button shadow.
        for (size_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const SliceRect& r = bar->Buttons[i]->Rect;
            const bool enabled = i != 2;
            EXPECT_EQ(window.Count(r, flatskin::kColourMenuBarText) > 0, enabled);
            EXPECT_EQ(window.Count(r, shadow) > 0, !enabled);
        }
        // The background is kept for repainting single items: band only, no text.
        ASSERT_EQ(bar->Background.Width(), band.Width());
        const SliceRect first = bar->Buttons[0]->Rect;
        EXPECT_EQ(PixelAt(bar->Background, first.left - band.left + first.Width() / 2, first.Height() / 2),
                  flatskin::kMenuBarColours[frame - 1][flatskin::zone::kCentre]);
    }
}

TEST_F(MenuBarTest, CaptionsAreCentredInTheirItems) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    WindowBitmap window(host.frame);
    bar->Paint(window.Dc(), bar->BarRect);
    const SliceRect r = bar->Buttons[0]->Rect;
    int minX = r.right, maxX = r.left - 1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (window.At(x, y) == flatskin::kColourMenuBarText) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_LE(minX, maxX);
    // The item is its text plus 10, so about 5 free columns lie on each side of the ink.
    EXPECT_GE(minX - r.left, 4);
    EXPECT_GE(r.right - 1 - maxX, 4);
}

TEST_F(MenuBarTest, AnItemRepaintsFromTheBackgroundWithAFrameWhenHotOrPressed) {
    std::unique_ptr<TWinSkinMenu> bar = BuiltBar();
    WindowBitmap painted(host.frame);
    bar->Paint(painted.Dc(), bar->BarRect);
    struct Case {
        int state;
        bool framed;
    };
    const Case cases[] = {{ncNormal, false}, {ncPressed, true}, {ncHot, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        WindowBitmap window(host.frame);
        TMenuBtn& item = *bar->Buttons[1];
        item.State = c.state;
        item.PaintTo(window.Dc());
        const SliceRect& r = item.Rect;
        const uint32_t band = flatskin::kMenuBarColours[0][flatskin::zone::kCentre];
        const uint32_t edge = c.framed ? flatskin::kColourButtonHilight : band;
        for (POINT p : {POINT{r.left, r.top + 3}, POINT{r.right - 1, r.top + 3}, POINT{r.left + 2, r.top},
                        POINT{r.left + 2, r.bottom - 1}})
            EXPECT_EQ(window.At(p.x, p.y), edge) << p.x << "," << p.y;
        EXPECT_EQ(window.At(r.left + 1, r.top + 1), band);
        EXPECT_GT(window.Count(r, flatskin::kColourMenuBarText), 0);
        EXPECT_EQ(window.At(r.right, r.top + 3), 0u) << "only the item is drawn";
    }
}

}  // namespace
}  // namespace skin::testing
