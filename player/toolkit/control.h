// TControl: position, alignment, anchors, visibility, colours, texts and the replaceable
// level-2 window procedure (WindowProc) of every visual toolkit object. A control's WindowProc
// is a value; by default it is the control's virtual WndProc, which does the layer's generic
// work and then Dispatch (per-class handlers) and DefaultHandler.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "component.h"
#include "graphics.h"
#include "messages.h"

namespace tk {

class TWinControl;
class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TCursor { crDefault, crArrow, crHandPoint };

struct TSizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

using TNotifyEvent = std::function<void(TObject* sender)>;
using TContextPopupEvent = std::function<void(TObject* sender, POINT mousePos, bool& handled)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, unsigned shift, int x, int y)>;

class TControl : public TComponent {
    TK_CLASS(TControl)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    unsigned Anchors() const { return anchors_; }
    void SetAnchors(unsigned anchors);
    TSizeConstraints& Constraints() { return constraints_; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont* Font() const { return font_.get(); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v) { parentFont_ = v; }
    TFont* EffectiveFont() const;  // own font, or the nearest parent's while ParentFont

    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    std::wstring Text() const { return caption_; }
    void SetText(const std::wstring& text) { SetCaption(text); }
    std::wstring Hint() const { return hint_; }
    void SetHint(const std::wstring& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    const TWndMethod& WindowProc() const { return windowProc_; }
    void SetWindowProc(const TWndMethod& method) { windowProc_ = method; }
    TWndMethod DefaultWindowProc() { return MakeWndMethod<TControl, &TControl::WndProcEntry>(this); }
    LRESULT Perform(UINT msg, WPARAM wparam, LPARAM lparam);

    virtual void Click();
    virtual void MouseDown(TMouseButton button, unsigned shift, int x, int y);
    virtual void Invalidate();
    void Repaint();
    virtual void Update() {}
    virtual HWND ParentHandle() const;  // the window that shows this control's pixels
    virtual bool IsWindowed() const { return false; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TContextPopupEvent OnContextPopup;
    TMouseEvent OnMouseDown;

    // The parent calls this for right clicks on the control; true when it was handled.
    bool DoContextPopup(POINT clientPos);
    void Notification(TComponent* component, TOperation operation) override;

protected:
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    virtual void BoundsChanged() {}
    virtual void TextChanged() { Invalidate(); }
    // Controls whose native window reports double clicks itself (NM_DBLCLK) say false.
    virtual bool DblClickFromMouse() const { return true; }
    virtual void ColorChanged() { Invalidate(); }
    // Sends a CM_ notification: by SendMessage when a window exists, else through WindowProc.
    virtual LRESULT Notify(UINT msg, WPARAM wparam, LPARAM lparam);
    void RequestAlign();
    void RememberAnchorDistances();
    void SetVisibleFlag(bool visible) { visible_ = visible; }
    void StoreCaption(const std::wstring& caption) { caption_ = caption; }  // the window has it already

private:
    friend class TWinControl;
    void WndProcEntry(TMessage& message) { WndProc(message); }

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    unsigned anchors_ = akLeft | akTop;
    int anchorRightGap_ = 0, anchorBottomGap_ = 0;  // distance to the parent's far edges
    TSizeConstraints constraints_;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    std::wstring caption_;
    std::wstring hint_;
    bool showHint_ = false;
    TCursor cursor_ = TCursor::crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    TWndMethod windowProc_;
    bool leftPressed_ = false;
};

}  // namespace tk
