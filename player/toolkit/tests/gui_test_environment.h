// Shared set-up of the window-layer tests: the application is initialised once, errors that
// reach the default report are recorded instead of shown, and a plain test form is at hand.
#pragma once

#include <string>
#include <vector>

#include "application.h"
#include "form.h"

namespace tk::testing_support {

std::vector<std::wstring>& ReportedErrors();

class TTestForm : public TForm {
    TK_CLASS(TTestForm)
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {}
};

// Runs everything that is queued for this thread now.
void Pump();

// A path in the temporary folder, with no file there yet.
std::wstring TempFile(const wchar_t* name);

}  // namespace tk::testing_support
