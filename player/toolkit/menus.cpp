#include "menus.h"

#include <algorithm>
#include <set>

#include "error_report.h"
#include "form.h"
#include "graphics.h"
#include "published_properties.h"
#include "window_class.h"

namespace tk {
namespace {
constexpr unsigned kLastCommand = 0xEFFF;

std::set<unsigned>& UsedCommands() {
    static auto* used = new std::set<unsigned>();
    return *used;
}

std::set<const TMenuItem*>& LiveItems() {
    static auto* live = new std::set<const TMenuItem*>();
    return *live;
}

std::vector<TPopupMenu*>& PopupMenus() {
    static auto* popups = new std::vector<TPopupMenu*>();
    return *popups;
}

unsigned AllocateCommand() {
    static unsigned next = 0;
    for (unsigned tries = 0; tries < kLastCommand; ++tries) {
        next = next >= kLastCommand ? 1 : next + 1;
        if (UsedCommands().insert(next).second) return next;
    }
    return 0;  // all ids in use: the item gets none and cannot be clicked by command
}

TMenuItem* LiveItem(ULONG_PTR data) {
    auto* item = reinterpret_cast<const TMenuItem*>(data);
    return LiveItems().count(item) != 0 ? const_cast<TMenuItem*>(item) : nullptr;
}

TMenuItem* FindIn(TMenuItem* root, UINT value, TFindItemKind kind) {
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* item = root->Items(i);
        if (kind == TFindItemKind::fkCommand ? item->Command() == value
                                              : item->HandleAllocated() && item->Handle() == reinterpret_cast<HMENU>(static_cast<UINT_PTR>(value)))
            return item;
        if (TMenuItem* found = FindIn(item, value, kind)) return found;
    }
    return nullptr;
}

LRESULT CALLBACK PopupListProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_COMMAND:
        if (TMenuItem* item = TPopupMenu::FindPopupItem(LOWORD(wparam))) GuardCallback([&] { item->Click(); });
        return 0;
    case WM_INITMENUPOPUP:
        if (TPopupMenu* popup = TPopupMenu::FromHandle(reinterpret_cast<HMENU>(wparam)))
            GuardCallback([&] {
                if (popup->OnPopup) popup->OnPopup(popup);
            });
        return 0;
    case WM_MEASUREITEM: {
        bool done = false;
        GuardCallback([&] { done = MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)); });
        return done ? TRUE : FALSE;
    }
    case WM_DRAWITEM: {
        bool done = false;
        GuardCallback([&] { done = DrawMenuItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam)); });
        return done ? TRUE : FALSE;
    }
    default:
        return DefWindowProcA(window, msg, wparam, lparam);
    }
}
}  // namespace

TK_CLASS_INFO(TMenuItem, TComponent, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishBool<Self>(c, L"Enabled", &Self::Enabled, &Self::SetEnabled);
    PublishBool<Self>(c, L"Visible", &Self::Visible, &Self::SetVisible);
    PublishBool<Self>(c, L"Checked", &Self::Checked, &Self::SetChecked);
    PublishInteger<Self>(c, L"ImageIndex", &Self::ImageIndex, &Self::SetImageIndex);
})
TK_CLASS_INFO(TMenu, TComponent)
TK_CLASS_INFO(TMainMenu, TMenu)
TK_CLASS_INFO(TPopupMenu, TMenu)

HWND PopupListWindow() {
    static HWND window = [] {
        EnsureUtilityClass("TPopupList", PopupListProc);
        return CreateWindowExA(0, "TPopupList", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }();
    return window;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(AllocateCommand()) { LiveItems().insert(this); }

TMenuItem::~TMenuItem() {
    BeginDestroy();
    LiveItems().erase(this);
    if (parent_ != nullptr) parent_->Remove(this);
    Clear();
    if (handle_ != nullptr) DestroyMenu(handle_);
    if (command_ != 0) UsedCommands().erase(command_);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_ != nullptr) root = root->parent_;
    return root->menu_;
}

bool TMenuItem::OwnerDrawn() const {
    TMenu* menu = GetParentMenu();
    return menu != nullptr && menu->OwnerDraw();
}

HMENU TMenuItem::Handle() {
    if (handle_ == nullptr) {
        handle_ = menuBar_ ? CreateMenu() : CreatePopupMenu();
        RebuildItems();
    }
    return handle_;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TMenuItem::VisiblePosition() const {
    int position = 0;
    for (TMenuItem* sibling : parent_->items_) {
        if (sibling == this) return position;
        if (sibling->visible_) ++position;
    }
    return -1;
}

void TMenuItem::AppendTo(HMENU menu, UINT position, bool ownerDraw) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_DATA;
    if (IsLine()) {
        info.fType = ownerDraw ? MFT_OWNERDRAW : MFT_SEPARATOR;
        info.fState = ownerDraw ? (MFS_DISABLED | MFS_GRAYED) : 0;
    } else {
        info.fType = ownerDraw ? MFT_OWNERDRAW : MFT_STRING;
        info.fState = (enabled_ ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) | (checked_ ? MFS_CHECKED : 0) |
                      (default_ ? MFS_DEFAULT : 0);
    }
    info.wID = command_;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    info.dwTypeData = const_cast<wchar_t*>(caption_.c_str());
    if (!items_.empty()) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = Handle();
    }
    InsertMenuItemW(menu, position, TRUE, &info);
}

void TMenuItem::RebuildItems() {
    if (handle_ == nullptr) return;
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
    bool ownerDraw = OwnerDrawn();
    UINT position = 0;
    for (TMenuItem* item : items_)
        if (item->visible_) item->AppendTo(handle_, position++, ownerDraw);
}

