#include "gui_test_environment.h"

#include <gtest/gtest.h>

#include "error_report.h"

namespace tk::testing_support {

TK_CLASS_INFO(TTestForm, TForm)

std::vector<std::wstring>& ReportedErrors() {
    static std::vector<std::wstring> errors;
    return errors;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    DeleteFileW(path.c_str());
    return path;
}

namespace {
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Application->Initialize();
        SetErrorReporter([](const std::wstring& text) { ReportedErrors().push_back(text); });
    }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}  // namespace

}  // namespace tk::testing_support
