// The caption's title: measured in the caption font, placed by the title rules, drawn over its
// background band.
#include <vector>

#include "colors.h"
#include "draw_slices.h"
#include "frame_painter.h"
#include "model_views.h"
#include "skin_data.h"
#include "skin_text.h"

namespace skin {
namespace {

std::wstring WindowText(HWND window, bool wide) {
    if (wide) {
        const int length = GetWindowTextLengthW(window);
        if (length <= 0) return {};
        std::vector<wchar_t> text(length + 1);
        const int got = GetWindowTextW(window, text.data(), length + 1);
        return std::wstring(text.data(), got > 0 ? got : 0);
    }
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::vector<char> text(length + 1);
    const int got = GetWindowTextA(window, text.data(), length + 1);
    return AnsiToWide(std::string(text.data(), got > 0 ? got : 0));
}

// Restores the DC's background mode when the title is drawn.
class TransparentText {
public:
    explicit TransparentText(HDC dc) : dc_(dc), old_(SetBkMode(dc, TRANSPARENT)) {}
    ~TransparentText() { SetBkMode(dc_, old_); }
    TransparentText(const TransparentText&) = delete;
    TransparentText& operator=(const TransparentText&) = delete;

private:
    HDC dc_;
    int old_;
};

}  // namespace

void DrawTitleText(FramePaintContext& frame, tk::TCanvas& canvas, const RECT& title) {
    if (frame.Skin == nullptr || frame.Handle == nullptr) return;
    const std::wstring text = L" " + WindowText(frame.Handle, frame.IsUnicode) + frame.CaptionSuffix;
    TransparentText transparent(canvas.Handle());
    if (frame.CaptionFont != nullptr) canvas.Font().Assign(frame.CaptionFont);
    const SkinColours& colours = frame.Skin->Colours;
    canvas.Font().SetColor(frame.Frame.WindowActive ? colours.TitleTextActive : colours.TitleTextNoActive);

    RECT measured = title;
    canvas.DrawText(text, measured, DT_CALCRECT | DT_NOCLIP);
    const TitleTextStyle style = frame.Skin->Title ? TitleTextStyleOf(*frame.Skin->Title) : TitleTextStyle{};
    const SliceRect caption{title.left, title.top, title.right, title.bottom};
    const TitleTextPlacement placed =
        PlaceTitleText(caption, measured.right - measured.left, measured.bottom - measured.top, style, frame.Frame,
                       frame.Placement);

    if (style.HasTextBack) {
        // Two frames stacked (active, inactive); only the caps keep their width.
        SkinPicture back = frame.Skin->Title->Picture(FrameLayout::Stacked);
        back.frameCount = 2;
        back.transparent = true;
        back.margins = SliceMargins{style.TXTBackleft, 0, style.TXTBackRight, 0};
        DrawThreeSlice(canvas, ToRect(placed.BackRect), back, placed.BackFrame);
    }
    RECT textRect = ToRect(placed.TextRect);
    canvas.DrawText(text, textRect, placed.DrawFlags);
}

}  // namespace skin
