#include "skin_menu_bar.h"

#include "accelerator.h"
#include "form.h"
#include "menu_loop.h"
#include "menus.h"

namespace skin {

TK_CLASS_INFO(TMenuBtn, TNCObject)
TK_CLASS_INFO(TWinSkinMenu, tk::TComponent)

namespace {

// Menu texts are read into a buffer of this many characters, the terminator included.
constexpr int kTextBufferLength = 80;

// The toolkit item's view wins over what the Win32 menu says.
void TakeToolkitItem(TMenuBtn& button, tk::TMenuItem& item) {
    button.Caption = item.Caption();
    button.Enabled = item.Enabled();
    button.Item = &item;
    button.Submenu = item.Count() > 0 ? item.Handle() : nullptr;
}

// The window's hot object must not outlive the buttons it may be one of.
void FreeButtons(TWinSkinMenu& bar) {
    if (bar.Form != nullptr)
        for (const auto& button : bar.Buttons)
            if (bar.Form->HotObject() == button.get()) bar.Form->SetHotObject(nullptr);
    bar.Buttons.clear();
}

}  // namespace

TWinSkinMenu::TWinSkinMenu(tk::TComponent* owner, INcHost* form, TSkinData* data)
    : tk::TComponent(owner), Form(form), SkinData(data) {}

TWinSkinMenu::~TWinSkinMenu() {
    FreeButtons(*this);
    if (MenuLoop().Current == this) MenuLoop().Current = nullptr;
}

void TWinSkinMenu::BuildFromWindowMenu() {
    HWND window = Form->WindowHandle();
    // Once taken off the window the handle is remembered, so a rebuild (the menu changed while
    // skinned) reads the same menu again.
    if (HMENU current = GetMenu(window)) MenuHandle = current;
    if (MenuHandle == nullptr) return;
    if (tk::TCustomForm* form = Form->VclForm()) {
        Menu = form->Menu();
        if (Menu == nullptr) return;
    }
    FreeButtons(*this);
    const int count = GetMenuItemCount(MenuHandle);
    for (int position = 0; position < count; ++position) {
        wchar_t text[kTextBufferLength] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = kTextBufferLength;
        if (!GetMenuItemInfoW(MenuHandle, static_cast<UINT>(position), TRUE, &info)) continue;
        text[kTextBufferLength - 1] = 0;
        auto button = std::make_unique<TMenuBtn>(Form, this);
        button->Index = static_cast<int>(Buttons.size());
        button->Submenu = info.hSubMenu;
        button->Enabled = (info.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
        button->Visible = true;
        button->Command = info.wID;
        button->Caption = text;
        if (Menu != nullptr)
            if (tk::TMenuItem* item = Menu->FindItem(info.wID, tk::TFindItemKind::fkCommand))
                TakeToolkitItem(*button, *item);
        Buttons.push_back(std::move(button));
    }
    SetMenu(window, nullptr);
}

void TWinSkinMenu::BuildFromItems() {
    HWND window = Form->WindowHandle();
    if (HMENU current = GetMenu(window)) MenuHandle = current;
    if (Menu == nullptr)
        if (tk::TCustomForm* form = Form->VclForm()) Menu = form->Menu();
    if (Menu == nullptr) return;
    FreeButtons(*this);
    tk::TMenuItem* root = Menu->Items();
    for (int i = 0; i < root->Count(); ++i) {
        tk::TMenuItem* item = root->Items(i);
        auto button = std::make_unique<TMenuBtn>(Form, this);
        button->Index = i;
        button->Visible = item->Visible();
        button->Command = item->Command();
        TakeToolkitItem(*button, *item);
        Buttons.push_back(std::move(button));
    }
    SetMenu(window, nullptr);
}

void TWinSkinMenu::GiveBackMenu() {
    HWND window = Form->WindowHandle();
    if (MenuHandle != nullptr && IsWindow(window) && GetMenu(window) == nullptr) SetMenu(window, MenuHandle);
}

TMenuBtn* TWinSkinMenu::ItemAt(POINT windowPoint) const {
    for (const auto& button : Buttons)
        if (button->Visible && !button->Caption.empty() && button->Contains(windowPoint)) return button.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::FindByAccelerator(wchar_t c) const {
    for (const auto& button : Buttons)
        if (button->Visible && button->Enabled && tk::IsAccel(c, button->Caption)) return button.get();
    return nullptr;
}

}  // namespace skin
