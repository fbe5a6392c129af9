// The skin manager over real windows of this thread (toolkit forms, raw windows, dialogs and a
// message box), with a form-skinner double that records what the manager asks of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control_atom.h"
#include "control_of_window.h"
#include "form.h"
#include "install_skin_manager.h"
#include "panel.h"
#include "skin_data.h"
#include "skin_manage.h"

namespace skin::testing {
namespace {

// Every call a skinner double hears, in order: "Recolor 2" is the second skinner made.
std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}

class RecordingSkinner : public tk::TComponent, public IFormSkinner {
public:
    RecordingSkinner(const FormSkinnerRequest& request, int number)
        : tk::TComponent(request.Form), request_(request), number_(number) {}
    ~RecordingSkinner() override {
        Record("Free");
        if (ISkinManager* manager = SkinManager()) manager->ForgetForm(this);
    }

    HWND WindowHandle() const override { return request_.Window; }
    TSkinData* SkinData() const override { return request_.Data; }
    int SkinState() const override { return state; }
    int ManagerTag() const override { return request_.ManagerTag; }
    uint8_t FormKind() const override { return 0; }
    void ComputeBorders() override { Record("ComputeBorders"); }
    void Recolor() override {
        Record("Recolor");
        if (onRecolor) onRecolor();
    }
    void Unskin() override { Record("Unskin"); }
    void UnskinForDestroy() override { Record("UnskinForDestroy"); }
    void FreeCaptionButtons() override { Record("FreeCaptionButtons"); }
    void SkinWindowByClass(HWND) override { Record("SkinWindowByClass"); }

    const FormSkinnerRequest& Request() const { return request_; }
    int state = ssSkinned;
    std::function<void()> onRecolor;

private:
    void Record(const char* what) const { Calls().push_back(std::string(what) + " " + std::to_string(number_)); }

    FormSkinnerRequest request_;
    int number_;
};

// The skinners the factory made, in order; entries are not owned (the manager frees them).
std::vector<RecordingSkinner*>& Made() {
    static std::vector<RecordingSkinner*> made;
    return made;
}

IFormSkinner* RecordingFactory(const FormSkinnerRequest& request) {
    auto* skinner = new RecordingSkinner(request, static_cast<int>(Made().size()) + 1);
    Made().push_back(skinner);
    return skinner;
}

int RequestsFor(HWND window) {
    return static_cast<int>(std::count_if(Made().begin(), Made().end(),
                                          [window](RecordingSkinner* s) { return s->Request().Window == window; }));
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HINSTANCE OurModule() { return GetModuleHandleW(nullptr); }
HINSTANCE OtherModule() { return GetModuleHandleW(L"kernel32.dll"); }

void EnsureClass(const wchar_t* name, HINSTANCE instance) {
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, name, &existing)) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

LRESULT CALLBACK AnswersSkinQuery(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return m == SKIN_QUERY ? 1 : DefWindowProcW(w, m, wp, lp);
}

// The message box is modal: a thread timer, run by its own message loop, finds it and closes it.
HWND g_messageBox = nullptr;
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", L"manager test");
    if (box == nullptr) return;
    g_messageBox = box;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// A small in-memory dialog template: no controls, no font.
HWND MakeDialog(DWORD style, HINSTANCE instance) {
    std::vector<WORD> tpl(sizeof(DLGTEMPLATE) / sizeof(WORD) + 4, 0);  // + menu, class, title (, pad)
    auto* t = reinterpret_cast<DLGTEMPLATE*>(tpl.data());
    t->style = style & ~static_cast<DWORD>(WS_VISIBLE | DS_SETFONT);
    t->cx = 120;
    t->cy = 80;
    return CreateDialogIndirectParamW(instance, t, nullptr, QuietDialogProc, 0);
}

constexpr DWORD kMessageBoxStyle = 0x84C801C4;
constexpr DWORD kFileDialogStyle = 0x86C800C4;

class SkinManagerTest : public ::testing::Test {
public:
    void SetUp() override {
        ResetSkinManager();
        Calls().clear();
        Made().clear();
        InstallSkinManager(RecordingFactory);
        main_ = NewData(TSkinFormType::sfMainform);
        manager_ = static_cast<TSkinManage*>(SkinManager());
    }

