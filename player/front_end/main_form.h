// TForm1: the main window with the video area, the channel and favourites trees, the menus,
// the status bar, the 1000 ms timer and the right-click filter over the video area.
#pragma once

#include <atomic>
#include <cstdint>

#include "application_events.h"
#include "bit_btn.h"
#include "form.h"
#include "form_loader.h"
#include "gauge.h"
#include "ini_file.h"
#include "label.h"
#include "menus.h"
#include "open_dialog.h"
#include "page_control.h"
#include "panel.h"
#include "skin_data.h"
#include "status_bar.h"
#include "timer.h"
#include "tree_view.h"
#include "xml_document.h"
#include "ziv.h"

namespace zentavo {

class TForm1 : public tk::TForm {
    TK_CLASS(TForm1)
public:
    explicit TForm1(tk::TComponent* owner);

    tk::TPanel* Panel1;
    TZIV* ZIV1;
    tk::TPanel* Panel2;
    tk::TPageControl* PageControl1;
    tk::TTabSheet* TabSheet1;
    tk::TTreeView* TreeView1;
    tk::TPanel* Panel5;
    tk::TGauge* Gauge1;
    tk::TLabel* Label1;
    tk::TTabSheet* TabSheet2;
    tk::TTreeView* TreeView2;
    tk::TStatusBar* StatusBar1;
    tk::TBitBtn* BitBtn1;
    tk::TApplicationEvents* ApplicationEvents1;
    tk::TTimer* Timer2;
    tk::TOpenDialog* OpenDialog1;
    tk::TXMLDocument* XMLDocument1;  // the channel database
    tk::TXMLDocument* XMLDocument2;  // the favourites file
    skin::TSkinData* SkinData1;      // the skin every window of the program takes

    // The menus; the item names are the fixed ones, their captions are in CreateMenus.
    tk::TMainMenu* MainMenu1;
    tk::TMenuItem *N1233, *N4, *N67;  // File: open file, exit
    tk::TMenuItem *N68, *N69, *N70, *N71, *N72, *N73;  // Playback: play, pause, stop, full screen, mute
    tk::TMenuItem *N74, *N81, *N13;  // Settings: connection, recorder
    // Help: manual, needed software (two players), about
    tk::TMenuItem *N75, *N76, *N78, *WindowsMediaplayer901, *Realplayer1001, *N79;
    tk::TPopupMenu* PopupMenu1;  // over the video area
    tk::TMenuItem *N3, *N5, *N6, *N2, *N80, *N1, *N1232;  // play, pause, stop, full screen, mute, manual, about
    tk::TPopupMenu* PopupMenu2;  // over the channel tree
    tk::TMenuItem *N7, *N8, *N9;  // play, stop, add to favourites
    tk::TPopupMenu* PopupMenu3;  // over the favourites
    tk::TMenuItem *N11, *N12, *N10;  // play, stop, remove

    // 1 once the update thread has replaced the channel database; read and cleared by Timer2Timer.
    std::atomic<uint8_t> ReloadPending{0};

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormClose(tk::TCloseAction& action);
    void ZIV1StateChange(int nState);
    void ZIV1ClosePlayer();
    void ApplicationEvents1Message(MSG& msg, bool& handled);
    void BitBtn1Click();
    void Timer2Timer();
    void N4Click();   // File > open file
    void N13Click();  // Settings > recorder
    void N1Click();   // the manual (Help menu and video popup)
    void N79Click();  // the about box (Help menu and video popup)
    void N81Click();  // Settings > connection
    void OpenWebPage(const char* address);

    // The channel tree.
    void xslb();  // fills the channel tree from the channel database
    void ReloadChannelList();
    void TreeView1Db1Click();
    void TreeView1ContextPopup(POINT mousePos, bool& handled);
    // The favourites.
    void LoadFavourites();
    void N9Click();   // channel popup > add to favourites
    void N10Click();  // favourites popup > remove
    void TreeView2DblClick();
    void TreeView2ContextPopup(POINT mousePos, bool& handled);
    // The update thread's downloads (url_download.h); any thread may call it.
    bool DownloadFile(const std::wstring& url, const std::wstring& file);
    // The channel tree thread and the update thread change the window only through these, on
    // the GUI thread.
    void AddChannelNode(const std::wstring& group, const std::wstring& name);
    void SetPanelText(int index, const std::wstring& text);

private:
    void CreateComponents(tk::FormLoader& load);
    void CreateMenus(tk::FormLoader& load);
    void BindHandlers();
    void OpenChannelDatabase();

    bool shownOnce_ = false;
    bool inTimer_ = false;
};

extern TForm1* Form1;
extern tk::TIniFile* SettingsIni;
extern bool ListHidden;

}  // namespace zentavo
