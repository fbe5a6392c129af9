#include "main_form.h"

#include "form_loader.h"
#include "player_texts.h"

namespace zentavo {

TForm1* Form1 = nullptr;
tk::TIniFile* SettingsIni = nullptr;
bool ListHidden = false;

TK_CLASS_INFO(TForm1, tk::TForm)

namespace {
// Every kind of control but menu items, the system menu and the report tool's windows.
constexpr skin::TSkinControlTypes kSkinControls =
    skin::kDefaultSkinControls & ~skin::SetBit(skin::xcSystemMenu);
constexpr skin::TSkinOptions kSkinOptions = skin::SetBit(skin::xoPreview) | skin::SetBit(skin::xoToolbarBK);

void SetUpTree(tk::TTreeView* tree, tk::TTabSheet* sheet, tk::TColor color, tk::TPopupMenu* popup) {
    tree->SetParent(sheet);
    tree->SetAlign(tk::TAlign::alClient);
    tree->SetColor(color);
    tree->SetReadOnly(true);
    tree->SetRightClickSelect(true);
    tree->SetHotTrack(true);
    tree->SetAutoExpand(true);
    tree->SetBorderStyle(tk::TBorderStyle::bsNone);
    tree->SetBevelKind(tk::TBevelKind::bkFlat);
    tree->SetIndent(19);
    tree->SetHint(kTreeHint);
    tree->SetShowHint(true);
    tree->SetPopupMenu(popup);
}
}  // namespace

TForm1::TForm1(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetCaption(kTitle);
    SetBounds(0, 0, 608, 463);
    Constraints().MinWidth = 608;
    Constraints().MinHeight = 463;
    SetPosition(tk::TPosition::poDesktopCenter);
    Font()->SetName(L"MS Sans Serif");
    Font()->SetHeight(-11);
    CreateMenus(load);
    SetMenu(MainMenu1);  // before the controls, so their layout counts the menu bar
    CreateComponents(load);
    BindHandlers();
    load.ReadBinaryProperties();
    load.Finish();
}

void TForm1::CreateMenus(tk::FormLoader& load) {
    auto item = [&load](tk::TMenuItem* parent, const wchar_t* name, const wchar_t* caption) {
        auto* menuItem = load.Create<tk::TMenuItem>(name);
        menuItem->SetCaption(caption);
        parent->Add(menuItem);
        return menuItem;
    };
    MainMenu1 = load.Create<tk::TMainMenu>(L"MainMenu1");
    MainMenu1->SetAutoHotkeys(tk::TMenuAutoFlag::maManual);
    tk::TMenuItem* bar = MainMenu1->Items();
    N1233 = item(bar, L"N1233", kMenuFile);
    N4 = item(N1233, L"N4", kMenuOpenFile);
    N67 = item(N1233, L"N67", kMenuExit);
    N68 = item(bar, L"N68", kMenuPlayback);
    N69 = item(N68, L"N69", kMenuPlay);
    N70 = item(N68, L"N70", kMenuPause);
    N71 = item(N68, L"N71", kMenuStop);
    N72 = item(N68, L"N72", kMenuFullScreen);
    N73 = item(N68, L"N73", kMenuMute);
    N74 = item(bar, L"N74", kMenuSettings);
    N81 = item(N74, L"N81", kMenuConnection);
    N13 = item(N74, L"N13", kMenuRecorder);
    N75 = item(bar, L"N75", kMenuHelp);
    N76 = item(N75, L"N76", kMenuManual);
    N78 = item(N75, L"N78", kMenuNeededSoftware);
    WindowsMediaplayer901 = item(N78, L"WindowsMediaplayer901", kMenuMediaPlayer);
    Realplayer1001 = item(N78, L"Realplayer1001", kMenuRealPlayer);
    N79 = item(N75, L"N79", kMenuAbout);

    PopupMenu1 = load.Create<tk::TPopupMenu>(L"PopupMenu1");
    PopupMenu1->SetAutoHotkeys(tk::TMenuAutoFlag::maManual);
    N3 = item(PopupMenu1->Items(), L"N3", kMenuPlay);
    N5 = item(PopupMenu1->Items(), L"N5", kMenuPause);
    N6 = item(PopupMenu1->Items(), L"N6", kMenuStop);
    N2 = item(PopupMenu1->Items(), L"N2", kMenuFullScreen);
    N80 = item(PopupMenu1->Items(), L"N80", kMenuMute);
    N1 = item(PopupMenu1->Items(), L"N1", kMenuManual);
    N1232 = item(PopupMenu1->Items(), L"N1232", kMenuAbout);

    PopupMenu2 = load.Create<tk::TPopupMenu>(L"PopupMenu2");
    PopupMenu2->SetAutoHotkeys(tk::TMenuAutoFlag::maManual);
    N7 = item(PopupMenu2->Items(), L"N7", kMenuPlay);
    N8 = item(PopupMenu2->Items(), L"N8", kMenuStop);
    N9 = item(PopupMenu2->Items(), L"N9", kMenuAddFavourite);

    PopupMenu3 = load.Create<tk::TPopupMenu>(L"PopupMenu3");
    PopupMenu3->SetAutoHotkeys(tk::TMenuAutoFlag::maManual);
    N11 = item(PopupMenu3->Items(), L"N11", kMenuPlay);
    N12 = item(PopupMenu3->Items(), L"N12", kMenuStop);
    N10 = item(PopupMenu3->Items(), L"N10", kMenuRemove);
}

void TForm1::CreateComponents(tk::FormLoader& load) {
    StatusBar1 = load.Create<tk::TStatusBar>(L"StatusBar1");
    StatusBar1->SetParent(this);
    tk::TStatusPanel* waiting = StatusBar1->Panels().Add();
    waiting->SetWidth(442);
    waiting->SetText(kWaitingToPlay);
    tk::TStatusPanel* version = StatusBar1->Panels().Add();
    version->SetWidth(50);
    version->SetAlignment(tk::TAlignment::taCenter);
    version->SetText(kVersion);

    Panel2 = load.Create<tk::TPanel>(L"Panel2");
    Panel2->SetParent(this);
    Panel2->SetBevelOuter(tk::TBevelCut::bvNone);
    Panel2->SetWidth(159);
    Panel2->SetAlign(tk::TAlign::alRight);

    Panel1 = load.Create<tk::TPanel>(L"Panel1");
    Panel1->SetParent(this);
    Panel1->SetBevelOuter(tk::TBevelCut::bvNone);
    Panel1->SetAlign(tk::TAlign::alClient);

    ZIV1 = load.Create<TZIV>(L"ZIV1");  // raises when the control was never registered
    ZIV1->SetParent(Panel1);
    ZIV1->SetAlign(tk::TAlign::alClient);

    PageControl1 = load.Create<tk::TPageControl>(L"PageControl1");
    PageControl1->SetParent(Panel2);
    PageControl1->SetAlign(tk::TAlign::alClient);
    TabSheet1 = load.Create<tk::TTabSheet>(L"TabSheet1");
    TabSheet1->SetCaption(kChannelListTab);
    TabSheet1->SetPageControl(PageControl1);
    TabSheet2 = load.Create<tk::TTabSheet>(L"TabSheet2");
    TabSheet2->SetCaption(kFavouritesTab);
    TabSheet2->SetPageControl(PageControl1);
    PageControl1->SetActivePage(TabSheet1);

    TreeView1 = load.Create<tk::TTreeView>(L"TreeView1");
    SetUpTree(TreeView1, TabSheet1, tk::clCream, PopupMenu2);

    Panel5 = load.Create<tk::TPanel>(L"Panel5");
    Panel5->SetVisible(false);
    Panel5->SetParent(TabSheet1);
    Panel5->SetAlign(tk::TAlign::alClient);
    Panel5->SetBevelOuter(tk::TBevelCut::bvLowered);
    Panel5->SetColor(tk::clWhite);
    Label1 = load.Create<tk::TLabel>(L"Label1");
    Label1->SetParent(Panel5);
    Label1->SetBounds(26, 96, 96, 13);
    Label1->SetCaption(kUpdatingList);
    Gauge1 = load.Create<tk::TGauge>(L"Gauge1");
    Gauge1->SetParent(Panel5);
    Gauge1->SetBounds(4, 116, 139, 11);
    Gauge1->SetForeColor(tk::clBlue);

    TreeView2 = load.Create<tk::TTreeView>(L"TreeView2");
    SetUpTree(TreeView2, TabSheet2, tk::clWhite, PopupMenu3);

    BitBtn1 = load.Create<tk::TBitBtn>(L"BitBtn1");
    BitBtn1->SetParent(this);
    BitBtn1->SetBounds(Panel1->Width() - 26 - 9, StatusBar1->Top() - 31, 26, 20);
    BitBtn1->SetAnchors(tk::akRight | tk::akBottom);
    BitBtn1->SetCursor(tk::TCursor::crHandPoint);
    BitBtn1->SetHint(kToggleListHint);
    BitBtn1->SetShowHint(true);
    BitBtn1->SetTabStop(false);

    ApplicationEvents1 = load.Create<tk::TApplicationEvents>(L"ApplicationEvents1");
    Timer2 = load.Create<tk::TTimer>(L"Timer2");
    Timer2->SetInterval(1000);
    Timer2->SetEnabled(true);
    OpenDialog1 = load.Create<tk::TOpenDialog>(L"OpenDialog1");
    OpenDialog1->SetFilter(kMediaFilter);
    XMLDocument1 = load.Create<tk::TXMLDocument>(L"XMLDocument1");
    XMLDocument2 = load.Create<tk::TXMLDocument>(L"XMLDocument2");

    // The skin's package is the form's stored SkinStream, read while the form is built; Loaded
    // then hands the component to the skin manager, which skins the windows from then on.
    SkinData1 = load.Create<skin::TSkinData>(L"SkinData1");
    SkinData1->SetActive(true);
    SkinData1->SetSkinControls(kSkinControls);
    SkinData1->SetOptions(kSkinOptions);
}

void TForm1::BindHandlers() {
    OnCreate = [this](tk::TObject*) { FormCreate(); };
    OnShow = [this](tk::TObject*) { FormShow(); };
    OnClose = [this](tk::TObject*, tk::TCloseAction& action) { FormClose(action); };
    ZIV1->OnStateChange = [this](tk::TObject*, int nState) { ZIV1StateChange(nState); };
    ZIV1->OnClosePlayer = [this](tk::TObject*) { ZIV1ClosePlayer(); };
    ApplicationEvents1->OnMessage = [this](MSG& msg, bool& handled) { ApplicationEvents1Message(msg, handled); };
    Timer2->OnTimer = [this](tk::TObject*) { Timer2Timer(); };
    BitBtn1->OnClick = [this](tk::TObject*) { BitBtn1Click(); };
    TreeView1->OnDblClick = [this](tk::TObject*) { TreeView1Db1Click(); };
    TreeView1->OnContextPopup = [this](tk::TObject*, POINT at, bool& handled) { TreeView1ContextPopup(at, handled); };
    TreeView2->OnDblClick = [this](tk::TObject*) { TreeView2DblClick(); };
    TreeView2->OnContextPopup = [this](tk::TObject*, POINT at, bool& handled) { TreeView2ContextPopup(at, handled); };

    auto on = [](tk::TMenuItem* item, std::function<void()> action) {
        item->OnClick = [action](tk::TObject*) { action(); };
    };
    on(N4, [this] { N4Click(); });
    on(N67, [this] { Close(); });
    for (tk::TMenuItem* play : {N69, N3}) on(play, [this] { ZIV1->Play(); });
    for (tk::TMenuItem* pause : {N70, N5}) on(pause, [this] { ZIV1->Pause(); });
    for (tk::TMenuItem* stop : {N71, N6, N8, N12}) on(stop, [this] { ZIV1->Stop(); });
    for (tk::TMenuItem* full : {N72, N2}) on(full, [this] { ZIV1->SetFullScreen(true); });
    for (tk::TMenuItem* mute : {N73, N80}) on(mute, [this] { ZIV1->SetMute(!ZIV1->Mute()); });
    on(N81, [this] { N81Click(); });
    on(N7, [this] { TreeView1Db1Click(); });
    on(N9, [this] { N9Click(); });
    on(N11, [this] { TreeView2DblClick(); });
    on(N10, [this] { N10Click(); });
    on(N13, [this] { N13Click(); });
    for (tk::TMenuItem* manual : {N76, N1}) on(manual, [this] { N1Click(); });
    on(WindowsMediaplayer901, [this] { OpenWebPage(kMediaPlayerPage); });
    on(Realplayer1001, [this] { OpenWebPage(kRealPlayerPage); });
    for (tk::TMenuItem* about : {N79, N1232}) on(about, [this] { N79Click(); });
}

}  // namespace zentavo
