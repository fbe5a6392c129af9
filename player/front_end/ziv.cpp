#include "ziv.h"

namespace zentavo {
namespace {
// {18226BF8-DC0B-4D81-80E9-A41AE37BB73A}
const CLSID kZivClassId = {0x18226BF8, 0xDC0B, 0x4D81, {0x80, 0xE9, 0xA4, 0x1A, 0xE3, 0x7B, 0xB7, 0x3A}};
// {F533A1A0-3978-4C90-ABA8-16FA38833461}
const IID kZivEventsId = {0xF533A1A0, 0x3978, 0x4C90, {0xAB, 0xA8, 0x16, 0xFA, 0x38, 0x83, 0x34, 0x61}};
// 441 x 387 pixels at 96 dpi, in 0.01 mm.
const SIZEL kInitialExtent = {11668, 10239};
}  // namespace

TK_CLASS_INFO(TZIV, tk::TOleControl)

TZIV::TZIV(tk::TComponent* owner) : TOleControl(owner, kZivClassId, kZivEventsId, kInitialExtent) {
    SetBounds(0, 0, 441, 387);
}

void TZIV::InvokeEvent(DISPID id, DISPPARAMS* params) {
    switch (id) {
    case kOnStateChange:
        if (OnStateChange) OnStateChange(this, tk::EventIntegerArgument(params, 0, 0));
        break;
    case kOnClosePlayer:
        if (OnClosePlayer) OnClosePlayer(this);
        break;
    default:
        break;  // the control's other events are not handled
    }
}

}  // namespace zentavo
