#include "custom_control.h"

namespace tk {

TK_CLASS_INFO(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    HDC previous = canvas_.Handle();
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(EffectiveFont());
    Paint();
    canvas_.SetHandle(previous);
}

void TCustomControl::Paint() {
    canvas_.Brush().SetColor(Color());
    canvas_.FillRect(ClientRect());
}

}  // namespace tk
