// Edits: "TEdit" superclasses the system "Edit". OnChange fires for every change of the text,
// made by the viewer or by the program (EN_CHANGE arrives reflected as CN_COMMAND).
#pragma once

#include "win_control.h"

namespace tk {

class TCustomEdit : public TWinControl {
    TK_CLASS(TCustomEdit)
public:
    explicit TCustomEdit(TComponent* owner);
    std::wstring Text() const;  // the window's text while it exists
    void SetText(const std::wstring& text);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    virtual void Change();

private:
    bool readOnly_ = false;
};

class TEdit : public TCustomEdit {
    TK_CLASS(TEdit)
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

}  // namespace tk
