// Forms: top-level windows of their own Win32 class (one per form class, named like it),
// owned by the application window. Construction follows the streaming phases (FormLoader);
// OnCreate runs after the derived constructor has returned (Create<T>).
#pragma once

#include <functional>
#include <memory>

#include "win_control.h"

namespace tk {

class TMainMenu;

class TScrollingWinControl : public TWinControl {
    TK_CLASS(TScrollingWinControl)
public:
    explicit TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v) { autoScroll_ = v; }

private:
    bool autoScroll_ = false;  // never adds scroll styles to the window
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag : unsigned { fsCreating = 1, fsVisible = 2, fsShowing = 4, fsModal = 8 };
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

// The window property holding a form's menu bar handle. A skinned form draws its menu bar itself
// and its window has no menu (GetMenu is 0), so tools outside the process find the menu here.
inline constexpr wchar_t kMenuBarProperty[] = L"TkMenuBar";

class TCustomForm : public TScrollingWinControl {
    TK_CLASS(TCustomForm)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // new T(owner), then OnCreate once the whole object exists. A throwing constructor or
    // OnCreate leaves nothing behind.
    template <class T, class... Args>
    static T* Create(TComponent* owner, Args&&... args) {
        std::unique_ptr<T> form(new T(owner, std::forward<Args>(args)...));
        form->AfterConstruction();
        return form.release();
    }
    virtual void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v) { borderStyle_ = v; }
    unsigned BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(unsigned v) { borderIcons_ = v; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    HICON Icon() const;
    void SetIcon(HICON icon) { icon_ = icon; }
    unsigned FormState() const { return formState_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control) { activeControl_ = control; }

    void Show();
    void Hide() { SetVisible(false); }
    int ShowModal();
    void Close();
    void Release();  // frees the form from its own message queue, after the current message
    void SetVisible(bool visible) override;

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TNotifyEvent OnPaint;

    void Notification(TComponent* component, TOperation operation) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;
    void Dispatch(TMessage& message) override;
    void PaintWindow(HDC dc) override;
    void AddToolTip(HWND control, const std::wstring& text) override;

private:
    void PublishMenuBar();
    void FrameStyle(DWORD& style, DWORD& exStyle) const;
    SIZE FrameExtra() const;  // window size minus client size for the current style
    bool DialogKey(TMessage& message);
    void CloseModal();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    TMainMenu* menu_ = nullptr;
    HICON icon_ = nullptr;
    unsigned formState_ = 0;
    int modalResult_ = 0;
    TWinControl* activeControl_ = nullptr;
    HWND toolTip_ = nullptr;
};

class TForm : public TCustomForm {
    TK_CLASS(TForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

TCustomForm* GetParentForm(TControl* control);

}  // namespace tk
