// Push buttons: "TButton" superclasses the system "Button"; a click arrives reflected as
// CN_COMMAND/BN_CLICKED and runs Click(), which also applies ModalResult to the form.
#pragma once

#include "win_control.h"

namespace tk {

class TButtonControl : public TWinControl {
    TK_CLASS(TButtonControl)
public:
    explicit TButtonControl(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
};

class TButton : public TButtonControl {
    TK_CLASS(TButton)
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool v) { default_ = v; }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

}  // namespace tk
