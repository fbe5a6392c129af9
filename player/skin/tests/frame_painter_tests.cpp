// The frame painter on a plain top-level window: a tiny window procedure hands WM_NCCALCSIZE and
// WM_NCPAINT to the painter with a context filled from the flat frame skin, and the tests read
// the frame back from the screen. Expected pixels come from the flat skin's colour header.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "flat_skin_colours.h"
#include "frame_painter.h"
#include "model_views.h"
#include "skin_data_fixture.h"
#include "skin_menu_bar.h"

namespace skin::testing {
namespace {

using flatskin::zone::kCentre;

// The form skinner as the caption buttons see it; these tests drive the painter directly.
class PlainHost : public INcHost {
public:
    explicit PlainHost(FramePaintContext& frame) : frame_(frame) {}
    HWND WindowHandle() const override { return frame_.Handle; }
    TSkinData* SkinData() const override { return frame_.Skin; }
    const FormFrameState& Frame() const override { return frame_.Frame; }
    tk::TCustomForm* VclForm() const override { return nullptr; }
    TNCObject* HotObject() const override { return nullptr; }
    void SetHotObject(TNCObject*) override {}
    void PaintCaptionButton(TWinSysButton& button) override { skin::PaintCaptionButton(frame_, button); }
    void SetInMenuLoop(bool) override {}
    void SetTrackedPopup(HMENU) override {}

private:
    FramePaintContext& frame_;
};

FramePaintContext* g_frame = nullptr;  // the window under test's painter state

LRESULT CALLBACK TestWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_frame != nullptr && g_frame->Handle == window) {
        tk::TMessage message{msg, wParam, lParam, 0};
        const CallDefaultProc previous = [window](tk::TMessage& m) {
            m.Result = DefWindowProcW(window, m.Msg, m.WParam, m.LParam);
        };
        switch (msg) {
        case WM_NCCALCSIZE: HandleNCCalcSize(*g_frame, message, previous); return message.Result;
        case WM_NCPAINT: HandleNCPaint(*g_frame, message, previous); return message.Result;
        case WM_NCACTIVATE: return TRUE;  // the tests set WindowActive themselves
        default: break;
        }
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

const wchar_t* TestClass() {
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SkinFramePainterTest";
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        RegisterClassW(&wc);  // no background brush: the client keeps what was there
        return L"SkinFramePainterTest";
    }();
    return name;
}

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(30);
    }
}

struct Capture {
    tk::TBitmap bitmap;
    uint32_t At(int x, int y) { return PixelAt(bitmap, x, y); }
};

