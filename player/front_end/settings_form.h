// TForm4: the connection-settings dialog, shown modeless from the settings menu. It only stores
// the values, each in a section of its own in zhuce.ini, for the player control to read.
#pragma once

#include "button.h"
#include "check_box.h"
#include "form.h"
#include "form_loader.h"
#include "group_box.h"
#include "label.h"
#include "spin_edit.h"

namespace zentavo {

class TForm4 : public tk::TForm {
    TK_CLASS(TForm4)
public:
    explicit TForm4(tk::TComponent* owner);

    tk::TLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    tk::TSpinEdit *SpinEdit1, *SpinEdit2, *SpinEdit3, *SpinEdit4;
    tk::TGroupBox *GroupBox1, *GroupBox2;
    tk::TRadioButton *RadioButton1, *RadioButton2, *RadioButton3, *RadioButton4, *RadioButton5, *RadioButton6;
    tk::TCheckBox *CheckBox1, *CheckBox2;
    tk::TButton *Button1, *Button2;

    void FormCreate();
    void SpinEdit1Change();
    void SpinEdit2Change();
    void SpinEdit3Change();
    void SpinEdit4Change();
    void Button1Click();
    void Button2Click();

private:
    void CreateComponents(tk::FormLoader& load);
    void BindHandlers();
    tk::TRadioButton* NetworkTypeButton(int type) const;
    int CheckedNetworkType() const;
};

extern TForm4* Form4;

}  // namespace zentavo
