#include "skin_messages.h"

#include <utility>

#ifdef _WIN32
#include "application.h"
#endif

namespace skin {
namespace {

void ShowDefault([[maybe_unused]] const std::wstring& text) {
#ifdef _WIN32
    if (tk::Application != nullptr) tk::Application->MessageBox(text, tk::Application->Title(), MB_OK);
    else MessageBoxW(nullptr, text.c_str(), L"", MB_OK);
#endif
}

MessageSink& CurrentSink() {
    static MessageSink sink;
    return sink;
}

}  // namespace

void ShowSkinMessage(const std::wstring& text) {
    const MessageSink& sink = CurrentSink();
    if (sink) sink(text);
    else ShowDefault(text);
}

MessageSink SetMessageSink(MessageSink sink) {
    return std::exchange(CurrentSink(), std::move(sink));
}

}  // namespace skin
