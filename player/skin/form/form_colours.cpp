// The form's colour under the skin: its face is the skin's ButtonFace while skinned, and the
// colour it had comes back with the skin off.
#include "form.h"
#include "skin_data.h"
#include "win_skin_form.h"

namespace skin {

void TWinSkinForm::ApplyFormColour() {
    if (form_ == nullptr) return;
    savedColor_ = form_->Color();
    form_->SetColor(ctx_.Skin->Colours.ButtonFace);
}

void TWinSkinForm::RestoreFormColour() {
    if (form_ != nullptr) form_->SetColor(savedColor_);
}

void TWinSkinForm::Recolor() {
    if (form_ != nullptr) {
        form_->SetColor(ctx_.Skin->Colours.ButtonFace);
        for (int i = 0; i < form_->ComponentCount(); ++i)
            if (auto* inner = dynamic_cast<tk::TCustomForm*>(form_->Components(i)))
                inner->SetColor(ctx_.Skin->Colours.ButtonFace);
    }
    ctx_.SkinState = ssRecoloring;
    if (ctx_.SkinFrame && form_ != nullptr) {
        ResizeToSkin(true);
        // A full re-layout of the form under its new frame.
        form_->SetHeight(form_->Height() + 1);
        form_->SetHeight(form_->Height() - 1);
    }
    FinishSkinning();
}

}  // namespace skin
