// Image lists: equal-sized images kept by comctl32 with a mask each, loaded from one bitmap
// strip. Any depth of strip works, 1 bit per pixel included, because the strip is converted
// to 24 bits and the mask is made from a colour instead of the resource's own transparency.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "bitmap.h"
#include "component.h"

namespace tk {

class TCustomImageList : public TComponent {
    TK_CLASS(TCustomImageList)
public:
    explicit TCustomImageList(TComponent* owner) : TComponent(owner) {}
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    HIMAGELIST Handle() const { return handle_; }

    // Replaces the images with the RT_BITMAP resource cut into images `width` pixels wide (as
    // many as fit), its full height high; pixels of maskColour become transparent.
    // EInvalidGraphic when the resource is missing or unreadable; the list is then empty.
    void LoadFromResource(HINSTANCE instance, const wchar_t* name, int width, TColor maskColour);

private:
    void Clear();
    HIMAGELIST handle_ = nullptr;
    int width_ = 16, height_ = 16;
};

class TImageList : public TCustomImageList {
    TK_CLASS(TImageList)
public:
    explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};

}  // namespace tk
