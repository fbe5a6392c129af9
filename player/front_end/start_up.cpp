#include "start_up.h"

#include "about_form.h"
#include "application.h"
#include "error_report.h"
#include "install_skin_manager.h"
#include "main_form.h"
#include "player_paths.h"
#include "player_texts.h"
#include "register_control.h"
#include "settings_form.h"
#include "win_skin_form.h"
#include "splash_form.h"

namespace zentavo {
namespace {
template <class T>
void Free(T*& form) {
    delete form;
    form = nullptr;
}

void RunPass(bool setTitle) {
    RegisterControl(PlayerFileA("QuorvaneZIV.ocx"));
    tk::Application->Initialize();
    if (setTitle) tk::Application->SetTitle(kTitle);
    Form6 = tk::TCustomForm::Create<TForm6>(tk::Application);
    Form6->Show();
    Form6->Update();
    tk::Application->CreateForm(Form1);
    tk::Application->CreateForm(Form3);
    tk::Application->CreateForm(Form4);
    tk::Application->Run();
}

// Undoes what a failed pass made, so that the retry does not leave a second splash behind.
void FreePassForms() {
    Free(Form4);
    Free(Form3);
    Free(Form1);
    Free(Form6);
}
}  // namespace

int RunPlayer() {
    // Before the main form is read: its skin component hands itself to this manager, whose
    // window hook then skins each window of the program at its first activation.
    skin::InstallSkinManager(skin::MakeFormSkinner);
    try {
        RunPass(true);
        return 0;
    } catch (...) {
        FreePassForms();
    }
    try {
        RunPass(false);
        return 0;
    } catch (...) {
        tk::HandleCurrentException();
        return 1;
    }
}

}  // namespace zentavo
