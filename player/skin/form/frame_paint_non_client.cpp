// The non-client paint: the side and bottom pieces straight on the window DC, the caption composed
// in the caption buffer, then the band behind the menu bar.
#include "frame_painter.h"

#include "caption_style.h"
#include "colors.h"
#include "draw_skin_bitmap.h"
#include "model_views.h"
#include "skin_data.h"
#include "skin_menu_bar.h"

namespace skin {
namespace {

// Releases the window DC taken for one paint, on every way out.
class WindowDC {
public:
    WindowDC(HWND window, HDC given) : window_(window), dc_(given) {
        if (dc_ == nullptr) {
            // The whole window DC: under wine a DC clipped to the WM_NCPAINT region (GetDCEx with
            // region 1) comes back clipped to the client area, so the frame would not show.
            dc_ = GetWindowDC(window);
            owned_ = dc_ != nullptr;
        }
    }
    ~WindowDC() {
        if (owned_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    bool owned_ = false;
};

void FillBand(FramePaintContext& frame, HDC dc, const SliceRect& band) {
    if (band.Width() <= 0 || band.Height() <= 0) return;
    if (frame.MenuBar != nullptr) {
        frame.MenuBar->Paint(dc, band);
        return;
    }
    if (frame.Frame.MenuBarHeight <= 0 || frame.Skin->BackgroundBrush == nullptr) return;
    const RECT r = ToRect(band);
    FillRect(dc, &r, frame.Skin->BackgroundBrush);
}

void PaintFrameParts(FramePaintContext& frame, HDC dc) {
    RECT window{};
    if (!GetWindowRect(frame.Handle, &window)) return;
    frame.WindowRect = window;
    frame.Frame.WindowWidth = window.right - window.left;
    frame.Frame.WindowHeight = window.bottom - window.top;

    const NonClientPlan plan = PlanNonClient(frame.Frame);
    for (const PlacedPiece& piece : plan.Borders) DrawBorderPiece(frame, piece.Piece, ToRect(piece.Rect), dc);
    PaintCaption(frame, dc);
    if (plan.Band != MenuBand::None || frame.MenuBar != nullptr) FillBand(frame, dc, plan.BandRect);
}

}  // namespace

void HandleNCPaint(FramePaintContext& frame, tk::TMessage& message, const CallDefaultProc& callDefault) {
    SetSysMenuStyle(frame, true);
    message.Result = 0;
    if (frame.Skin == nullptr || !frame.Skin->NcPaintEnabled) return;
    const bool nativeFrame =
        !frame.Frame.HasCaption() || (frame.Frame.IsMdiChild() && frame.Frame.WindowState == wsMaximized);
    if (nativeFrame) {
        if (callDefault) callDefault(message);
        return;
    }
    // The update region in wParam is not used: the whole frame is repainted through the window DC.
    PaintNonClient(frame, nullptr);
}

void PaintNonClient(FramePaintContext& frame, HDC dc) {
    if (frame.Skin == nullptr || frame.Handle == nullptr) return;
    if (!PaintsNonClient(frame.Frame, frame.SkinState)) return;
    WindowDC target(frame.Handle, dc);
    if (target.Get() == nullptr) return;
    // A paint that fails leaves the frame as it was; it must not end the window procedure.
    try {
        PaintFrameParts(frame, target.Get());
    } catch (...) {
    }
    if (frame.ForgetHotObject) frame.ForgetHotObject();
}

void PaintCaption(FramePaintContext& frame, HDC dc) {
    if (frame.Skin == nullptr || dc == nullptr) return;
    const NonClientPlan plan = PlanNonClient(frame.Frame);
    const int w = plan.CaptionBuffer.Width(), h = plan.CaptionBuffer.Height();
    if (w <= 0 || h <= 0) return;
    tk::TBitmap& buffer = frame.FrameBitmap;
    buffer.SetSize(w, h);
    HDC bufferDC = buffer.Canvas().Handle();
    if (plan.CaptionOnButtonFace) {
        HBRUSH face = CreateSolidBrush(tk::ColorToRGB(frame.Skin->Colours.ButtonFace));
        const RECT all{0, 0, w, h};
        FillRect(bufferDC, &all, face);
        DeleteObject(face);
    } else {
        // The corners the side pieces drew show where the caption piece is transparent or short.
        BitBlt(bufferDC, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    }
    const RECT caption = ToRect(plan.CaptionRect);
    DrawBorderPiece(frame, bpTop, caption, bufferDC);
    DrawTitleText(frame, buffer.Canvas(), caption);
    LayoutFrameButtons(frame);
    PaintCaptionButtons(frame, buffer.Canvas());
    BitBlt(dc, 0, 0, w, h, buffer.Canvas().Handle(), 0, 0, SRCCOPY);
    SetBkMode(dc, OPAQUE);
}

void DrawBorderPiece(FramePaintContext& frame, TBorderPiece piece, const RECT& rect, HDC dc) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w < 0 || h < 0 || frame.Skin == nullptr || dc == nullptr) return;
    TDataSkinBorder* border = BorderObject(*frame.Skin, piece);
    if (border == nullptr || border->Image.Empty()) return;
    const BorderPieceLook look = BorderPieceLookOf(*frame.Skin, piece, frame.Frame.WindowActive);
    SkinPicture picture = border->Picture(look.Layout);
    picture.tileCentre = look.TileCentre;
    picture.transparent = false;  // the region cuts the key colour away, the pixels are copied
    std::unique_ptr<tk::TBitmap> composed = DrawSkinBitmap(w, h, picture, look.FrameIndex);
    if (!composed || composed->Empty()) return;
    BitBlt(dc, rect.left, rect.top, w, h, composed->Canvas().Handle(), 0, 0, SRCCOPY);
}

void SetSysMenuStyle(FramePaintContext& frame, bool remove) {
    if (frame.Handle == nullptr) return;
    const auto style = static_cast<uint32_t>(GetWindowLongW(frame.Handle, GWL_STYLE));
    frame.Frame.WindowStyle = style;
    const std::optional<uint32_t> next =
        SysMenuStyle(style, frame.Frame.BorderIcons, remove, frame.SystemMenu != nullptr);
    if (!next || *next == style) return;
    SetWindowLongW(frame.Handle, GWL_STYLE, static_cast<LONG>(*next));
    frame.Frame.WindowStyle = *next;
}

void ReadWindowState(FramePaintContext& frame) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(frame.Handle, &placement)) return;
    switch (placement.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: frame.Frame.WindowState = wsMinimized; break;
    case SW_SHOWMAXIMIZED: frame.Frame.WindowState = wsMaximized; break;
    default: frame.Frame.WindowState = wsNormal; break;
    }
}

}  // namespace skin
