// The default error report for errors that reach the layer unhandled (from a window procedure,
// a timer, a menu click, an OLE event): TApplicationEvents.OnException when one is set, else a
// message box with the error's text. The message box can be replaced (tests record the text).
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace tk {

class Exception;

using ErrorReporter = std::function<void(const std::wstring& text)>;

// Replaces the message box; an empty function restores it.
void SetErrorReporter(ErrorReporter reporter);
void HandleException(const Exception& error);
void HandleCurrentException() noexcept;  // inside a catch block: report whatever was caught

// Runs `step` and reports anything it throws: no exception may unwind through Windows or COM.
template <class F>
void GuardCallback(F&& step) noexcept {
    try {
        step();
    } catch (...) {
        HandleCurrentException();
    }
}

}  // namespace tk