    void TearDown() override {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) delete *it;
        ResetSkinManager();
        for (auto it = datas_.rbegin(); it != datas_.rend(); ++it) delete *it;
        SetSkinManagerFactory({});
        Pump();
    }

    // A component with a skin, loaded as if streamed with its form (owner).
    TSkinData* NewData(TSkinFormType type, tk::TComponent* owner = nullptr) {
        auto* data = new TSkinData(owner);
        data->SetSkinFormtype(type);
        data->NoSkin = false;
        data->Loaded();
        if (owner == nullptr) datas_.push_back(data);
        return data;
    }

    tk::TForm* NewForm(int tag = 0) {
        auto* form = new tk::TForm(nullptr);
        form->SetTag(tag);
        form->SetBounds(80, 80, 300, 200);
        forms_.push_back(form);
        return form;
    }

    // An overlapped window gets the system's minimum size; a popup keeps the size it is given.
    HWND NewWindow(const wchar_t* className, HINSTANCE instance = OurModule(), int width = 200, int height = 150) {
        EnsureClass(className, instance);
        const DWORD style = width == 0 || height == 0 ? WS_POPUP : WS_OVERLAPPEDWINDOW;
        HWND w = CreateWindowExW(0, className, L"test", style, 60, 60, width, height, nullptr, nullptr, instance,
                                 nullptr);
        windows_.push_back(w);
        return w;
    }

    HWND NewDialog(DWORD style, HINSTANCE instance = OurModule()) {
        HWND w = MakeDialog(style, instance);
        windows_.push_back(w);
        return w;
    }

    // Shows the window, which activates it: the hook sees HCBT_ACTIVATE.
    static void Activate(HWND window) {
        ShowWindow(window, SW_SHOW);
        if (GetActiveWindow() != window) SetActiveWindow(window);
        Pump();
    }

    TSkinManage& Manager() { return *manager_; }

    TSkinData* main_ = nullptr;
    TSkinManage* manager_ = nullptr;
    std::vector<TSkinData*> datas_;
    std::vector<tk::TForm*> forms_;
    std::vector<HWND> windows_;
};

// ---- the hook's rules ----------------------------------------------------------------------

struct HookCase {
    const char* name;
    std::function<HWND(SkinManagerTest&)> make;
    bool skinned;
};

