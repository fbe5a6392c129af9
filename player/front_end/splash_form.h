// TForm6: the loading splash, shown from start-up until the main window is first shown. Its
// gauge follows the filling of the channel tree.
#pragma once

#include "form.h"
#include "gauge.h"
#include "image.h"
#include "label.h"

namespace zentavo {

class TForm6 : public tk::TForm {
    TK_CLASS(TForm6)
public:
    explicit TForm6(tk::TComponent* owner);

    tk::TImage* Image1;
    tk::TGauge* Gauge1;
    tk::TLabel* Label2;

    void FormPaint();
};

extern TForm6* Form6;

}  // namespace zentavo
