// The form skinner on real windows: a toolkit form with a three-item main menu, skinned with the
// flat frame skin through the manager's factory (no manager: the null one stands in), started
// with SKIN_START and let go with Unskin. Expected sizes come from the generated flat colour
// header, never from the code under test.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "application.h"
#include "flat_skin_colours.h"
#include "form.h"
#include "menus.h"
#include "skin_data.h"
#include "skin_data_fixture.h"
#include "skin_manager_seam.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {
namespace {

using testing::StreamedSkin;
using testing::StreamTestSkin;

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override { tk::Application->Initialize(); }
};
[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps for at least ms milliseconds (timers and wine's polling need real time).
void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Pump();
        Sleep(20);
    }
}

struct Logged {
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
};

// Sits in the form's WindowProc below the skinner (installed before it), so it sees what the
// skinner passes on, and swallows the commands that would really close or resize the window.
struct FormRecorder {
    tk::TWndMethod old;
    std::vector<Logged> log;
    std::vector<UINT> swallow{WM_SYSCOMMAND, WM_NCLBUTTONDOWN, SKIN_CAPTIONACTION};

    TSkinData* watched = nullptr;       // whose frame painting CM_MENUCHANGED finds
    std::vector<bool> paintingOnMenuChange;

    void Proc(tk::TMessage& m) {
        log.push_back({m.Msg, m.WParam, m.LParam});
        if (m.Msg == tk::CM_MENUCHANGED && watched != nullptr) paintingOnMenuChange.push_back(watched->NcPaintEnabled);
        if (std::find(swallow.begin(), swallow.end(), m.Msg) != swallow.end()) {
            m.Result = 0;
            return;
        }
        old(m);
    }
    int Count(UINT msg, LPARAM lparam) const {
        return static_cast<int>(std::count_if(log.begin(), log.end(),
                                              [&](const Logged& l) { return l.msg == msg && l.lparam == lparam; }));
    }
    std::vector<Logged> Only(std::vector<UINT> msgs) const {
        std::vector<Logged> out;
        for (const Logged& l : log)
            if (std::find(msgs.begin(), msgs.end(), l.msg) != msgs.end()) out.push_back(l);
        return out;
    }
};

class SkinFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSkinManager();
        skin_ = StreamTestSkin("FLAT_FRAME");
        ASSERT_FALSE(skin_.data->NoSkin);
    }
    void TearDown() override {
        delete form_;
        form_ = nullptr;
        skin_ = {};
        ResetSkinManager();
    }

    // A shown form at (200, 150) with the recorder in its WindowProc and a File/Edit/Help bar.
    void MakeForm(tk::TFormBorderStyle style = tk::TFormBorderStyle::bsSizeable) {
        form_ = tk::TCustomForm::Create<tk::TForm>(nullptr);
        form_->SetBorderStyle(style);
        form_->SetBounds(200, 150, 400, 300);
        auto* menu = new tk::TMainMenu(form_);
        for (const wchar_t* caption : {L"&File", L"&Edit", L"&Help"}) {
            auto* item = new tk::TMenuItem(form_);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        window_ = form_->Handle();
        form_->SetMenu(menu);
        form_->Show();
        Pump();
        recorder_.old = form_->WindowProc();
        form_->SetWindowProc(tk::MakeWndMethod<FormRecorder, &FormRecorder::Proc>(&recorder_));
    }

    TWinSkinForm* Attach() {
        FormSkinnerRequest request;
        request.Window = window_;
        request.ClassText = L"TForm";
        request.Data = skin_.data;
        request.Form = form_;
        skinner_ = static_cast<TWinSkinForm*>(MakeFormSkinner(request));
        return skinner_;
    }

    void Start() {
        SendMessageW(window_, SKIN_START, 0, kSkinStartDelay);
        Pump();
    }

    TWinSkinForm* Skinned() {
        Attach();
        Start();
        return skinner_;
    }

    static POINT Centre(const SliceRect& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    POINT ToScreen(POINT windowPoint) const {
        RECT w{};
        GetWindowRect(window_, &w);
        return POINT{w.left + windowPoint.x, w.top + windowPoint.y};
    }
    static LPARAM Packed(POINT p) { return MAKELPARAM(p.x, p.y); }

    TWinSysButton* ButtonWithAction(int action) const {
        for (const auto& b : skinner_->SysButtons())
            if (b->Skin->Action == action && b->Visible) return b.get();
        return nullptr;
    }

    void Activate() {
        SetForegroundWindow(window_);
        SetActiveWindow(window_);
        Pump();
    }

    StreamedSkin skin_;
    tk::TCustomForm* form_ = nullptr;  // owns the skinner
    HWND window_ = nullptr;
    FormRecorder recorder_;
    TWinSkinForm* skinner_ = nullptr;
};

TEST_F(SkinFormTest, FrameStaysUnpaintedUntilSkinStart) {
    MakeForm();
    Attach();
    EXPECT_EQ(skinner_->SkinState(), ssAttached);
    recorder_.log.clear();
    SendMessageW(window_, WM_NCPAINT, 1, 0);
    EXPECT_EQ(recorder_.Count(WM_NCPAINT, 0), 0) << "WM_NCPAINT reached the window before SKIN_START";
    EXPECT_FALSE(skinner_->Started());
}

TEST_F(SkinFormTest, SkinStartSkinsOnceAndTellsTheProgram) {
    MakeForm();
    std::vector<std::string> events;
    skin_.data->OnBeforeSkinForm = [&](tk::TObject* sender, HWND window, const std::wstring& cls) {
        EXPECT_EQ(sender, form_);
        EXPECT_EQ(window, window_);
        EXPECT_EQ(cls, L"TForm");
        events.push_back("before");
    };
    skin_.data->OnAfterSkinForm = [&](tk::TObject*, HWND, const std::wstring&) { events.push_back("after"); };
    Attach();
    EXPECT_EQ(events, std::vector<std::string>{"before"});
    Start();

    EXPECT_EQ(skinner_->SkinState(), ssSkinned);
    EXPECT_TRUE(skinner_->HoverTimer()->Enabled());
    EXPECT_EQ(recorder_.Count(SKIN_APPLIED, kSkinMagic), 1);
    EXPECT_EQ(SKIN_APPLIED, 0xBC4Eu);
    EXPECT_EQ(kSkinMagic, 16802);
    EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));

    // The manager asks before skinning a window twice; the answer comes with a posted SKIN_APPLIED.
    EXPECT_EQ(SendMessageW(window_, SKIN_QUERY, 0, 0), 1);
    Pump();
    EXPECT_EQ(recorder_.Count(SKIN_APPLIED, kSkinMagic), 2);

    // The caption on the screen is the skin's (active frame), right of the title's place.
    Activate();
    UpdateWindow(window_);
    Pump();
    RECT w{};
    GetWindowRect(window_, &w);
    tk::TBitmap pixel;
    pixel.SetSize(1, 1);
    HDC screen = GetDC(nullptr);
    BitBlt(pixel.Canvas().Handle(), 0, 0, 1, 1, screen, w.left + (w.right - w.left) / 2 + 40,
           w.top + flatskin::kTop.frameHeight / 2, SRCCOPY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(testing::PixelAt(pixel, 0, 0), flatskin::kTopColours[0][flatskin::zone::kCentre]);
}

