// The spin edit: an edit with a child spin button. Value is the edit's text as a number; the
// button's halves add or subtract Increment, repeating while held (400 ms, then every 100 ms).
// With EditorEnabled false typed characters are ignored. OnChange fires for programmatic
// changes too, and a handler may set Value again from inside OnChange.
#pragma once

#include "edit.h"

namespace tk {

class TSpinEdit;

class TSpinButton : public TWinControl {
    TK_CLASS(TSpinButton)
public:
    explicit TSpinButton(TComponent* owner);
    TSpinEdit* Edit() const { return edit_; }
    void SetEdit(TSpinEdit* edit) { edit_ = edit; }

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& message) override;

private:
    void Step();
    TSpinEdit* edit_ = nullptr;
    int direction_ = 0;  // +1 up, -1 down while pressed
};

class TSpinEdit : public TCustomEdit {
    TK_CLASS(TSpinEdit)
public:
    explicit TSpinEdit(TComponent* owner);
    int Value() const;
    void SetValue(int value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int v) { minValue_ = v; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v) { maxValue_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool v) { editorEnabled_ = v; }
    TSpinButton* Button() const { return button_; }
    void BoundsChanged() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateHandle() override;
    void WndProc(TMessage& message) override;

private:
    int Clamp(int value) const;
    TSpinButton* button_;
    int minValue_ = 0, maxValue_ = 0, increment_ = 1;  // equal bounds: no range
    bool editorEnabled_ = false;
};

}  // namespace tk