TEST_F(SkinManagerTest, HookSkinsAtFirstActivationOnlyTheWindowsTheRulesAllow) {
    const std::vector<HookCase> cases = {
        {"toolkit form", [](SkinManagerTest& t) { return t.NewForm()->Handle(); }, true},
        {"toolkit form with Tag 99",
         [](SkinManagerTest& t) { return t.NewForm(99)->Handle(); }, false},
        {"raw window of this module",
         [](SkinManagerTest& t) { return t.NewWindow(L"MgrPlain"); }, true},
        {"the application window's class",
         [](SkinManagerTest& t) { return t.NewWindow(L"TApplication"); }, false},
        {"a preview class without xoPreview",
         [](SkinManagerTest& t) {
             SkinManagerTest& h = t;
             h.main_->SetOptions(h.main_->Options() & ~SetBit(xoPreview));
             return h.NewWindow(L"TfrmPreview");
         },
         false},
        {"a preview class with xoPreview",
         [](SkinManagerTest& t) {
             SkinManagerTest& h = t;
             h.main_->SetOptions(h.main_->Options() | SetBit(xoPreview));
             return h.NewWindow(L"TfrmPreview2");
         },
         true},
        {"a popup edit window",
         [](SkinManagerTest& t) { return t.NewWindow(L"TcxPopupEditPopupWindowX"); },
         false},
        {"zero-area window",
         [](SkinManagerTest& t) { return t.NewWindow(L"MgrPlain", OurModule(), 0, 0); },
         false},
        {"#32770 with style 0x200",
         [](SkinManagerTest& t) { return t.NewDialog(kMessageBoxStyle | 0x200); }, false},
        {"#32770 with the message box's style",
         [](SkinManagerTest& t) { return t.NewDialog(kMessageBoxStyle); }, true},
        {"#32770 with the file dialog's style",
         [](SkinManagerTest& t) { return t.NewDialog(kFileDialogStyle); }, true},
        {"raw window of another module",
         [](SkinManagerTest& t) { return t.NewWindow(L"MgrForeign", OtherModule()); },
         false},
        {"#32770 of another module",
         [](SkinManagerTest& t) { return t.NewDialog(kFileDialogStyle, OtherModule()); },
         true},
        {"toolkit form whose window names another module",
         [](SkinManagerTest& t) {
             HWND w = t.NewForm()->Handle();
             SetWindowLongPtrW(w, GWLP_HINSTANCE, reinterpret_cast<LONG_PTR>(OtherModule()));
             return w;
         },
         true},
    };
    Manager().SetSkinning(true);
    for (const HookCase& c : cases) {
        SCOPED_TRACE(c.name);
        HWND window = c.make(*this);
        ASSERT_NE(window, nullptr);
        Activate(window);
        ASSERT_EQ(GetActiveWindow(), window) << "the window was never activated, so the row shows nothing";
        EXPECT_EQ(RequestsFor(window), c.skinned ? 1 : 0);
        EXPECT_EQ(Manager().FindFormSkinner(window) != nullptr, c.skinned);
    }
}

TEST_F(SkinManagerTest, FirstActivationStartsTheManagerAndASecondOneMakesNoSecondSkinner) {
    Manager().SetSkinning(true);
    ASSERT_EQ(Manager().ActivationState(), 0);
    tk::TForm* a = NewForm();
    tk::TForm* b = NewForm();
    a->Show();
    Pump();
    EXPECT_EQ(Manager().ActivationState(), 1);
    b->Show();
    Pump();
    Activate(a->Handle());
    Activate(b->Handle());
    EXPECT_EQ(RequestsFor(a->Handle()), 1);
    EXPECT_EQ(RequestsFor(b->Handle()), 1);
    ASSERT_EQ(Made().size(), 2u);
    // The toolkit form is handed over as the form, with the window's class and the main skin.
    EXPECT_EQ(Made()[0]->Request().Form, a);
    EXPECT_EQ(Made()[0]->Request().ClassText, L"TForm");
    EXPECT_EQ(Made()[0]->Request().Data, main_);
}

TEST_F(SkinManagerTest, NothingIsSkinnedWhileSkinningIsOff) {
    Manager().SetSkinning(false);
    tk::TForm* form = NewForm();
    form->Show();
    Pump();
    EXPECT_EQ(Manager().ActivationState(), 1);
    EXPECT_TRUE(Made().empty());
}

TEST_F(SkinManagerTest, SkinningPostsTheStartMessageToTheWindow) {
    Manager().SetSkinning(true);
    HWND window = NewWindow(L"MgrPlain");
    ASSERT_TRUE(Manager().SkinFormNow(window));
    MSG start{};
    ASSERT_TRUE(PeekMessageW(&start, window, SKIN_START, SKIN_START, PM_REMOVE));
    EXPECT_EQ(start.wParam, 0u);
    EXPECT_EQ(start.lParam, kSkinStartDelay);
    EXPECT_EQ(Made()[0]->Request().Form, nullptr);  // a raw window is attached as a plain window
}