// A pixel of the screen at a point of the window (window coordinates).
uint32_t ScreenPixel(HWND window, int x, int y) {
    RECT w{};
    GetWindowRect(window, &w);
    tk::TBitmap pixel;
    pixel.SetSize(1, 1);
    HDC screen = GetDC(nullptr);
    BitBlt(pixel.Canvas().Handle(), 0, 0, 1, 1, screen, w.left + x, w.top + y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return testing::PixelAt(pixel, 0, 0);
}

TEST_F(SkinFormTest, FrameShowsTheInactiveFrameWhileAnotherWindowIsActiveAndTheActiveOneAgain) {
    MakeForm();
    Skinned();
    RECT w{};
    GetWindowRect(window_, &w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    const POINT caption{width / 2 + 40, flatskin::kTop.frameHeight / 2};
    const POINT left{flatskin::kLeft.frameWidth / 2, height / 2};
    // Frame 1 (index 0) while active, frame 2 while not.
    auto expectFrame = [&](int frame) {
        UpdateWindow(window_);
        Pump();
        EXPECT_EQ(ScreenPixel(window_, caption.x, caption.y), flatskin::kTopColours[frame][flatskin::zone::kCentre]);
        EXPECT_EQ(ScreenPixel(window_, left.x, left.y), flatskin::kLeftColours[frame][flatskin::zone::kCentre]);
    };
    Activate();
    expectFrame(0);

    // Another window of the program, away from the skinned one, takes the activation.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    Pump();
    EXPECT_FALSE(skinner_->Frame().WindowActive);
    expectFrame(1);

    Activate();
    EXPECT_TRUE(skinner_->Frame().WindowActive);
    expectFrame(0);
    DestroyWindow(other);
}

TEST_F(SkinFormTest, ProceduresAreReplacedAndGivenBack) {
    MakeForm();
    const LONG_PTR savedProc = GetWindowLongPtrA(window_, GWLP_WNDPROC);
    const tk::TWndMethod savedMethod = form_->WindowProc();
    Skinned();
    EXPECT_NE(GetWindowLongPtrA(window_, GWLP_WNDPROC), savedProc);
    EXPECT_NE(form_->WindowProc(), savedMethod);
    EXPECT_TRUE(skinner_->Attached());

    skinner_->Unskin();
    EXPECT_EQ(GetWindowLongPtrA(window_, GWLP_WNDPROC), savedProc);
    EXPECT_EQ(form_->WindowProc(), savedMethod);
    EXPECT_FALSE(skinner_->Attached());
}

// Someone subclasses the window and hooks the form after the skinner: the skinner cannot take
// itself out of those chains, so it stays behind as a pass-through and every message still
// reaches the window's own handling, also after the other one lets go.
LRESULT CALLBACK ForeignProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
WNDPROC gForeignPrevious = nullptr;
int gForeignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    ++gForeignCalls;
    return CallWindowProcA(gForeignPrevious, window, msg, wparam, lparam);
}

struct ForeignHook {
    tk::TWndMethod previous;
    int calls = 0;
    void Proc(tk::TMessage& m) {
        ++calls;
        previous(m);
    }
};

TEST_F(SkinFormTest, ForeignSubclassAfterTheSkinnerKeepsMessagesFlowing) {
    MakeForm();
    const LONG_PTR savedProc = GetWindowLongPtrA(window_, GWLP_WNDPROC);
    Skinned();
    gForeignCalls = 0;
    gForeignPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    ForeignHook hook;
    hook.previous = form_->WindowProc();
    const tk::TWndMethod hookMethod = tk::MakeWndMethod<ForeignHook, &ForeignHook::Proc>(&hook);
    form_->SetWindowProc(hookMethod);

    skinner_->Unskin();
    EXPECT_EQ(GetWindowLongPtrA(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
    EXPECT_EQ(form_->WindowProc(), hookMethod);
    recorder_.log.clear();
    SetWindowTextA(window_, "through the chain");
    char text[64] = {};
    GetWindowTextA(window_, text, sizeof(text));
    EXPECT_STREQ(text, "through the chain");
    EXPECT_GT(gForeignCalls, 0);
    EXPECT_GT(hook.calls, 0);
    // Nothing of the skin is left in the chain: no redraw wrap around the text any more.
    EXPECT_TRUE(recorder_.Only({WM_SETREDRAW}).empty());

    // The other one lets go in its turn; what it puts back still leads to the window's own procedure.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gForeignPrevious));
    form_->SetWindowProc(hook.previous);
    SetWindowTextA(window_, "after both");
    GetWindowTextA(window_, text, sizeof(text));
    EXPECT_STREQ(text, "after both");
    EXPECT_NE(savedProc, 0);
}

TEST_F(SkinFormTest, ClientAreaKeepsItsSizeAndTheMenuComesBack) {
    MakeForm();
    HMENU menu = GetMenu(window_);
    ASSERT_NE(menu, nullptr);
    RECT client0{}, window0{};
    GetClientRect(window_, &client0);
    GetWindowRect(window_, &window0);

    Skinned();
    RECT client1{}, window1{};
    GetClientRect(window_, &client1);
    GetWindowRect(window_, &window1);
    EXPECT_EQ(client1.right, client0.right);
    EXPECT_EQ(client1.bottom, client0.bottom);
    const int borderLeft = flatskin::kLeft.frameWidth, borderRight = flatskin::kRight.frameWidth;
    const int borderTop = flatskin::kTop.frameHeight, borderBottom = flatskin::kBottom.frameHeight;
    const int band = GetSystemMetrics(SM_CYMENU);
    EXPECT_EQ(window1.right - window1.left, client0.right + borderLeft + borderRight);
    EXPECT_EQ(window1.bottom - window1.top, client0.bottom + borderTop + borderBottom + band);
    EXPECT_EQ(window1.left, window0.left);
    EXPECT_EQ(window1.top, window0.top);
    EXPECT_EQ(GetMenu(window_), nullptr) << "the skinned bar replaces the native one";
    ASSERT_NE(skinner_->MenuBar(), nullptr);
    EXPECT_EQ(skinner_->MenuBar()->Buttons.size(), 3u);

    skinner_->Unskin();
    RECT client2{}, window2{};
    GetClientRect(window_, &client2);
    GetWindowRect(window_, &window2);
    EXPECT_EQ(GetMenu(window_), menu);
    EXPECT_EQ(skinner_->MenuBar(), nullptr);
    EXPECT_EQ(client2.right, client0.right);
    EXPECT_EQ(client2.bottom, client0.bottom);
    EXPECT_EQ(window2.right - window2.left, window0.right - window0.left);
    EXPECT_EQ(window2.bottom - window2.top, window0.bottom - window0.top);
}

// The toolkit puts a changed menu back on the window; the skinned bar takes it over again.
TEST_F(SkinFormTest, ChangedMenuRebuildsTheBarAndLeavesTheWindowWithout) {
    MakeForm();
    Skinned();
    RECT client0{};
    GetClientRect(window_, &client0);
    recorder_.watched = skin_.data;
    form_->Menu()->Items()->Items(0)->SetCaption(L"&Fichier");
    Pump();
    // The form put its menu back on the window while the skin painted no frame, then the skin took it again.
    EXPECT_EQ(recorder_.paintingOnMenuChange, std::vector<bool>{false});
    EXPECT_TRUE(skin_.data->NcPaintEnabled);
    EXPECT_EQ(GetMenu(window_), nullptr);
    ASSERT_NE(skinner_->MenuBar(), nullptr);
    ASSERT_EQ(skinner_->MenuBar()->Buttons.size(), 3u);
    EXPECT_EQ(skinner_->MenuBar()->Buttons[0]->Caption, L"&Fichier");
    RECT client1{};
    GetClientRect(window_, &client1);
    EXPECT_TRUE(EqualRect(&client0, &client1));
}

TEST_F(SkinFormTest, FormTakesTheSkinsFaceColourWhileSkinned) {
    MakeForm();
    form_->SetColor(0x123456);
    Skinned();
    EXPECT_EQ(static_cast<uint32_t>(form_->Color()), flatskin::kColourButtonFace);
    skinner_->Unskin();
    EXPECT_EQ(form_->Color(), 0x123456);
}

TEST_F(SkinFormTest, BorderKindAndIconsFollowTheWindowStyle) {
    struct Case {
        tk::TFormBorderStyle style;
        TBorderKind kind;
        uint8_t icons;
    } const cases[] = {
        {tk::TFormBorderStyle::bsSizeable, bkSizable, fiSystemMenu | fiMinimizeBox | fiMaximizeBox},
        {tk::TFormBorderStyle::bsSingle, bkSingle, fiSystemMenu | fiMinimizeBox | fiMaximizeBox},
        {tk::TFormBorderStyle::bsNone, bkNoCaption, 0},
        {tk::TFormBorderStyle::bsDialog, bkDialog, fiSystemMenu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        MakeForm(c.style);
        Attach();
        EXPECT_EQ(skinner_->Frame().BorderKind, c.kind);
        EXPECT_EQ(skinner_->Frame().BorderIcons, c.icons);
        EXPECT_FALSE(skinner_->Frame().IsDialog);
        if (c.kind == bkNoCaption) {
            EXPECT_EQ(skinner_->Frame().BorderTop, 0);
            EXPECT_EQ(skinner_->Frame().BorderLeft, 0);
        }
        delete form_;
        form_ = nullptr;
    }

    // A system dialog: no toolkit form, and the dialog frame whatever its style says.
    HWND dialog = CreateWindowExA(0, "#32770", "dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 100,
                                  100, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    FormSkinnerRequest request;
    request.Window = dialog;
    request.Data = skin_.data;
    std::unique_ptr<IFormSkinner> plain(MakeFormSkinner(request));
    auto* dialogSkinner = static_cast<TWinSkinForm*>(plain.get());
    EXPECT_EQ(dialogSkinner->Frame().BorderKind, bkDialog);
    EXPECT_EQ(dialogSkinner->Frame().BorderIcons, fiSystemMenu);
    EXPECT_TRUE(dialogSkinner->Frame().IsDialog);
    dialogSkinner->Unskin();
    DestroyWindow(dialog);
}

TEST_F(SkinFormTest, TwoFrameBordersGiveHalfTheirPicture) {
    MakeForm();
    Attach();
    const FormFrameState& f = skinner_->Frame();
    ASSERT_EQ(flatskin::kLeft.frames, 2);
    EXPECT_EQ(f.BorderLeft, flatskin::kLeft.frameWidth);
    EXPECT_EQ(f.BorderRight, flatskin::kRight.frameWidth);
    EXPECT_EQ(f.BorderTop, flatskin::kTop.frameHeight);
    EXPECT_EQ(f.BorderBottom, flatskin::kBottom.frameHeight);
    EXPECT_EQ(skin_.data->Left->Image.Width(), 2 * f.BorderLeft);

    // A border without frames counts as one: the whole picture, and no division by zero.
    skin_.data->Left->Frame = 0;
    skinner_->ComputeBorders();
    EXPECT_EQ(skinner_->Frame().BorderLeft, 2 * flatskin::kLeft.frameWidth);
    EXPECT_EQ(skinner_->SysButtons().size(), skin_.data->CaptionButtons.size());
}

TEST_F(SkinFormTest, DestroyedWindowEndsInStateSix) {
    MakeForm();
    Skinned();
    DestroyWindow(window_);
    EXPECT_EQ(skinner_->SkinState(), ssDestroyed);
    EXPECT_FALSE(skinner_->Attached());
}

TEST_F(SkinFormTest, CaptionTextIsSetWithRedrawingOffAndNothingPumped) {
    MakeForm();
    Skinned();
    ASSERT_TRUE(IsWindowVisible(window_));
    ASSERT_FALSE(IsWindowUnicode(window_));
    // A message queued before must still be queued after: the handler pumps nothing.
    constexpr UINT kMarker = WM_APP + 7;
    PostMessageW(window_, kMarker, 0, 0);
    recorder_.log.clear();
    SetWindowTextA(window_, "New caption");

    const std::vector<Logged> trace = recorder_.Only({WM_SETREDRAW, WM_SETTEXT});
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].msg, static_cast<UINT>(WM_SETREDRAW));
    EXPECT_EQ(trace[0].wparam, 0u);
    EXPECT_EQ(trace[1].msg, static_cast<UINT>(WM_SETTEXT));
    EXPECT_EQ(trace[2].msg, static_cast<UINT>(WM_SETREDRAW));
    EXPECT_EQ(trace[2].wparam, 1u);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, window_, kMarker, kMarker, PM_NOREMOVE));
    char text[32] = {};
    GetWindowTextA(window_, text, sizeof(text));
    EXPECT_STREQ(text, "New caption");
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(SkinFormTest, HitTestAnswersCaptionMenuAndClient) {
    MakeForm();
    Skinned();
    const FormFrameState& f = skinner_->Frame();
    RECT w{};
    GetWindowRect(window_, &w);
    const int midX = (w.right - w.left) / 2;
    struct Case {
        const char* where;
        POINT windowPoint;
        LRESULT expected;
    } const cases[] = {
        {"caption", {midX, f.BorderTop / 2}, HTCAPTION},
        {"menu band", {midX, f.BorderTop + f.MenuBarHeight / 2}, HTMENU},
        {"client", {midX, (w.bottom - w.top) / 2}, HTCLIENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(SendMessageW(window_, WM_NCHITTEST, 0, Packed(ToScreen(c.windowPoint))), c.expected);
    }
}

TEST_F(SkinFormTest, CaptionButtonPressIsConsumedAndReleasedIntoItsAction) {
    MakeForm();
    Skinned();
    Activate();
    TWinSysButton* close = ButtonWithAction(0);
    ASSERT_NE(close, nullptr);
    const LPARAM at = Packed(ToScreen(Centre(close->Rect)));
    recorder_.log.clear();
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, at);
    EXPECT_TRUE(recorder_.Only({WM_NCLBUTTONDOWN}).empty()) << "the press went past the button";
    EXPECT_EQ(skinner_->HotObject(), close);
    EXPECT_EQ(close->State, ncPressed);

    SendMessageW(window_, WM_NCLBUTTONUP, HTCAPTION, at);
    EXPECT_EQ(close->State, ncHot);
    Pump();
    const std::vector<Logged> commands = recorder_.Only({WM_SYSCOMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
}

TEST_F(SkinFormTest, MaximizedWindowCaptionPressBecomesAMenuPress) {
    MakeForm();
    Skinned();
    Activate();
    // The skinner takes the state from the command; the recorder keeps the window as it is, as
    // wine without a window manager would soon restore a really maximized one.
    SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_EQ(skinner_->Frame().WindowState, wsMaximized);
    ASSERT_TRUE(skinner_->Frame().WindowActive);
    RECT w{};
    GetWindowRect(window_, &w);
    recorder_.log.clear();
    const POINT caption{(w.right - w.left) / 2, skinner_->Frame().BorderTop / 2};
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, Packed(ToScreen(caption)));
    const std::vector<Logged> presses = recorder_.Only({WM_NCLBUTTONDOWN});
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].wparam, static_cast<WPARAM>(HTMENU));
}

TEST_F(SkinFormTest, MaximizeAndRestoreButtonsSwapWithTheWindowState) {
    MakeForm();
    Skinned();
    Activate();
    // The visible button of action 1 is the skin's maximize button (Visibility 2: not
    // maximized) or its restore button (Visibility 1: maximized), at the same place.
    auto shown = [&] {
        SendMessageW(window_, SKIN_PAINTFRAME, 0, 0);
        TWinSysButton* button = ButtonWithAction(1);
        return button != nullptr ? button->Skin->Visibility : -1;
    };
    ASSERT_EQ(shown(), 2);
    const SliceRect place = ButtonWithAction(1)->Rect;
    SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);  // the recorder keeps the window as it is
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(ButtonWithAction(1)->Rect, place);
    SendMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(shown(), 2);
}

