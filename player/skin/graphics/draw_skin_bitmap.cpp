#include "draw_skin_bitmap.h"

#include "draw_transparent.h"

namespace skin {

std::unique_ptr<tk::TBitmap> DrawSkinBitmap(int width, int height, const SkinPicture& picture, int index) {
    auto result = std::make_unique<tk::TBitmap>();
    if (width < 1 || height < 1) return result;
    result->SetSize(width, height);
    if (picture.Empty()) return result;
    tk::TCanvas& canvas = result->Canvas();
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    for (const SlicePiece& piece : NineSlicePieces(width, height, picture.margins, picture.Frame(index))) {
        if (piece.kind == SliceKind::Centre && picture.tileCentre) {
            TileBitmap(canvas, ToRect(piece.dest), *picture.image, ToRect(piece.source));
        } else {
            canvas.CopyRect(ToRect(piece.dest), picture.image->Canvas(), ToRect(piece.source));
        }
    }
    return result;
}

void DrawSkinPicture(HDC dc, const RECT& rect, const SkinPicture& picture, int index) {
    if (picture.Empty() || rect.right <= rect.left || rect.bottom <= rect.top) return;
    std::unique_ptr<tk::TBitmap> composed = DrawSkinBitmap(rect.right - rect.left, rect.bottom - rect.top, picture, index);
    if (picture.transparent) {
        DrawTransparent(dc, rect, *composed, kKeyColour);
    } else {
        BitBlt(dc, rect.left, rect.top, composed->Width(), composed->Height(), composed->Canvas().Handle(), 0, 0, SRCCOPY);
    }
}

void TileBitmap(tk::TCanvas& canvas, const RECT& dest, tk::TBitmap& picture, const RECT& source) {
    const int width = source.right - source.left, height = source.bottom - source.top;
    if (width <= 0 || height <= 0 || picture.Empty()) return;
    tk::TBitmap tile;
    tile.SetSize(width, height);
    BitBlt(tile.Canvas().Handle(), 0, 0, width, height, picture.Canvas().Handle(), source.left, source.top, SRCCOPY);
    HDC target = canvas.Handle(), from = tile.Canvas().Handle();
    for (int x = dest.left; x < dest.right; x += width)
        for (int y = dest.top; y < dest.bottom; y += height) BitBlt(target, x, y, width, height, from, 0, 0, SRCCOPY);
}

}  // namespace skin