TEST_F(SkinManagerTest, AWindowThatAnswersTheSkinQueryIsNotSkinnedAgain) {
    Manager().SetSkinning(true);
    static const wchar_t* kClass = L"MgrAlreadySkinned";
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnswersSkinQuery;
    wc.hInstance = OurModule();
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, OurModule(),
                                  nullptr);
    windows_.push_back(window);
    EXPECT_FALSE(Manager().SkinFormNow(window));
    EXPECT_TRUE(Made().empty());
}

TEST_F(SkinManagerTest, AMessageBoxIsSkinnedWhileItIsUp) {
    Manager().SetSkinning(true);
    g_messageBox = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMessageBox);
    MessageBoxW(nullptr, L"skinned?", L"manager test", MB_OK);
    KillTimer(nullptr, timer);
    ASSERT_NE(g_messageBox, nullptr);
    ASSERT_EQ(RequestsFor(g_messageBox), 1);
    EXPECT_EQ(Made()[0]->Request().ClassText, L"#32770");
}

TEST_F(SkinManagerTest, ASizeGripMadeInASkinnedFormIsHandedToTheFormsSkinner) {
    Manager().SetSkinning(true);
    tk::TForm* form = NewForm();
    ASSERT_TRUE(Manager().SkinFormNow(form->Handle()));
    HWND grip = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | SBS_SIZEGRIP, 0, 0, 16, 16, form->Handle(), nullptr,
                                OurModule(), nullptr);
    HWND bar = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD, 0, 20, 100, 16, form->Handle(), nullptr, OurModule(),
                               nullptr);
    EXPECT_EQ(std::count(Calls().begin(), Calls().end(), "SkinWindowByClass 1"), 1);
    DestroyWindow(grip);
    DestroyWindow(bar);
}

TEST_F(SkinManagerTest, AToolkitControlThatIsNotAFormIsSkinnedAsAPlainWindow) {
    Manager().SetSkinning(true);
    tk::TForm* form = NewForm();
    EXPECT_EQ(ControlOfWindow(form->Handle()), form);
    EXPECT_EQ(ControlOfWindow(nullptr), nullptr);
    // A top-level window that the toolkit made for some other control (a hint window, say).
    tk::TPanel panel(nullptr);
    HWND window = NewWindow(L"MgrPlain");
    tk::AttachControl(window, &panel);
    ASSERT_EQ(ControlOfWindow(window), &panel);
    panel.SetTag(99);
    EXPECT_FALSE(Manager().SkinFormNow(window)) << "its Tag counts like a form's";
    panel.SetTag(0);
    ASSERT_TRUE(Manager().SkinFormNow(window));
    EXPECT_EQ(Made()[0]->Request().Form, nullptr);
    tk::DetachControl(window);
}

TEST_F(SkinManagerTest, AnMdiChildIsSkinnedAsItIsMadeAndAnyOtherChildNever) {
    Manager().SetSkinning(true);
    HWND frame = NewWindow(L"MgrPlain");
    CLIENTCREATESTRUCT client{};
    HWND mdiClient = CreateWindowExW(0, L"MDICLIENT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 180, 120, frame, nullptr,
                                     OurModule(), &client);
    ASSERT_NE(mdiClient, nullptr);
    HWND child = CreateMDIWindowW(L"MgrPlain", L"child", 0, 0, 0, 100, 80, mdiClient, OurModule(), 0);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(RequestsFor(child), 1);
    HWND plainChild = CreateWindowExW(0, L"MgrPlain", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame, nullptr,
                                      OurModule(), nullptr);
    EXPECT_FALSE(Manager().SkinFormNow(plainChild));
    EXPECT_EQ(Made().size(), 1u);
}

// ---- which skin data a window takes ----------------------------------------------------------

