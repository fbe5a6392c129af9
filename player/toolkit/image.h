// A windowless picture: a JPEG drawn at its own size from the top left, or stretched to the
// control's client area.
#pragma once

#include "graphic_control.h"
#include "jpeg_image.h"

namespace tk {

class TImage : public TGraphicControl {
    TK_CLASS(TImage)
public:
    explicit TImage(TComponent* owner);
    TJPEGImage& Picture() { return picture_; }
    void PictureChanged() { Invalidate(); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v) { stretch_ = v; Invalidate(); }

protected:
    void Paint() override;

private:
    TJPEGImage picture_;
    bool stretch_ = false;
};

}  // namespace tk
