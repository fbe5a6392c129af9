// Menus. Items are inserted with InsertMenuItemW carrying their TMenuItem in dwItemData; every
// item, a submenu item too, has its process-unique Command as wID. Changes are applied in place
// with the narrowest mask (MIIM_STATE, MIIM_STRING); fType is rewritten only when OwnerDraw
// toggles, so a skin that set MFT_OWNERDRAW itself keeps it. After a change of a form's main
// menu the form gets CM_MENUCHANGED. Popup menus are owned by one hidden "TPopupList" window
// that routes their commands, owner-draw and WM_INITMENUPOPUP messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "component.h"
#include "control.h"

namespace tk {

class TMenu;
class TCustomForm;
class TCanvas;

enum class TFindItemKind { fkCommand, fkHandle };
enum class TMenuAutoFlag { maAutomatic, maManual, maParent };

using TMenuDrawItemEvent = std::function<void(TObject* sender, TCanvas* canvas, RECT rect, bool selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
    TK_CLASS(TMenuItem)
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) { imageIndex_ = v; }
    unsigned Command() const { return command_; }
    HMENU Handle();  // the submenu; created when first asked for
    bool HandleAllocated() const { return handle_ != nullptr; }
    bool IsLine() const { return caption_ == L"-"; }

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    TMenu* GetParentMenu() const;
    void Add(TMenuItem* item) { Insert(Count(), item); }
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Delete(int index) { Remove(Items(index)); }
    void Clear();
    int IndexOf(const TMenuItem* item) const;

    virtual void Click();
    void MeasureItem(TCanvas* canvas, int& width, int& height);  // the default measurer
    void DrawItem(TCanvas* canvas, RECT rect, bool selected);   // the default painter

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

private:
    friend class TMenu;
    void AppendTo(HMENU menu, UINT position, bool ownerDraw);
    void RebuildItems();
    int VisiblePosition() const;
    void ApplyState();
    void Changed();
    bool OwnerDrawn() const;

    std::wstring caption_;
    bool enabled_ = true, visible_ = true, checked_ = false, default_ = false;
    int imageIndex_ = -1;
    unsigned command_ = 0;
    HMENU handle_ = nullptr;
    bool menuBar_ = false;  // the root of a main menu: CreateMenu, not CreatePopupMenu
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on a root item only
    std::vector<TMenuItem*> items_;
};

class TMenu : public TComponent {
    TK_CLASS(TMenu)
public:
    explicit TMenu(TComponent* owner, bool menuBar);
    ~TMenu() override;
    TMenuItem* Items() const { return items_; }
    HMENU Handle() { return items_->Handle(); }
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool v);
    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag v) { autoHotkeys_ = v; }
    TMenuItem* FindItem(UINT value, TFindItemKind kind) const;
    bool IsRightToLeft() const { return false; }
    virtual void MenuChanged() {}

private:
    TMenuItem* items_;
    bool ownerDraw_ = false;
    TMenuAutoFlag autoHotkeys_ = TMenuAutoFlag::maAutomatic;
};

class TMainMenu : public TMenu {
    TK_CLASS(TMainMenu)
public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner, true) {}
    TCustomForm* Form() const { return form_; }
    void SetForm(TCustomForm* form) { form_ = form; }
    void MenuChanged() override;

private:
    TCustomForm* form_ = nullptr;
};

class TPopupMenu : public TMenu {
    TK_CLASS(TPopupMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    void Popup(int x, int y);
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component) { popupComponent_ = component; }
    TNotifyEvent OnPopup;

    static TPopupMenu* FromHandle(HMENU menu);
    static TMenuItem* FindPopupItem(UINT command);

private:
    TComponent* popupComponent_ = nullptr;
};

// Default measuring and painting of owner-drawn menu items (ODT_MENU) by the form or the
// popup list; false when the item is not a toolkit item.
bool MeasureMenuItem(MEASUREITEMSTRUCT& measure);
bool DrawMenuItem(const DRAWITEMSTRUCT& draw);

HWND PopupListWindow();

}  // namespace tk