TEST_F(SkinManagerTest, SkinDataForPrefersTheFormsOwnThenDialogThenMainThenFirst) {
    tk::TForm* own = NewForm();
    HWND ownWindow = own->Handle();
    HWND other = NewForm()->Handle();
    TSkinData* dialog1 = NewData(TSkinFormType::sfDialog);
    TSkinData* dialog2 = NewData(TSkinFormType::sfDialog);
    TSkinData* main2 = NewData(TSkinFormType::sfMainform);
    TSkinData* only = NewData(TSkinFormType::sfOnlyThisForm, own);
    struct Case {
        HWND window;
        const wchar_t* className;
        TSkinData* expected;
    } cases[] = {
        {ownWindow, L"TForm", only},          // the form's own component first
        {ownWindow, L"#32770", only},
        {other, L"#32770", dialog2},          // the last sfDialog
        {other, L"TMessageForm", dialog2},
        {other, L"TForm", main2},             // the last sfMainform
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(Manager().SkinDataFor(c.window, c.className), c.expected);
    }
    (void)dialog1;
    EXPECT_EQ(Manager().MainSkinData(), main_);  // the first sfMainform is the main one
}

TEST_F(SkinManagerTest, SkinDataForFallsBackToTheFirstComponentAndToNone) {
    HWND window = NewWindow(L"MgrPlain");
    ResetSkinManager();
    InstallSkinManager(RecordingFactory);
    auto& manager = static_cast<TSkinManage&>(EnsureSkinManager());
    EXPECT_EQ(manager.SkinDataFor(window, L"TForm"), nullptr);
    TSkinData* dll = NewData(TSkinFormType::sfDLL);
    NewData(TSkinFormType::sfDialog);
    EXPECT_EQ(manager.SkinDataFor(window, L"TForm"), dll);
    manager_ = &manager;
}

TEST_F(SkinManagerTest, AComponentWithoutASkinSkinsNothing) {
    Manager().SetSkinning(true);
    main_->NoSkin = true;
    EXPECT_FALSE(Manager().SkinFormNow(NewWindow(L"MgrPlain")));
}

// ---- deferred actions ------------------------------------------------------------------------

TEST_F(SkinManagerTest, BeforeTheFirstActivationARequestOnlySwitchesSkinning) {
    ASSERT_FALSE(Manager().TimerEnabled());  // the timer starts disabled
    Manager().RequestAction(SkinAction::Skin, 250);
    EXPECT_TRUE(Manager().Skinning());
    EXPECT_FALSE(Manager().TimerEnabled());
    Manager().RequestAction(SkinAction::Unskin, 250);
    EXPECT_FALSE(Manager().Skinning());
    EXPECT_FALSE(Manager().TimerEnabled());
    Manager().RequestAction(SkinAction::Refresh, 250);
    EXPECT_FALSE(Manager().Skinning());
    EXPECT_FALSE(Manager().TimerEnabled());
}

TEST_F(SkinManagerTest, OnceRunningTheTimerCarriesTheRequestOut) {
    tk::TForm* form = NewForm();
    form->Show();
    Pump();
    ASSERT_EQ(Manager().ActivationState(), 1);
    ASSERT_TRUE(Made().empty()) << "skinning is still off";
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Skin, 50);
    EXPECT_TRUE(Manager().TimerEnabled());
    for (int i = 0; i < 100 && Manager().PendingSkinData() != nullptr; ++i) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(Manager().PendingSkinData(), nullptr);
    EXPECT_FALSE(Manager().TimerEnabled());
    EXPECT_TRUE(Manager().Skinning());
    EXPECT_EQ(RequestsFor(form->Handle()), 1);
    EXPECT_FALSE(Manager().SkinningAll());
}

TEST_F(SkinManagerTest, SkinAllSkinsEveryVisibleForm) {
    tk::TForm* shown = NewForm();
    tk::TForm* hidden = NewForm();
    shown->Show();
    Pump();
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Skin, 250);
    Manager().DoDeferredAction();
    EXPECT_EQ(RequestsFor(shown->Handle()), 1);
    EXPECT_FALSE(hidden->HandleAllocated());
    EXPECT_EQ(Made().size(), 1u);
}

