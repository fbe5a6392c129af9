#include "nc_calc_size.h"

namespace skin {

NCCalcSizeAnswer HandleNCCalcSize(bool rectsValid, int x, int y, int cx, int cy, const FormFrameState& form) {
    NCCalcSizeAnswer answer;
    if (!rectsValid) return answer;
    answer.Result = kValidRects;
    if (!form.HasCaption() || (form.IsMdiChild() && form.WindowState != wsNormal)) {
        answer.Action = NCCalcSizeAnswer::CopyFirst;
        return answer;
    }
    answer.Action = NCCalcSizeAnswer::Skinned;
    answer.Client = SliceRect{x + form.BorderLeft, y + form.BorderTop + form.MenuBarHeight, x + cx - form.BorderRight,
                              y + cy - form.BorderBottom};
    return answer;
}

}  // namespace skin
