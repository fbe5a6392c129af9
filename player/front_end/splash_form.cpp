#include "splash_form.h"

#include "form_loader.h"
#include "player_texts.h"

namespace zentavo {

TForm6* Form6 = nullptr;

TK_CLASS_INFO(TForm6, tk::TForm)

TForm6::TForm6(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetBorderStyle(tk::TFormBorderStyle::bsNone);
    // Shown before the main form exists, so it is centred on the screen.
    SetPosition(tk::TPosition::poScreenCenter);
    SetClientWidth(600);
    SetClientHeight(429);

    Image1 = load.Create<tk::TImage>(L"Image1");
    Image1->SetParent(this);
    Image1->SetAlign(tk::TAlign::alClient);
    Image1->SetStretch(true);
    try {
        Image1->Picture().LoadFromResourceName("SPLASHJPEG");
    } catch (...) {
        // Without its picture the splash still shows the progress.
    }

    Label2 = load.Create<tk::TLabel>(L"Label2");
    Label2->SetParent(this);
    Label2->SetBounds(308, 136, 72, 13);
    Label2->SetTransparent(true);
    Label2->SetParentFont(false);
    Label2->Font()->SetColor(tk::clWhite);  // the picture is dark behind the label
    Label2->SetCaption(kLoading);

    Gauge1 = load.Create<tk::TGauge>(L"Gauge1");
    Gauge1->SetParent(this);
    Gauge1->SetBounds(383, 126, 35, 35);
    Gauge1->SetKind(tk::TGaugeKind::gkText);
    Gauge1->SetBackColor(tk::clBlack);
    Gauge1->SetForeColor(tk::clNavy);
    Gauge1->SetProgress(0);

    OnPaint = [this](tk::TObject*) { FormPaint(); };
    load.ReadBinaryProperties();
    load.Finish();
}

void TForm6::FormPaint() {
    // Keeps the splash on screen while the main window is being built.
    if (!Visible()) Show();
    Update();
}

}  // namespace zentavo
