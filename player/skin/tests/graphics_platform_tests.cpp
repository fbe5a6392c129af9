// What the graphics utilities take from the system: the optional user32 functions (one made
// missing by the test), wide and ANSI text drawing, and a parent's picture painted under a
// child control.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "application.h"
#include "bitmap.h"
#include "form.h"
#include "gauge.h"
#include "optional_user32.h"
#include "panel.h"
#include "parent_background.h"
#include "skin_text.h"

namespace skin {
namespace {

class OptionalFunctions : public testing::Test {
protected:
    void SetUp() override {
        saved_ = OptionalUser32Functions();
        window_ = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VSCROLL | ES_MULTILINE, 0, 0, 100, 60, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        tracked_.clear();
    }
    void TearDown() override {
        SetOptionalUser32Functions(saved_);
        DestroyWindow(window_);
    }

    static BOOL WINAPI RecordTracking(LPTRACKMOUSEEVENT request) {
        tracked_.push_back(*request);
        return TRUE;
    }

    OptionalUser32 saved_;
    HWND window_ = nullptr;
    static inline std::vector<TRACKMOUSEEVENT> tracked_;
};

TEST_F(OptionalFunctions, AreFoundInUser32AndAMissingScrollBarInfoAnswersFalse) {
    EXPECT_NE(saved_.getScrollBarInfo, nullptr);
    EXPECT_NE(saved_.trackMouseEvent, nullptr);
    EXPECT_NE(saved_.getComboBoxInfo, nullptr);

    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(SafeGetScrollBarInfo(window_, OBJID_VSCROLL, info));
    EXPECT_GT(info.rcScrollBar.bottom, info.rcScrollBar.top);

    OptionalUser32 missing = saved_;
    missing.getScrollBarInfo = nullptr;
    SetOptionalUser32Functions(missing);
    EXPECT_FALSE(SafeGetScrollBarInfo(window_, OBJID_VSCROLL, info));
}

TEST_F(OptionalFunctions, TrackMouseLeaveAsksForLeaveOnlyWhereTheFunctionExists) {
    OptionalUser32 recording = saved_;
    recording.trackMouseEvent = RecordTracking;
    SetOptionalUser32Functions(recording);
    TrackMouseLeave(window_);
    ASSERT_EQ(tracked_.size(), 1u);
    EXPECT_EQ(tracked_[0].cbSize, 16u);
    EXPECT_EQ(tracked_[0].dwFlags, static_cast<DWORD>(TME_LEAVE));
    EXPECT_EQ(tracked_[0].hwndTrack, window_);

    recording.trackMouseEvent = nullptr;
    SetOptionalUser32Functions(recording);
    TrackMouseLeave(window_);
    EXPECT_EQ(tracked_.size(), 1u);
}

class TextPaths : public testing::Test {
protected:
    void SetUp() override { previous_ = UnicodeSystem(); }
    void TearDown() override { SetUnicodeSystem(previous_); }
    bool previous_ = true;
};

TEST_F(TextPaths, WideAndAnsiDrawingMeasureTheSameTextAlike) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with code page 936";
    EXPECT_TRUE(UnicodeSystem());  // the NT family
    EXPECT_EQ(AnsiToWide("Ab\xD6\xD0\xCE\xC4"), L"Ab中文");
    EXPECT_EQ(AnsiToWide(""), L"");

    HDC dc = CreateCompatibleDC(nullptr);
    RECT wide{0, 0, 0, 0}, ansi{0, 0, 0, 0};
    const int wideHeight = DrawTextAuto(dc, L"Ab中文", wide, DT_CALCRECT | DT_SINGLELINE);
    SetUnicodeSystem(false);
    const int ansiHeight = DrawTextAuto(dc, L"Ab中文", ansi, DT_CALCRECT | DT_SINGLELINE);
    DeleteDC(dc);
    EXPECT_GT(wideHeight, 0);
    EXPECT_EQ(ansiHeight, wideHeight);
    EXPECT_TRUE(EqualRect(&wide, &ansi));
    EXPECT_GT(wide.right, 0);
}

TEST(WideCopy, MinusOneCopiesAllElseAtMostCountCharacters) {
    EXPECT_EQ(WideCopy(L"标题 text", -1), L"标题 text");
    EXPECT_EQ(WideCopy(L"标题 text", 2), L"标题");
    EXPECT_EQ(WideCopy(L"ab", 5), L"ab");
    EXPECT_EQ(WideCopy(L"ab", 0), L"");
    EXPECT_EQ(WideCopy(L"ab", -3), L"");
}

class ParentForm : public tk::TForm {
    TK_CLASS(ParentForm)
public:
    explicit ParentForm(tk::TComponent* owner) : TForm(owner) {}
};
TK_CLASS_INFO(ParentForm, tk::TForm)

TEST(PaintParentBackground, PaintsTheParentUnderTheControlInTheControlsCoordinates) {
    tk::Application->Initialize();
    std::unique_ptr<ParentForm> form(tk::TCustomForm::Create<ParentForm>(nullptr));
    form->SetBounds(0, 0, 200, 100);
    form->SetColor(RGB(0, 0, 160));
    // A graphic control of the parent: a black frame around a green inside, 15 x 40 at (0, 0).
    auto* gauge = new tk::TGauge(form.get());
    gauge->SetParent(form.get());
    gauge->SetBounds(0, 0, 15, 40);
    gauge->SetShowText(false);
    gauge->SetBackColor(RGB(0, 160, 0));
    auto* child = new tk::TPanel(form.get());
    child->SetParent(form.get());
    child->SetBounds(10, 5, 20, 10);
    form->Handle();

    tk::TBitmap target;  // the child's 20 x 10 and a margin that must stay untouched
    target.SetSize(30, 20);
    target.Canvas().Brush().SetColor(RGB(1, 2, 3));
    target.Canvas().FillRect(RECT{0, 0, 30, 20});
    HDC dc = target.Canvas().Handle();
    PaintParentBackground(*child, dc);

    auto at = [&](int x, int y) { return static_cast<COLORREF>(target.Canvas().Pixel(x, y)); };
    for (int y : {0, 9}) {
        SCOPED_TRACE(y);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(at(x, y), RGB(0, 160, 0)) << x;  // parent x 10 to 13
        EXPECT_EQ(at(4, y), RGB(0, 0, 0));                                    // the frame at parent x 14
        for (int x = 5; x < 20; ++x) EXPECT_EQ(at(x, y), RGB(0, 0, 160)) << x;
    }
    EXPECT_EQ(at(25, 5), RGB(1, 2, 3));
    EXPECT_EQ(at(5, 15), RGB(1, 2, 3));
    POINT origin{-1, -1};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);

    tk::TPanel orphan(nullptr);
    PaintParentBackground(orphan, dc);  // no parent: nothing
    EXPECT_EQ(at(25, 5), RGB(1, 2, 3));
}

}  // namespace
}  // namespace skin