// The window as the screen shows it, from its top-left corner.
std::unique_ptr<Capture> CaptureWindow(HWND window) {
    UpdateWindow(window);
    Pump();
    RECT r{};
    GetWindowRect(window, &r);
    auto capture = std::make_unique<Capture>();
    capture->bitmap.SetSize(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(capture->bitmap.Canvas().Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    return capture;
}

std::vector<RECT> RegionRects(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    GetRegionData(region, size, data);
    const RECT* first = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(first, first + data->rdh.nCount);
}

std::vector<RECT> WindowRegionRects(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    std::vector<RECT> rects = kind == ERROR ? std::vector<RECT>{} : RegionRects(region);
    DeleteObject(region);
    return rects;
}

std::string Show(const std::vector<RECT>& rects) {
    std::string s;
    for (const RECT& r : rects)
        s += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
             std::to_string(r.bottom) + ")";
    return s;
}

constexpr int kWidth = 400, kHeight = 300;
constexpr int kBorderSide = flatskin::kLeft.frameWidth;   // Left and Right: one frame's width
constexpr int kCaption = flatskin::kTop.frameHeight;
constexpr int kBorderBottom = flatskin::kBottom.frameHeight;

// A WS_OVERLAPPEDWINDOW window painted through the painter, with the flat frame skin and its
// caption buttons (in the skin's order) as the form skinner would make them.
class FramePainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        skin_ = StreamTestSkin("FLAT_FRAME");
        ASSERT_NE(skin_.data, nullptr);
        TSkinData& data = *skin_.data;
        ASSERT_FALSE(data.NoSkin);
        frame_.Skin = &data;
        frame_.SkinState = ssSkinned;
        frame_.SkinFrame = true;
        const BorderSizes sizes = ComputeBorderSizes(data, bkSizable);
        frame_.Frame.BorderLeft = sizes.Left;
        frame_.Frame.BorderTop = sizes.Top;
        frame_.Frame.BorderRight = sizes.Right;
        frame_.Frame.BorderBottom = sizes.Bottom;
        frame_.Frame.BorderIcons = fiMaximizeBox | fiMinimizeBox | fiSystemMenu;
        frame_.CaptionSuffix = L"  ";
        host_ = std::make_unique<PlainHost>(frame_);
        for (const auto& button : data.CaptionButtons)
            frame_.SysButtons.push_back(std::make_unique<TWinSysButton>(host_.get(), button.get()));

        window_ = CreateWindowExW(0, TestClass(), L"T", WS_OVERLAPPEDWINDOW, 40, 40, kWidth, kHeight, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        frame_.Handle = window_;
        frame_.SystemMenu = GetSystemMenu(window_, FALSE);
        g_frame = &frame_;
        // The first size calculation ran before the painter knew the window: recalculate now.
        SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(window_, SW_SHOWNORMAL);
        Pump();
    }

    void TearDown() override {
        g_frame = nullptr;
        if (window_ != nullptr) DestroyWindow(window_);
        Pump();
    }

    // Repaints the whole frame now, as after an activation change.
    std::unique_ptr<Capture> Repaint() {
        RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        return CaptureWindow(window_);
    }

    TWinSysButton& ButtonWithAction(int action) {
        for (auto& b : frame_.SysButtons)
            if (b->Skin->Action == action && b->Skin->Visibility != 100 && !b->Skin->Image.Empty()) return *b;
        ADD_FAILURE() << "no caption button with action " << action;
        return *frame_.SysButtons.front();
    }

    // Samples >= 2 px inside each zone (Left and Right centres, the caption strip's centre away
    // from the title and the buttons, the bottom's middle row).
    void ExpectZones(Capture& c, int leftFrame, int rightFrame, int topFrame, int bottomFrame) {
        EXPECT_EQ(c.At(3, kHeight / 2), flatskin::kLeftColours[leftFrame - 1][kCentre]) << "left";
        EXPECT_EQ(c.At(kWidth - 3, kHeight / 2), flatskin::kRightColours[rightFrame - 1][kCentre]) << "right";
        EXPECT_EQ(c.At(kWidth / 2 + 40, kCaption / 2), flatskin::kTopColours[topFrame - 1][kCentre]) << "caption";
        EXPECT_EQ(c.At(kWidth / 2, kHeight - kBorderBottom / 2 - 1), flatskin::kBottomColours[bottomFrame - 1][kCentre])
            << "bottom";
    }

    StreamedSkin skin_;
    FramePaintContext frame_;
    std::unique_ptr<PlainHost> host_;
    HWND window_ = nullptr;
};

TEST_F(FramePainterTest, ZonesShowFrameOneWhileActiveAndFrameTwoWhenInactive) {
    frame_.Frame.WindowActive = true;
    auto active = Repaint();
    ExpectZones(*active, 1, 1, 1, 1);
    EXPECT_EQ(frame_.Frame.WindowWidth, kWidth);
    EXPECT_EQ(frame_.Frame.WindowHeight, kHeight);

    frame_.Frame.WindowActive = false;
    auto inactive = Repaint();
    ExpectZones(*inactive, 2, 2, 2, 2);
}

TEST_F(FramePainterTest, AOneFrameBorderShowsFrameOneWhenInactive) {
    // The Right piece cut down to its first frame, as a skin with one frame would give it.
    TDataSkinBorder& right = *frame_.Skin->Right;
    tk::TBitmap first;
    first.SetSize(flatskin::kRight.frameWidth, flatskin::kRight.frameHeight);
    BitBlt(first.Canvas().Handle(), 0, 0, first.Width(), first.Height(), right.Image.Canvas().Handle(), 0, 0, SRCCOPY);
    right.Image.Assign(&first);
    right.Frame = 1;

    frame_.Frame.WindowActive = false;
    auto c = Repaint();
    ExpectZones(*c, 2, 1, 2, 2);
}

TEST_F(FramePainterTest, MinimizedWindowPaintsOnlyTheCaptionOnButtonFace) {
    frame_.Frame.WindowState = wsMinimized;
    auto c = Repaint();
    const uint32_t face = flatskin::kColourButtonFace;
    EXPECT_EQ(c->At(3, kHeight / 2), face) << "no left piece";
    EXPECT_EQ(c->At(kWidth - 3, kHeight / 2), face) << "no right piece";
    EXPECT_EQ(c->At(kWidth / 2, kHeight - 3), face) << "no bottom piece";
    EXPECT_EQ(c->At(kWidth / 2, kHeight / 2), face) << "the rest of the window";
    // The caption spans the whole width, without side pieces: its own left zone is at x 0.
    EXPECT_EQ(c->At(kWidth / 2 + 40, kCaption / 2), flatskin::kTopColours[0][kCentre]);
    EXPECT_EQ(c->At(3, kCaption / 2), flatskin::kTopColours[0][flatskin::zone::kLeft]);
}

TEST_F(FramePainterTest, CaptionButtonsRestInFrameOneAndShowFrameFourWhenInactive) {
    struct Case {
        const char* name;
        int action;
        const uint32_t (*colours)[flatskin::zone::kCount];
    } cases[] = {
        {"close", 0, flatskin::kCloseColours},
        {"maximize", 1, flatskin::kMaximizeColours},
        {"minimize", 2, flatskin::kMinimizeColours},
    };
    for (bool active : {true, false}) {
        frame_.Frame.WindowActive = active;
        auto c = Repaint();
        for (const Case& k : cases) {
            TWinSysButton& b = ButtonWithAction(k.action);
            ASSERT_TRUE(b.Visible) << k.name;
            EXPECT_EQ(b.Rect.Width(), flatskin::kClose.frameWidth) << k.name;
            EXPECT_EQ(c->At(b.Rect.left + 8, b.Rect.top + 7), k.colours[active ? 0 : 3][kCentre])
                << k.name << (active ? " active" : " inactive");
        }
    }
    // Right-aligned at Xcoord from the window's right edge: the close button's Xcoord is 22.
    EXPECT_EQ(ButtonWithAction(0).Rect.left, kWidth - 22);
    EXPECT_EQ(frame_.Placement.RightButtonsLeft, kWidth - 22);
}

TEST_F(FramePainterTest, OneButtonRepaintsInItsState) {
    Repaint();
    TWinSysButton& close = ButtonWithAction(0);
    struct Case {
        int state;
        int frame;
    } cases[] = {{ncHot, 3}, {ncPressed, 2}, {ncNormal, 1}};
    for (const Case& k : cases) {
        close.State = k.state;
        close.Paint();  // through the host, as the form skinner's button does
        auto c = CaptureWindow(window_);
        EXPECT_EQ(c->At(close.Rect.left + 8, close.Rect.top + 7), flatskin::kCloseColours[k.frame - 1][kCentre])
            << "state " << k.state;
    }
    // A disabled button shows its disabled frame (4) whatever its state.
    close.State = ncHot;
    close.Enabled = false;
    close.Paint();
    auto c = CaptureWindow(window_);
    EXPECT_EQ(c->At(close.Rect.left + 8, close.Rect.top + 7), flatskin::kCloseColours[3][kCentre]);
}

TEST_F(FramePainterTest, IconButtonsDrawTheWindowIcon) {
    // Give the icon button (action 3) a picture so that it is laid out; its face is the icon.
    TDataSkinSysButton* icon = nullptr;
    for (auto& b : frame_.SysButtons)
        if (b->Skin->Action == 3) icon = b->Skin;
    ASSERT_NE(icon, nullptr);
    icon->Image.Assign(&ButtonWithAction(0).Skin->Image);
    icon->Frame = 4;
    std::vector<RECT> drawn;
    frame_.DrawIcon = [&drawn](HDC dc, const RECT& r) {
        drawn.push_back(r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    };
    auto c = Repaint();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].left, 4);  // Align 0 at (Xcoord 4, Ycoord 2)
    EXPECT_EQ(drawn[0].top, 2);
    EXPECT_EQ(c->At(drawn[0].left + 4, drawn[0].top + 4), 0xFFFFFFu);
}

