// A windowless text. A label that is not transparent paints with its parent's current colour.
#pragma once

#include "graphic_control.h"

namespace tk {

class TLabel : public TGraphicControl {
    TK_CLASS(TLabel)
public:
    explicit TLabel(TComponent* owner);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);

protected:
    void Paint() override;
    void TextChanged() override;

private:
    void AdjustSize();
    bool transparent_ = false;
    bool autoSize_ = true;
};

}  // namespace tk
