// A push button with a glyph, drawn by the layer (BS_OWNERDRAW) when no skin draws it. The
// glyph here is a small arrow drawn in code.
#pragma once

#include "button.h"

namespace tk {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
    TK_CLASS(TBitBtn)
public:
    explicit TBitBtn(TComponent* owner);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v) { layout_ = v; Invalidate(); }
    int Margin() const { return margin_; }
    void SetMargin(int v) { margin_ = v; Invalidate(); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int v) { spacing_ = v; Invalidate(); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v) { numGlyphs_ = v; }

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;

private:
    void DrawFace(const DRAWITEMSTRUCT& item);
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    int numGlyphs_ = 1;
};

}  // namespace tk
