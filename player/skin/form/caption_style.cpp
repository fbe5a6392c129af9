#include "caption_style.h"

namespace skin {

std::optional<uint32_t> SysMenuStyle(uint32_t style, uint8_t borderIcons, bool remove, bool hasSystemMenu) {
    if ((borderIcons & fiStripCaption) != 0) return std::nullopt;
    if (remove) return style & ~kStyleSysMenu;
    return hasSystemMenu ? style | kStyleSysMenu : style;
}

std::optional<uint32_t> CaptionStyle(uint32_t style, uint8_t borderIcons, bool on) {
    if ((borderIcons & fiStripCaption) == 0) return std::nullopt;
    return on ? style | kStyleCaption : style & ~kStyleCaption;
}

bool WantsNativeCaption(const FormFrameState& form) {
    if (form.WindowState == wsMinimized) return true;
    return form.IsMdiChild() && form.WindowState == wsMaximized;
}

}  // namespace skin
