#include "button.h"

#include "form.h"
#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TButtonControl, TWinControl)
TK_CLASS_INFO(TButton, TButtonControl, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishObject<Self, TFont>(c, L"Font", &Self::Font);
})

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TButtonControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "Button";
    params.Style &= ~WS_CLIPCHILDREN;
}

void TButtonControl::Dispatch(TMessage& message) {
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
        Click();
        message.Result = 0;
        return;
    }
    TWinControl::Dispatch(message);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
    if (modalResult_ != 0)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

}  // namespace tk
