#include "image_list.h"

#include "exceptions.h"

namespace tk {

TK_CLASS_INFO(TCustomImageList, TComponent)
TK_CLASS_INFO(TImageList, TCustomImageList)

TCustomImageList::~TCustomImageList() { Clear(); }

int TCustomImageList::Count() const { return handle_ != nullptr ? ImageList_GetImageCount(handle_) : 0; }

void TCustomImageList::LoadFromResource(HINSTANCE instance, const wchar_t* name, int width, TColor maskColour) {
    Clear();
    if (width <= 0) throw EInvalidGraphic(L"Image width must be positive");
    TBitmap strip;
    strip.LoadFromResourceName(instance, name);
    strip.SetPixelFormat(TPixelFormat::pf24bit);
    int count = strip.Width() / width;
    HIMAGELIST list = ImageList_Create(width, strip.Height(), ILC_COLOR24 | ILC_MASK, count, 0);
    if (list == nullptr) throw EOutOfResources(L"Out of system resources creating an image list");
    // Adding masked turns the strip's mask-coloured pixels black; the strip is ours to spoil.
    if (ImageList_AddMasked(list, strip.Handle(), ColorToRGB(maskColour)) < 0) {
        ImageList_Destroy(list);
        throw EInvalidGraphic(L"Image list refused the bitmap");
    }
    handle_ = list;
    width_ = width;
    height_ = strip.Height();
}

void TCustomImageList::Clear() {
    if (handle_ != nullptr) ImageList_Destroy(handle_);
    handle_ = nullptr;
}

}  // namespace tk