TEST_F(SkinFormTest, CaptionActionsTable) {
    MakeForm();
    Skinned();
    struct Case {
        int action;
        UINT msg;
        WPARAM wparam;
    } const cases[] = {
        {0, WM_SYSCOMMAND, SC_CLOSE},
        {1, WM_SYSCOMMAND, SC_MAXIMIZE},
        {1, WM_SYSCOMMAND, SC_RESTORE},  // the same button again toggles back
        {2, WM_SYSCOMMAND, SC_MINIMIZE},
        {42, SKIN_CAPTIONACTION, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        recorder_.log.clear();
        skinner_->PerformCaptionAction(c.action, true, POINT{10, 10});
        Pump();
        const std::vector<Logged> got = recorder_.Only({WM_SYSCOMMAND, SKIN_CAPTIONACTION});
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].msg, c.msg);
        EXPECT_EQ(got[0].wparam, c.wparam);
    }
    // Maximize and minimize do nothing while their button is disabled.
    recorder_.log.clear();
    skinner_->PerformCaptionAction(2, false, POINT{10, 10});
    Pump();
    EXPECT_TRUE(recorder_.Only({WM_SYSCOMMAND}).empty());
}

TEST_F(SkinFormTest, HoverComesAndTheTimerTakesItAway) {
    MakeForm();
    Skinned();
    Activate();
    ASSERT_TRUE(skinner_->Frame().WindowActive);
    TWinSysButton* maximize = ButtonWithAction(1);
    ASSERT_NE(maximize, nullptr);
    SendMessageW(window_, WM_NCMOUSEMOVE, HTCAPTION, Packed(ToScreen(Centre(maximize->Rect))));
    EXPECT_EQ(maximize->State, ncHot);
    EXPECT_EQ(skinner_->HotObject(), maximize);

    SetCursorPos(5, 5);  // far from the window at (200, 150)
    PumpFor(700);
    EXPECT_EQ(maximize->State, ncNormal);
    EXPECT_EQ(skinner_->HotObject(), nullptr);
}

