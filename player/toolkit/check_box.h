// Check boxes and radio buttons over the system "Button". The check box is a BS_3STATE button
// whose state the layer drives with BM_SETCHECK (sent, so a skinner's WindowProc sees it), so
// BM_GETSTATE tells the truth. A radio button is not a check box: checking one unchecks its
// sibling radio buttons.
#pragma once

#include "button.h"

namespace tk {

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
    TK_CLASS(TCustomCheckBox)
public:
    explicit TCustomCheckBox(TComponent* owner);
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
    void SetChecked(bool v) { SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    void Click() override;  // the viewer's click toggles

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;

private:
    TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
    bool allowGrayed_ = false;
};

class TCheckBox : public TCustomCheckBox {
    TK_CLASS(TCheckBox)
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
    TK_CLASS(TRadioButton)
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    void Click() override;  // the viewer's click checks this one

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;

private:
    bool checked_ = false;
};

}  // namespace tk