TEST_F(FramePainterTest, TitleTextFollowsTextAlignmentAndActivationColour) {
    SetWindowTextW(window_, L"MMMMMMMM");
    // A caption font drawn without smoothing, so that text pixels have the title colour exactly.
    tk::TFont font;
    LOGFONTW log = font.LogFont();
    log.lfHeight = -12;
    log.lfWeight = FW_BOLD;
    log.lfQuality = NONANTIALIASED_QUALITY;
    font.SetLogFont(log);
    frame_.CaptionFont = &font;
    TDataSkinTitle& title = *frame_.Skin->Title;
    const int captionLeft = kBorderSide, captionRight = kWidth - kBorderSide;
    const int textShift = title.LeftWidth, rightClip = title.RightWidth;
    ASSERT_GT(textShift, 0);
    ASSERT_GT(rightClip, 0);
    for (int alignment : {0, 1, 2}) {
        title.TextAlignment = alignment;
        for (bool active : {true, false}) {
            frame_.Frame.WindowActive = active;
            auto c = Repaint();
            const SliceRect r = frame_.Placement.TitleTextRect;
            ASSERT_GT(r.Width(), 0);
            switch (alignment) {
            case 0: EXPECT_EQ(r.left, captionLeft + textShift); break;
            case 1: EXPECT_EQ(r.left, captionLeft + (captionRight - captionLeft - r.Width()) / 2); break;
            case 2: EXPECT_EQ(r.right, captionRight - rightClip); break;
            }
            // Text pixels inside the placed rectangle, in the title colour of the activation.
            const uint32_t colour = active ? flatskin::kColourTitleTextActive : flatskin::kColourTitleTextNoActive;
            const uint32_t other = active ? flatskin::kColourTitleTextNoActive : flatskin::kColourTitleTextActive;
            int inside = 0, outside = 0, wrong = 0;
            for (int y = 0; y < kCaption; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const uint32_t p = c->At(x, y);
                    if (p == other) ++wrong;
                    if (p != colour) continue;
                    (x >= r.left && x < r.right ? inside : outside)++;
                }
            EXPECT_GT(inside, 10) << "alignment " << alignment << (active ? " active" : " inactive");
            EXPECT_EQ(outside, 0) << "alignment " << alignment;
            EXPECT_EQ(wrong, 0) << "alignment " << alignment;
        }
    }
}