// Systems of version x.0 take the native caption style off a skinned top-level window; it
// comes back with the skin. The version word is set before attaching, as a test exe pinned to
// such a system would have it.
TEST_F(SkinFormTest, VersionFiveZeroStripsTheNativeCaptionWhileSkinned) {
    MakeForm();
    // Toolkit forms are owned by the application window, so on NT it takes the app-window style.
    ASSERT_NE(GetWindow(window_, GW_OWNER), nullptr);
    SetWindowLongW(window_, GWL_EXSTYLE, GetWindowLongW(window_, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    skinner_ = new TWinSkinForm(form_);
    skinner_->Version = 0x00000005;  // 5.0, NT platform
    skinner_->SetWindow(window_, 0, L"TForm");
    skinner_->AttachForm(skin_.data, form_);
    EXPECT_TRUE(skinner_->Frame().Has(fiStripCaption));
    Start();
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(skinner_->Frame().BorderKind, bkSizable) << "the kind is read before the caption goes";
    skinner_->Unskin();
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_CAPTION));

    // Any other version leaves the caption style on.
    delete form_;
    form_ = nullptr;
    MakeForm();
    Skinned();
    EXPECT_FALSE(skinner_->Frame().Has(fiStripCaption));
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_CAPTION));
}

// Without the main-menu bit the skin leaves frame and menu alone but still colours the form.
TEST_F(SkinFormTest, WithoutTheFrameBitOnlyTheColourChanges) {
    MakeForm();
    skin_.data->SetSkinControls(skin_.data->SkinControls() & ~SetBit(xcMainMenu));
    RECT window0{};
    GetWindowRect(window_, &window0);
    HMENU menu = GetMenu(window_);
    Attach();
    EXPECT_EQ(skinner_->SkinState(), ssSkinned) << "nothing waits for SKIN_START";
    Start();
    RECT window1{};
    GetWindowRect(window_, &window1);
    EXPECT_EQ(GetMenu(window_), menu);
    EXPECT_EQ(skinner_->MenuBar(), nullptr);
    EXPECT_TRUE(EqualRect(&window0, &window1));
    EXPECT_EQ(static_cast<uint32_t>(form_->Color()), flatskin::kColourButtonFace);
    skinner_->Unskin();
    EXPECT_EQ(form_->Color(), static_cast<tk::TColor>(tk::clBtnFace));
    EXPECT_FALSE(skinner_->Attached());
}

