// TWinControl: a control that owns exactly one window, created on demand. Its Win32 class has
// the toolkit class name (registered ANSI); every window carries the ControlOfs property that
// maps it back to the control. The class procedure StdWndProc finds the control through that
// property and hands the message to the control's WindowProc; it never re-installs itself, so
// a procedure placed in front of it by SetWindowLong works.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "control.h"

namespace tk {

struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    HMENU Menu = nullptr;
    std::string WinClassName;    // the Win32 class: the toolkit class name
    UINT ClassStyle = 0;
    const char* SystemClass = nullptr;  // superclassed system class, or null for an own class
};

class TWinControl : public TControl {
    TK_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();  // creates the window on demand; EOutOfResources when it cannot
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND window) { parentWindow_ = window; }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    TControl* ControlAtPos(POINT clientPos) const;  // graphic (windowless) children only
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v) { tabStop_ = v; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int v) { tabOrder_ = v; }
    void GetTabOrderList(std::vector<TWinControl*>& list);  // recursive, TabStop controls only
    void SetFocus();
    bool Focused() const;
    bool CanFocus() const;
    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool v) { parentBackground_ = v; }

    // Paints the visible graphic children into any device context: each with its own origin
    // and clipped to its bounds. The skin engine calls it with its own off-screen contexts.
    void PaintControls(HDC dc, TControl* first);

    void SetBounds(int left, int top, int width, int height) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    void Update() override;
    void BringToFront();
    HWND ParentHandle() const override;
    bool IsWindowed() const override { return true; }

    // Realigns the children now (alignment and anchors); the layer calls it synchronously
    // whenever a child's alignment, visibility or size or this control's size changes.
    virtual void Realign();
    bool Aligning() const { return aligning_ != 0; }

    static LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    static TWinControl* FromHandle(HWND window);  // through the ControlOfs property

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateHandle();
    virtual void CreateWnd(TCreateParams& params);
    virtual void AfterCreateHandle() {}  // pushes stored state into the new window
    // The top-level control shows hints for its controls; forms keep one tooltip window.
    virtual void AddToolTip(HWND, const std::wstring&) {}
    virtual RECT AlignRect();            // the part of the client area children align in
    virtual void PaintWindow(HDC dc);    // own-class windows: background and frame
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void TextChanged() override;
    void ColorChanged() override;
    LRESULT Notify(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void ApplyFont();
    bool IsMouseMessage(UINT msg) const { return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL; }

    // The OLE host's foreign in-place window: subclassed once with StdWndProc; at teardown the
    // old procedure is put back only while the current one is still the layer's.
    void AdoptForeignWindow(HWND window);
    void ReleaseForeignWindow();

    WNDPROC defWndProc_ = nullptr;  // the superclassed or subclassed procedure, or null

private:
    bool RouteToGraphicChild(TMessage& message);
    bool ReflectToChild(TMessage& message);
    void HandlePaint(TMessage& message);
    void HandleContextMenu(TMessage& message);
    void AlignChildren();
    void ApplyAnchors();

    HWND handle_ = nullptr;
    bool foreign_ = false;
    HWND parentWindow_ = nullptr;
    std::vector<TControl*> controls_;
    bool tabStop_ = false;
    int tabOrder_ = 0;
    bool parentBackground_ = false;
    int aligning_ = 0;
    HBRUSH brush_ = nullptr;
    TControl* captureControl_ = nullptr;
};

// The control a window belongs to (null for utility windows and foreign windows).
TWinControl* ControlOfWindow(HWND window);

}  // namespace tk