TEST_F(SkinManagerTest, UnskinAllUnskinsRepaintsAndFreesEveryForm) {
    Manager().SetSkinning(true);
    tk::TForm* form = NewForm();
    ASSERT_TRUE(Manager().SkinFormNow(form->Handle()));
    ASSERT_TRUE(Manager().SkinFormNow(NewWindow(L"MgrPlain")));
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Unskin, 250);
    Manager().DoDeferredAction();
    EXPECT_FALSE(Manager().Skinning());
    EXPECT_TRUE(Manager().FormSkinners().empty());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Unskin 1", "Free 1", "Unskin 2", "Free 2"}));
    EXPECT_EQ(form->ComponentCount(), 0) << "the skinner left its form";
    EXPECT_EQ(Manager().PendingSkinData(), nullptr);
}

TEST_F(SkinManagerTest, RefreshRebuildsTheBordersOfAllThenRecoloursAll) {
    Manager().SetSkinning(true);
    TSkinData* dialog = NewData(TSkinFormType::sfDialog);
    ASSERT_TRUE(Manager().SkinFormNow(NewForm()->Handle()));
    ASSERT_TRUE(Manager().SkinFormNow(NewDialog(kMessageBoxStyle)));  // takes the dialog component
    ASSERT_TRUE(Manager().SkinFormNow(NewForm()->Handle()));
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Refresh, 250);
    Manager().DoDeferredAction();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ComputeBorders 1", "ComputeBorders 3", "Recolor 1", "Recolor 3"}));
    (void)dialog;
}

TEST_F(SkinManagerTest, ARecolorThatActivatesANewWindowOrFreesAFormDoesNotDerailTheWalk) {
    Manager().SetSkinning(true);
    tk::TForm* first = NewForm();
    tk::TForm* doomed = NewForm();
    ASSERT_TRUE(Manager().SkinFormNow(first->Handle()));
    ASSERT_TRUE(Manager().SkinFormNow(doomed->Handle()));
    tk::TForm* late = NewForm();
    Made()[0]->onRecolor = [&] {
        late->Show();  // activates: the hook lists a new skinner in the middle of the walk
        Pump();
        forms_.erase(std::find(forms_.begin(), forms_.end(), doomed));
        delete doomed;  // frees the second skinner before the walk reaches it
    };
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Refresh, 250);
    Manager().DoDeferredAction();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ComputeBorders 1", "ComputeBorders 2", "Recolor 1", "Free 2"}));
    EXPECT_EQ(RequestsFor(late->Handle()), 1);
    EXPECT_EQ(Manager().FormSkinners().size(), 2u);
}

TEST_F(SkinManagerTest, ActionsForOneFormTouchOnlyItsOwnComponentsSkinner) {
    tk::TForm* owner = NewForm();
    owner->Show();
    Pump();
    TSkinData* only = NewData(TSkinFormType::sfOnlyThisForm, owner);
    Manager().SetSkinning(false);
    Manager().SetPendingSkinData(only);
    Manager().RequestAction(SkinAction::Skin, 250);
    Manager().DoDeferredAction();
    ASSERT_EQ(Made().size(), 1u);
    EXPECT_EQ(Made()[0]->Request().Data, only);
    ASSERT_TRUE(Manager().SkinFormNow(NewForm()->Handle()));  // a main-skinned form beside it
    Calls().clear();
    Manager().SetPendingSkinData(only);
    Manager().RequestAction(SkinAction::Refresh, 250);
    Manager().DoDeferredAction();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ComputeBorders 1", "Recolor 1"}));
    Calls().clear();
    Manager().SetPendingSkinData(only);
    Manager().RequestAction(SkinAction::Unskin, 250);
    Manager().DoDeferredAction();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Unskin 1", "Free 1"}));
    EXPECT_EQ(Manager().FormSkinners().size(), 1u);
}

