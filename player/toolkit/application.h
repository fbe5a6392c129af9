// The application object: the hidden "TApplication" window (zero size, never shown, no
// ControlOfs property) that owns every form and carries the program icon, the list of forms
// made with CreateForm (the first is the main form) and the GUI message loop, which runs every
// TApplicationEvents.OnMessage filter before dispatching a message.
#pragma once

#include <windows.h>

#include <string>

#include "form.h"

namespace tk {

class TApplication : public TComponent {
    TK_CLASS(TApplication)
public:
    TApplication();

    // OLE, the window property atom, the hidden window and its icon; before any form exists.
    void Initialize();
    HWND Handle() const { return handle_; }
    std::wstring Title() const { return title_; }
    void SetTitle(const std::wstring& title);
    HICON Icon() const { return icon_; }
    DWORD MainThreadId() const { return mainThreadId_; }

    template <class T>
    void CreateForm(T*& reference) {
        T* form = TCustomForm::Create<T>(this);
        reference = form;
        if (mainForm_ == nullptr) mainForm_ = form;
    }
    TCustomForm* MainForm() const { return mainForm_; }
    void FormDestroyed(TCustomForm* form);

    void Run();
    void HandleMessage();      // waits for one message and processes it
    void ProcessMessages();    // processes what is queued now (re-entrant)
    void Terminate();
    bool Terminated() const { return terminated_; }

    void HandleException(const class Exception& error);
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
    HWND DialogOwner() const;  // the active form, else the application window

    static int Win32Platform();  // 2 on the NT family

private:
    bool ProcessMessage(MSG& msg);  // false when the queue was empty
    void DispatchOne(MSG& msg);
    bool IsDialogKey(const MSG& msg);

    HWND handle_ = nullptr;
    std::wstring title_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    DWORD mainThreadId_ = 0;
};

extern TApplication* Application;

// A plain PeekMessage loop for the calling thread, without any application filter.
void ProcessThreadMessages();

}  // namespace tk
