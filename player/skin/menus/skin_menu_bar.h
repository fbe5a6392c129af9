// The skinned menu bar: the window's menu is taken off the window (so the system draws no bar)
// and drawn by the skinner in the band under the caption, one TMenuBtn per top-level item. A
// click on an item opens its drop-down where the native bar would have.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bitmap.h"
#include "component.h"
#include "nc_object.h"

namespace tk {
class TMenu;
class TMenuItem;
}  // namespace tk

namespace skin {

class TWinSkinMenu;

// A menu-bar item.
class TMenuBtn : public TNCObject {
    TK_CLASS(TMenuBtn)
public:
    TMenuBtn(INcHost* form, TWinSkinMenu* bar) : TNCObject(form), Bar(bar) {}

    TWinSkinMenu* Bar;
    tk::TMenuItem* Item = nullptr;  // the toolkit item, or none
    int Index = 0;                  // position in the bar
    std::wstring Caption;
    HMENU Submenu = nullptr;        // its drop-down, or none
    UINT Command = 0;

    // Its part of the bar's background, a frame when hot or pressed, its caption.
    void Paint() override;
    // The same on dc, whose origin is the window's top-left corner (Paint uses the window DC).
    void PaintTo(HDC dc);
};

class TWinSkinMenu : public tk::TComponent {
    TK_CLASS(TWinSkinMenu)
public:
    TWinSkinMenu(tk::TComponent* owner, INcHost* form, TSkinData* data);
    ~TWinSkinMenu() override;

    std::vector<std::unique_ptr<TMenuBtn>> Buttons;
    tk::TMenu* Menu = nullptr;  // the toolkit menu behind the window's menu, or none
    SliceRect BarRect;          // window coordinates
    tk::TBitmap Background;     // the bar as last painted, for repainting single items
    HMENU MenuHandle = nullptr; // the window's own menu, given back when the skin comes off

    // Items from the window's menu (then SetMenu(window, 0)), looked up in Menu by command.
    void BuildFromWindowMenu();
    // Items from Menu's top-level items (the older systems' way), then SetMenu(window, 0).
    void BuildFromItems();
    // Item rectangles by the margin and text-width rule.
    void Layout();
    // The bar's background and captions at BarRect on dc.
    void Paint(HDC dc, const SliceRect& rect);
    // The item with a caption at a window point, or none.
    TMenuBtn* ItemAt(POINT windowPoint) const;
    // Posts WM_COMMAND(item.Command) to the window, then tracks the item's drop-down at its
    // bottom-left corner; false when it has none.
    bool OpenMenuButton(TMenuBtn& item);
    // The first visible, enabled item whose caption has c as its accelerator.
    TMenuBtn* FindByAccelerator(wchar_t c) const;

    // Where the first item starts from the bar's edge: past the menu-bar object's cap.
    int Margin(int barWidth) const;
    // Item rectangles for a bar at bar (Layout and Paint share it).
    void LayoutIn(const SliceRect& bar);
    // Puts the window's own menu back (the skin comes off a living window).
    void GiveBackMenu();

    INcHost* Form;
    TSkinData* SkinData;
};

}  // namespace skin