TEST_F(FramePainterTest, MenuBandIsTheMenuBarsOrTheSkinsBackground) {
    frame_.Frame.MenuBarHeight = 19;
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    const int bandY = kCaption + 19 / 2;
    auto brushed = Repaint();
    EXPECT_EQ(brushed->At(kWidth / 2, bandY), flatskin::kColourButtonFace) << "no menu bar: the background brush";

    TWinSkinMenu bar(nullptr, host_.get(), frame_.Skin);
    frame_.MenuBar = &bar;
    auto painted = Repaint();
    EXPECT_EQ(painted->At(kWidth / 2, bandY), flatskin::kMenuBarColours[0][kCentre]) << "the menu bar's band";
    EXPECT_EQ(painted->At(kWidth / 2 + 40, kCaption / 2), flatskin::kTopColours[0][kCentre]) << "caption above it";
    frame_.MenuBar = nullptr;
}

TEST_F(FramePainterTest, ClientAreaIsTheWindowLessBordersCaptionAndMenuBand) {
    struct Case {
        int menuBarHeight;
    } cases[] = {{0}, {19}};
    for (const Case& k : cases) {
        frame_.Frame.MenuBarHeight = k.menuBarHeight;
        NCCALCSIZE_PARAMS params{};
        WINDOWPOS pos{window_, nullptr, 100, 80, 300, 200, 0};
        params.rgrc[0] = RECT{100, 80, 400, 280};
        params.rgrc[1] = params.rgrc[0];
        params.lppos = &pos;
        const LRESULT result = SendMessageW(window_, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        EXPECT_EQ(result, 0x400);
        const RECT expected{100 + kBorderSide, 80 + kCaption + k.menuBarHeight, 400 - kBorderSide, 280 - kBorderBottom};
        for (const RECT& got : {params.rgrc[0], params.rgrc[1]})
            EXPECT_EQ(Show({got}), Show({expected})) << "menu band " << k.menuBarHeight;
    }
    // And the window's real client area after a frame change.
    frame_.Frame.MenuBarHeight = 0;
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, kWidth - 2 * kBorderSide);
    EXPECT_EQ(client.bottom, kHeight - kCaption - kBorderBottom);
}

