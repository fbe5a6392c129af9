// The main window's handlers.
#include <windows.h>
#include <shellapi.h>

#include "about_form.h"
#include "application.h"
#include "code_page.h"
#include "main_form.h"
#include "player_paths.h"
#include "player_texts.h"
#include "settings_form.h"
#include "splash_form.h"
#include "update_thread.h"
#include "url_download.h"

namespace zentavo {
namespace {
// The recording tool is found by its caption only; the A call needs the caption's GBK bytes.
HWND FindRecorderWindow() {
    return FindWindowA(nullptr, tk::WideToCodePage(kRecorderCaption, tk::kGbkCodePage).c_str());
}

// The settings objects go with the process. Only objects that no worker thread can still be
// using are freed here: SettingsIni belongs to the GUI thread (this form and TForm4).
void ReleaseSettingsObjects() {
    delete SettingsIni;
    SettingsIni = nullptr;
}
}  // namespace

void TForm1::SetPanelText(int index, const std::wstring& text) {
    if (index < StatusBar1->Panels().Count()) StatusBar1->Panels()[index]->SetText(text);
}

void TForm1::FormCreate() {
    xslb();
    BitBtn1->SetTop(StatusBar1->Top() - 31);
    if (!ZIV1->ShowPlayControl()) ZIV1->SetShowPlayControl(true);
    if (!ZIV1->ShowP2PInfo()) ZIV1->SetShowP2PInfo(true);
    SettingsIni = new tk::TIniFile(PlayerFileW(L"zhuce.ini"));
    N13->SetEnabled(false);
}

void TForm1::FormShow() {
    // The toolkit raises OnShow at every show; this work belongs to the first one only.
    if (shownOnce_) return;
    shownOnce_ = true;
    try {
        UpdateThread = new shenjixc();
    } catch (...) {
        // Without its update thread the player runs on; this start simply checks for no update.
    }
    try {
        LoadFavourites();
    } catch (...) {
        // A missing or unreadable favourites file leaves the list empty.
    }
    if (Form6 != nullptr) {
        Form6->Hide();
        Form6->Release();
        Form6 = nullptr;
    }
}

void TForm1::FormClose(tk::TCloseAction&) {
    if (HWND recorder = FindRecorderWindow()) SendMessageA(recorder, WM_CLOSE, 0, 0);
    try {
        ZIV1->Stop();
    } catch (...) {
        // Whatever the control says, the player still ends with exit code 0.
    }
    ReleaseSettingsObjects();
    EndUpdatingForClose();
    TerminateProcess(GetCurrentProcess(), 0);
}

void TForm1::ZIV1StateChange(int) {
    // The handler reads State itself for each test, as the control updates it first.
    if (ZIV1->State() != 2) SetPanelText(0, kBufferingHint);
    if (ZIV1->State() == 1) SetPanelText(0, kPaused);
    if (ZIV1->State() == 2) {
        SetPanelText(0, kPlayingPrefix + ZIV1->ChannelName());
        N13->SetEnabled(true);
    }
}

void TForm1::ZIV1ClosePlayer() { SetPanelText(0, kWaitingToPlay); }

void TForm1::ApplicationEvents1Message(MSG& msg, bool& handled) {
    if (msg.message != WM_RBUTTONDOWN && msg.message != WM_RBUTTONDBLCLK) return;
    if (!ZIV1->HandleAllocated() || !IsChild(ZIV1->Handle(), msg.hwnd)) return;
    // A right click on the video area opens the player's menu and never reaches the control.
    handled = true;
    POINT cursor;
    GetCursorPos(&cursor);
    PopupMenu1->Popup(cursor.x, cursor.y);
}

void TForm1::BitBtn1Click() {
    if (ListHidden) {
        Panel2->Show();
        ListHidden = false;
    } else {
        ListHidden = true;
        Panel2->Hide();
    }
    // Panel1 has already been realigned: the button keeps 9 pixels from the video area's edge.
    BitBtn1->SetLeft(Panel1->Width() - BitBtn1->Width() - 9);
}

void TForm1::Timer2Timer() {
    // Letting messages run below could deliver the next tick inside this one.
    if (inTimer_) return;
    inTimer_ = true;
    if (tk::TApplication::Win32Platform() == VER_PLATFORM_WIN32_NT) {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        tk::Application->ProcessMessages();
    }
    if (ReloadPending.exchange(0) == 1) ReloadChannelList();
    inTimer_ = false;
}

void TForm1::N4Click() {
    if (OpenDialog1->Execute()) ZIV1->OpenMediaFile(OpenDialog1->FileName());
}

void TForm1::N13Click() {
    if (FindRecorderWindow() != nullptr) return;
    ShellExecuteA(Handle(), "open", PlayerFileA("rovask.exe").c_str(), nullptr, nullptr, SW_SHOW);
}

void TForm1::N1Click() {
    ShellExecuteA(Handle(), "open", PlayerFileA("help.chm").c_str(), nullptr, nullptr, SW_SHOW);
}

void TForm1::N79Click() {
    if (Form3 != nullptr) Form3->ShowModal();
}

void TForm1::N81Click() {
    if (Form4 != nullptr) Form4->Show();
}

bool TForm1::DownloadFile(const std::wstring& url, const std::wstring& file) { return DownloadToFile(url, file); }

void TForm1::OpenWebPage(const char* address) { ShellExecuteA(Handle(), "open", address, nullptr, nullptr, SW_SHOW); }

}  // namespace zentavo
