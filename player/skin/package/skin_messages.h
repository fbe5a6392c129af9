// The skin engine's messages to the user. They go through one replaceable sink so that tests
// can record them: by default Windows shows the toolkit's plain message box (OK button, the
// application title) and the native build shows nothing.
#pragma once

#include <functional>
#include <string>

namespace skin {

// Shown when a package's archive has an unknown version (or is too short to have one).
inline const std::wstring kVersionMismatchMessage = L"此文件版本不同\r请升级新版本 !";

using MessageSink = std::function<void(const std::wstring& text)>;

void ShowSkinMessage(const std::wstring& text);

// Installs sink and returns the one it replaces; an empty sink restores the default.
MessageSink SetMessageSink(MessageSink sink);

}  // namespace skin