// ---- lifetime --------------------------------------------------------------------------------

TEST_F(SkinManagerTest, FreeingAFormFreesItsSkinnerAndTheManagerForgetsIt) {
    Manager().SetSkinning(true);
    tk::TForm* form = NewForm();
    HWND window = form->Handle();
    ASSERT_TRUE(Manager().SkinFormNow(window));
    forms_.pop_back();
    delete form;
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Free 1"}));
    EXPECT_EQ(Manager().FindFormSkinner(window), nullptr);
    EXPECT_TRUE(Manager().FormSkinners().empty());
}

TEST_F(SkinManagerTest, TheNextSkinningFreesSkinnersWhoseWindowIsGone) {
    Manager().SetSkinning(true);
    HWND gone = NewWindow(L"MgrPlain");
    ASSERT_TRUE(Manager().SkinFormNow(gone));
    Made()[0]->state = ssDestroyed;
    ASSERT_TRUE(Manager().SkinFormNow(NewWindow(L"MgrPlain")));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Free 1"}));
    EXPECT_EQ(Manager().FormSkinners().size(), 1u);
}

TEST_F(SkinManagerTest, UnregisteringAComponentClearsItAsMainAndPending) {
    TSkinData* second = NewData(TSkinFormType::sfMainform);
    tk::TForm* form = NewForm();
    form->Show();
    Pump();
    Manager().SetPendingSkinData(main_);
    Manager().RequestAction(SkinAction::Refresh, 250);
    ASSERT_TRUE(Manager().TimerEnabled());
    datas_.erase(datas_.begin());
    delete main_;
    main_ = nullptr;
    EXPECT_EQ(Manager().PendingSkinData(), nullptr);
    EXPECT_FALSE(Manager().TimerEnabled());
    EXPECT_EQ(Manager().MainSkinData(), second);
    Manager().DoDeferredAction();  // nothing pending: nothing happens
    EXPECT_TRUE(Calls().empty());
}

TEST_F(SkinManagerTest, TheHookNeverMakesWindowsForOtherForms) {
    tk::TForm* unshown = NewForm();
    NewData(TSkinFormType::sfOnlyThisForm, unshown);  // asks for its owner's window
    Manager().SetSkinning(true);
    tk::TForm* shown = NewForm();
    shown->Show();
    Pump();
    EXPECT_EQ(RequestsFor(shown->Handle()), 1);
    EXPECT_FALSE(unshown->HandleAllocated());
}

TEST_F(SkinManagerTest, ASecondHookInstallKeepsTheFirstHook) {
    HHOOK first = Manager().HookHandle();
    ASSERT_NE(first, nullptr);
    NewData(TSkinFormType::sfMainform);  // its Loaded installs the hook again
    EXPECT_EQ(Manager().HookHandle(), first);
}

TEST_F(SkinManagerTest, DestroyLetsEverySkinnerGoLastFirstAndRemovesTheHook) {
    Manager().SetSkinning(true);
    ASSERT_TRUE(Manager().SkinFormNow(NewForm()->Handle()));
    ASSERT_TRUE(Manager().SkinFormNow(NewWindow(L"MgrPlain")));
    HHOOK hook = Manager().HookHandle();
    ResetSkinManager();
    manager_ = nullptr;
    EXPECT_EQ(Calls(), (std::vector<std::string>{"UnskinForDestroy 2", "Free 2", "UnskinForDestroy 1", "Free 1"}));
    EXPECT_EQ(forms_[0]->ComponentCount(), 0);
    EXPECT_FALSE(UnhookWindowsHookEx(hook)) << "the hook is already gone";
    // Windows activated now reach no manager.
    tk::TForm* after = NewForm();
    after->Show();
    Pump();
    EXPECT_EQ(Made().size(), 2u);
}

}  // namespace
}  // namespace skin::testing
