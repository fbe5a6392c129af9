#include "graphic_control.h"

namespace tk {

TK_CLASS_INFO(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Dispatch(TMessage& message) {
    if (message.Msg == WM_PAINT && message.WParam != 0) {
        HDC previous = canvas_.Handle();
        canvas_.SetHandle(reinterpret_cast<HDC>(message.WParam));
        canvas_.Font().Assign(EffectiveFont());
        Paint();
        canvas_.SetHandle(previous);
        message.Result = 0;
        return;
    }
    TControl::Dispatch(message);
}

}  // namespace tk
