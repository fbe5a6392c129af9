// The window's shape and its client area: the region cut from the border pictures' key colour,
// and the answer to WM_NCCALCSIZE.
#include "frame_painter.h"
#include "model_views.h"
#include "nc_calc_size.h"
#include "region_from_bitmap.h"
#include "skin_data.h"

namespace skin {
namespace {

bool AnyBorderTransparent(const SkinModel& model) {
    for (TBorderPiece piece : {bpLeft, bpRight, bpTop, bpBottom}) {
        const TDataSkinBorder* border = BorderObject(model, piece);
        if (border != nullptr && border->Trans != 0) return true;
    }
    return false;
}

bool PieceTransparent(const SkinModel& model, TBorderPiece piece) {
    const TDataSkinBorder* border = BorderObject(model, piece);
    return border != nullptr && border->Trans == 1 && !border->Image.Empty();
}

// The piece as it is painted at rect, less its key-coloured pixels; the plain rectangle when the
// piece is opaque or too thin to carry a shape.
HRGN PartRegion(FramePaintContext& frame, TBorderPiece piece, const RECT& rect, bool shaped) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (!shaped || w <= 0 || h <= 0) return CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
    tk::TBitmap part;
    part.SetSize(w, h);
    DrawBorderPiece(frame, piece, RECT{0, 0, w, h}, part.Canvas().Handle());
    return RegionFromBitmap(part, rect.left, rect.top, 1, 1, 1, kKeyColour);
}

void AddTo(HRGN target, HRGN part) {
    if (part == nullptr) return;
    CombineRgn(target, target, part, RGN_OR);
    DeleteObject(part);
}

HRGN BuildFrameRegion(FramePaintContext& frame, int w, int h) {
    const FormFrameState& f = frame.Frame;
    HRGN region = CreateRectRgn(f.BorderLeft, f.BorderTop, w - f.BorderRight, h - f.BorderBottom);
    if (!f.HasCaption()) return region;
    const SkinModel& model = *frame.Skin;
    AddTo(region, PartRegion(frame, bpLeft, RECT{0, 0, f.BorderLeft, h}, PieceTransparent(model, bpLeft) && h > 1));
    AddTo(region, PartRegion(frame, bpRight, RECT{w - f.BorderRight, 0, w, h},
                             PieceTransparent(model, bpRight) && h > 1));
    AddTo(region, PartRegion(frame, bpBottom, RECT{f.BorderLeft, h - f.BorderBottom, w - f.BorderRight, h},
                             PieceTransparent(model, bpBottom) && f.BorderBottom >= 2));
    AddTo(region, PartRegion(frame, bpTop, RECT{f.BorderLeft, 0, w - f.BorderRight, f.BorderTop},
                             PieceTransparent(model, bpTop) && f.BorderTop > 1));
    return region;
}

}  // namespace

int UpdateWindowRegion(FramePaintContext& frame) {
    if (frame.SkinState == ssDestroyed || !frame.SkinFrame || frame.Skin == nullptr || frame.Handle == nullptr)
        return 0;
    RECT window{};
    if (!GetWindowRect(frame.Handle, &window)) return 0;
    const int w = window.right - window.left, h = window.bottom - window.top;
    frame.WindowRect = window;
    frame.Frame.WindowWidth = w;
    frame.Frame.WindowHeight = h;
    if (w <= 0 || h <= 0) return 0;
    if (frame.Frame.IsMdiChild() && frame.Frame.WindowState != wsNormal) return 0;
    if (frame.OwnRegion && w == frame.RegionWidth && h == frame.RegionHeight && !frame.Frame.IsMdiChild() &&
        frame.SkinState != ssRecoloring)
        return 0;

    HRGN region = AnyBorderTransparent(*frame.Skin) ? BuildFrameRegion(frame, w, h) : CreateRectRgn(0, 0, w, h);
    if (region == nullptr) return 0;
    frame.RegionWidth = w;
    frame.RegionHeight = h;
    const int result = SetWindowRgn(frame.Handle, region, TRUE);
    if (result == 0) {
        DeleteObject(region);  // still ours: the window refused it
        return 0;
    }
    // The window owns the region now and may already have destroyed it; only the flag is kept.
    frame.OwnRegion = true;
    frame.RegionHandle = nullptr;
    return result;
}

void RemoveWindowRegion(FramePaintContext& frame) {
    if (!frame.OwnRegion) return;
    if (frame.Handle != nullptr) SetWindowRgn(frame.Handle, nullptr, frame.Frame.IsMdiChild() ? TRUE : FALSE);
    frame.OwnRegion = false;
    frame.RegionHandle = nullptr;
    frame.RegionWidth = frame.RegionHeight = 0;
}

void RefreshRegionAndFrame(FramePaintContext& frame) {
    UpdateWindowRegion(frame);
    PaintNonClient(frame, nullptr);
}

void HandleNCCalcSize(FramePaintContext& frame, tk::TMessage& message, const CallDefaultProc& callDefault) {
    auto* params = message.WParam != 0 ? reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam) : nullptr;
    // The proposed window rectangle, before the previous procedure turns it into its client area.
    const RECT proposed = params != nullptr ? params->rgrc[0] : RECT{};
    if (callDefault) callDefault(message);
    if (params == nullptr) {
        message.Result = 0;
        return;
    }
    // The proposed window rectangle is the window position the message carries (lppos).
    const int x = proposed.left, y = proposed.top;
    const int cx = proposed.right - proposed.left, cy = proposed.bottom - proposed.top;
    const NCCalcSizeAnswer answer = HandleNCCalcSize(true, x, y, cx, cy, frame.Frame);
    switch (answer.Action) {
    case NCCalcSizeAnswer::Default: break;
    case NCCalcSizeAnswer::CopyFirst: params->rgrc[1] = params->rgrc[0]; break;
    case NCCalcSizeAnswer::Skinned:
        params->rgrc[0] = ToRect(answer.Client);
        params->rgrc[1] = params->rgrc[0];
        break;
    }
    message.Result = answer.Result;
}

}  // namespace skin