TEST_F(FramePainterTest, WindowRegionCutsTheLeftPiecesMagentaCorners) {
    ASSERT_NE(UpdateWindowRegion(frame_), 0);
    EXPECT_TRUE(frame_.OwnRegion);
    EXPECT_EQ(frame_.RegionHandle, nullptr) << "the window owns the region; no handle is kept to delete";
    const flatskin::Block top = flatskin::kLeftCornerBlocks[0], bottom = flatskin::kLeftCornerBlocks[1];
    // The bottom block sits at the piece's bottom: its rows count from the frame's bottom edge.
    const int bottomRows = flatskin::kLeft.frameHeight - bottom.y;
    ASSERT_EQ(top.x, 0);
    ASSERT_EQ(bottom.x, 0);
    const std::vector<RECT> expected = {
        {top.w, 0, kWidth, top.h},
        {0, top.h, kWidth, kHeight - bottomRows},
        {bottom.w, kHeight - bottomRows, kWidth, kHeight},
    };
    EXPECT_EQ(Show(WindowRegionRects(window_)), Show(expected));

    // Kept while the size stays; rebuilt for a new size and when re-colouring.
    EXPECT_EQ(UpdateWindowRegion(frame_), 0);
    SetWindowPos(window_, nullptr, 0, 0, kWidth + 30, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NE(UpdateWindowRegion(frame_), 0);
    EXPECT_EQ(frame_.RegionWidth, kWidth + 30);
    EXPECT_EQ(WindowRegionRects(window_).back().right, kWidth + 30);
    EXPECT_EQ(UpdateWindowRegion(frame_), 0);
    frame_.SkinState = ssRecoloring;
    EXPECT_NE(UpdateWindowRegion(frame_), 0);
    frame_.SkinState = ssSkinned;

    // Taken off, the window has no region; the next update gives it one again.
    RemoveWindowRegion(frame_);
    EXPECT_FALSE(frame_.OwnRegion);
    EXPECT_TRUE(WindowRegionRects(window_).empty());
    EXPECT_NE(UpdateWindowRegion(frame_), 0);
    EXPECT_EQ(WindowRegionRects(window_).size(), 3u);
}

TEST_F(FramePainterTest, WindowRegionIsTheWholeWindowWhenNoBorderIsTransparent) {
    for (TBorderPiece piece : {bpLeft, bpRight, bpTop, bpBottom}) BorderObject(*frame_.Skin, piece)->Trans = 0;
    ASSERT_NE(UpdateWindowRegion(frame_), 0);
    EXPECT_EQ(Show(WindowRegionRects(window_)), Show({RECT{0, 0, kWidth, kHeight}}));
    EXPECT_EQ(UpdateWindowRegion(frame_), 0) << "kept while the size stays";
}

TEST_F(FramePainterTest, NoRegionForAWindowThatIsNotSkinnedOrGone) {
    struct Case {
        const char* name;
        int skinState;
        bool skinFrame;
    } cases[] = {{"destroyed", ssDestroyed, true}, {"no skinned frame", ssSkinned, false}};
    for (const Case& k : cases) {
        frame_.SkinState = k.skinState;
        frame_.SkinFrame = k.skinFrame;
        EXPECT_EQ(UpdateWindowRegion(frame_), 0) << k.name;
        EXPECT_FALSE(frame_.OwnRegion) << k.name;
    }
}

TEST_F(FramePainterTest, PaintingTakesTheSystemMenuStyleOffAndSkipsWhenDisabled) {
    Repaint();
    EXPECT_EQ(GetWindowLongW(window_, GWL_STYLE) & WS_SYSMENU, 0);
    SetSysMenuStyle(frame_, false);
    EXPECT_NE(GetWindowLongW(window_, GWL_STYLE) & WS_SYSMENU, 0) << "given back: the window has a system menu";

    // While the skin data's painting flag is clear the previous procedure's frame stands.
    frame_.Skin->NcPaintEnabled = false;
    frame_.Frame.WindowActive = false;
    auto c = Repaint();
    EXPECT_NE(c->At(3, kHeight / 2), flatskin::kLeftColours[1][kCentre]);
    frame_.Skin->NcPaintEnabled = true;
}

TEST_F(FramePainterTest, WindowStateFollowsThePlacement) {
    struct Case {
        int show;
        TWindowState state;
    } cases[] = {{SW_SHOWMINIMIZED, wsMinimized}, {SW_RESTORE, wsNormal}, {SW_SHOWMAXIMIZED, wsMaximized}};
    for (const Case& k : cases) {
        ShowWindow(window_, k.show);
        Pump();
        ReadWindowState(frame_);
        EXPECT_EQ(frame_.Frame.WindowState, k.state) << "show " << k.show;
    }
}

}  // namespace
}  // namespace skin::testing