// A message box narrower than its caption is widened to title margins plus text, and its
// controls move right by half of what it gained.
TEST_F(SkinFormTest, NarrowDialogIsWidenedForItsCaption) {
    const char* caption = "A caption far wider than the little dialog that carries it around";
    HWND dialog = CreateWindowExA(0, "#32770", caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100,
                                  160, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, 10, 12, 20, 20, dialog, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    RECT client{};
    GetClientRect(dialog, &client);

    FormSkinnerRequest request;
    request.Window = dialog;
    request.Data = skin_.data;
    std::unique_ptr<IFormSkinner> plain(MakeFormSkinner(request));
    SendMessageW(dialog, SKIN_START, 0, kSkinStartDelay);
    Pump();

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32A(dc, caption, static_cast<int>(strlen(caption)), &text);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);

    const int skinnedWidth = client.right + flatskin::kLeft.frameWidth + flatskin::kRight.frameWidth;
    const int needed = skin_.data->Title->LeftWidth + text.cx + skin_.data->Title->RightWidth;
    ASSERT_GT(needed, skinnedWidth);
    RECT w{};
    GetWindowRect(dialog, &w);
    EXPECT_EQ(w.right - w.left, needed);
    RECT c{};
    GetWindowRect(child, &c);
    POINT at{c.left, c.top};
    ScreenToClient(dialog, &at);
    EXPECT_EQ(at.x, 10 + (needed - skinnedWidth) / 2);
    EXPECT_EQ(at.y, 12);
    static_cast<TWinSkinForm*>(plain.get())->Unskin();
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace skin