void TMenuItem::ApplyState() {
    if (parent_ != nullptr && parent_->handle_ != nullptr && visible_) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        info.fState = IsLine() && OwnerDrawn() ? (MFS_DISABLED | MFS_GRAYED)
                                               : (enabled_ ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) |
                                                     (checked_ ? MFS_CHECKED : 0) | (default_ ? MFS_DEFAULT : 0);
        SetMenuItemInfoW(parent_->handle_, static_cast<UINT>(VisiblePosition()), TRUE, &info);
    }
    Changed();
}

void TMenuItem::Changed() {
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (parent_ != nullptr && parent_->handle_ != nullptr && visible_) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(caption_.c_str());
        SetMenuItemInfoW(parent_->handle_, static_cast<UINT>(VisiblePosition()), TRUE, &info);
    }
    Changed();
}

void TMenuItem::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    ApplyState();
}

void TMenuItem::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    ApplyState();
}

void TMenuItem::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    ApplyState();
}

void TMenuItem::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (parent_ != nullptr) parent_->RebuildItems();
    Changed();
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item == nullptr || item == this) return;
    if (item->parent_ != nullptr) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    if (parent_ != nullptr && parent_->handle_ != nullptr && items_.size() == 1) parent_->RebuildItems();
    RebuildItems();
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    int index = IndexOf(item);
    if (index < 0) return;
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    RebuildItems();
    if (!Destroying()) Changed();
}

void TMenuItem::Clear() {
    while (!items_.empty()) delete items_.back();
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
    if (IsLine()) {
        height = 5;
        width = 10;
        return;
    }
    SIZE size = canvas->TextExtent(caption_);
    width = size.cx + 24;
    height = std::max<int>(size.cy + 6, 19);
}

void TMenuItem::DrawItem(TCanvas* canvas, RECT rect, bool selected) {
    canvas->Brush().SetColor(selected ? static_cast<TColor>(0xFF00000D) : static_cast<TColor>(0xFF000004));
    canvas->FillRect(rect);
    if (IsLine()) {
        RECT line{rect.left + 2, (rect.top + rect.bottom) / 2, rect.right - 2, (rect.top + rect.bottom) / 2 + 1};
        canvas->Brush().SetColor(clBtnShadow);
        canvas->FillRect(line);
        return;
    }
    canvas->Font().SetColor(!enabled_ ? static_cast<TColor>(0xFF000011)
                                      : selected ? static_cast<TColor>(0xFF00000E) : static_cast<TColor>(0xFF000007));
    RECT text = rect;
    text.left += 18;
    canvas->DrawText(caption_, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

TMenu::TMenu(TComponent* owner, bool menuBar) : TComponent(owner), items_(new TMenuItem(this)) {
    items_->menu_ = this;
    items_->menuBar_ = menuBar;
}

TMenu::~TMenu() { BeginDestroy(); }

void TMenu::SetOwnerDraw(bool v) {
    if (v == ownerDraw_) return;
    ownerDraw_ = v;
    // Recreate every item with or without MFT_OWNERDRAW.
    std::function<void(TMenuItem*)> rebuild = [&](TMenuItem* item) {
        item->RebuildItems();
        for (int i = 0; i < item->Count(); ++i) rebuild(item->Items(i));
    };
    rebuild(items_);
    MenuChanged();
}

TMenuItem* TMenu::FindItem(UINT value, TFindItemKind kind) const { return FindIn(items_, value, kind); }

void TMainMenu::MenuChanged() {
    if (form_ != nullptr && form_->HandleAllocated()) SendMessageA(form_->Handle(), CM_MENUCHANGED, 0, 0);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner, false) { PopupMenus().push_back(this); }

TPopupMenu::~TPopupMenu() {
    BeginDestroy();
    auto& popups = PopupMenus();
    popups.erase(std::remove(popups.begin(), popups.end(), this), popups.end());
}

void TPopupMenu::Popup(int x, int y) {
    TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, PopupListWindow(), nullptr);
}

TPopupMenu* TPopupMenu::FromHandle(HMENU menu) {
    for (TPopupMenu* popup : PopupMenus()) {
        if (popup->Items()->HandleAllocated() && popup->Handle() == menu) return popup;
    }
    return nullptr;
}

TMenuItem* TPopupMenu::FindPopupItem(UINT command) {
    for (TPopupMenu* popup : PopupMenus())
        if (TMenuItem* item = popup->FindItem(command, TFindItemKind::fkCommand)) return item;
    return nullptr;
}

bool MeasureMenuItem(MEASUREITEMSTRUCT& measure) {
    TMenuItem* item = LiveItem(measure.itemData);
    if (item == nullptr) return false;
    HDC dc = GetDC(nullptr);
    TCanvas canvas;
    canvas.SetHandle(dc);
    int width = 0, height = 0;
    item->MeasureItem(&canvas, width, height);
    if (item->OnMeasureItem) item->OnMeasureItem(item, &canvas, width, height);
    ReleaseDC(nullptr, dc);
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(height);
    return true;
}

bool DrawMenuItem(const DRAWITEMSTRUCT& draw) {
    TMenuItem* item = LiveItem(draw.itemData);
    if (item == nullptr) return false;
    TCanvas canvas;
    canvas.SetHandle(draw.hDC);
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    if (item->OnDrawItem) item->OnDrawItem(item, &canvas, draw.rcItem, selected);
    else item->DrawItem(&canvas, draw.rcItem, selected);
    return true;
}

}  // namespace tk
