#include "check_box.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TCustomCheckBox, TButtonControl)
TK_CLASS_INFO(TCheckBox, TCustomCheckBox, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishEnum<Self, TCheckBoxState>(c, L"State", {L"cbUnchecked", L"cbChecked", L"cbGrayed"}, &Self::State,
                                      &Self::SetState);
    PublishBool<Self>(c, L"Checked", &Self::Checked, &Self::SetChecked);
    PublishObject<Self, TFont>(c, L"Font", &Self::Font);
})
TK_CLASS_INFO(TRadioButton, TButtonControl, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishBool<Self>(c, L"Checked", &Self::Checked, &Self::SetChecked);
    PublishObject<Self, TFont>(c, L"Font", &Self::Font);
})

namespace {
WPARAM CheckValue(TCheckBoxState state) {
    return state == TCheckBoxState::cbChecked ? BST_CHECKED : state == TCheckBoxState::cbGrayed ? BST_INDETERMINATE
                                                                                              : BST_UNCHECKED;
}
}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 97, 17); }

void TCustomCheckBox::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= BS_3STATE;
}

void TCustomCheckBox::AfterCreateHandle() { SendMessageA(Handle(), BM_SETCHECK, CheckValue(state_), 0); }

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == state_) return;
    state_ = state;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, CheckValue(state_), 0);
    if (!Loading()) TButtonControl::Click();
}

void TCustomCheckBox::Click() {
    switch (state_) {
    case TCheckBoxState::cbUnchecked: SetState(allowGrayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked); break;
    case TCheckBoxState::cbGrayed: SetState(TCheckBoxState::cbChecked); break;
    case TCheckBoxState::cbChecked: SetState(TCheckBoxState::cbUnchecked); break;
    }
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::AfterCreateHandle() { SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!v) return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = DynamicCast<TRadioButton>(parent->Controls(i)); sibling != nullptr && sibling != this)
                sibling->SetChecked(false);
    if (!Loading()) TButtonControl::Click();
}

void TRadioButton::Click() {
    if (!checked_) SetChecked(true);
}

}  // namespace tk
