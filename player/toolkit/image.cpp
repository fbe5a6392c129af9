#include "image.h"

namespace tk {

TK_CLASS_INFO(TImage, TGraphicControl)

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {}

void TImage::Paint() {
    RECT target = ClientRect();
    if (!stretch_) target = RECT{0, 0, picture_.Width(), picture_.Height()};
    picture_.StretchDraw(Canvas()->Handle(), target);
}

}  // namespace tk
