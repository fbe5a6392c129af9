#include "error_report.h"

#include <windows.h>

#include "application.h"
#include "application_events.h"
#include "exceptions.h"
#include "text_convert.h"

namespace tk {
namespace {
ErrorReporter& Reporter() {
    static ErrorReporter* reporter = new ErrorReporter();  // never freed: no orderly shutdown
    return *reporter;
}
}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void HandleException(const Exception& error) {
    if (DispatchApplicationException(error)) return;
    if (Reporter()) {
        Reporter()(error.Message());
        return;
    }
    HWND owner = Application != nullptr ? Application->DialogOwner() : nullptr;
    std::wstring title = Application != nullptr ? Application->Title() : std::wstring();
    MessageBoxW(owner, error.Message().c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

void HandleCurrentException() noexcept {
    try {
        try {
            throw;
        } catch (const Exception& error) {
            HandleException(error);
        } catch (const std::exception& error) {
            HandleException(Exception(Utf8ToWide(error.what())));
        } catch (...) {
            HandleException(Exception(L"Unknown error"));
        }
    } catch (...) {
        // The report itself failed (an OnException handler threw): nothing more can be done.
    }
}

}  // namespace tk
