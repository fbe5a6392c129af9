#include "nc_object.h"

namespace skin {

TK_CLASS_INFO(TNCObject, tk::TObject)
TK_CLASS_INFO(TWinSysButton, TNCObject)

namespace {

// The object under the mouse before this one hands it back to normal.
void LeaveOtherHotObject(INcHost& form, const TNCObject* self) {
    TNCObject* hot = form.HotObject();
    if (hot != nullptr && hot != self) hot->MouseLeave();
}

}  // namespace

void TNCObject::MouseDown() {
    LeaveOtherHotObject(*Form, this);
    if (!Visible) return;
    Form->SetHotObject(this);
    State = ncPressed;
    Paint();
}

void TNCObject::MouseUp() {
    if (!Visible) return;
    State = ncHot;
    Paint();
}

void TNCObject::MouseMove() {
    if (Form->HotObject() == this) return;  // already hot: no repaint on every move
    LeaveOtherHotObject(*Form, this);
    if (!Visible) return;
    Form->SetHotObject(this);
    State = ncHot;
    Paint();
}

void TNCObject::MouseLeave() {
    if (!Visible) return;
    Form->SetHotObject(nullptr);
    State = ncNormal;
    Paint();
}

}  // namespace skin
