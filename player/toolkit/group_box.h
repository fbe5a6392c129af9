// A group box: a container of the layer's own class "TGroupBox" that draws an etched frame with
// its caption; its graphic children are painted inside it like any container's.
#pragma once

#include "custom_control.h"

namespace tk {

class TCustomGroupBox : public TCustomControl {
    TK_CLASS(TCustomGroupBox)
public:
    explicit TCustomGroupBox(TComponent* owner);

protected:
    void Paint() override;
    RECT AlignRect() override;
};

class TGroupBox : public TCustomGroupBox {
    TK_CLASS(TGroupBox)
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

}  // namespace tk
