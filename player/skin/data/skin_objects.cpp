#include "skin_objects.h"

namespace skin {

TK_CLASS_INFO(TDataSkinObject, tk::TObject)
TK_CLASS_INFO(TDataSkinBorder, TDataSkinObject)
TK_CLASS_INFO(TDataSkinTitle, TDataSkinObject)
TK_CLASS_INFO(TDataSkinButton, TDataSkinObject)
TK_CLASS_INFO(TDataSkinSysButton, TDataSkinObject)
TK_CLASS_INFO(TDataSkinBoxLabel, TDataSkinObject)

SkinPicture TDataSkinObject::Picture(FrameLayout layout) {
    SkinPicture p;
    p.image = &Image;
    p.layout = layout;
    p.frameCount = Frame;
    p.margins = {LeftWidth, TopHeight, RightWidth, BottomHeight};
    p.tileCentre = Tile != 0;
    p.transparent = Trans != 0;
    return p;
}

}  // namespace skin
