// The registry entries of the control, written and removed through the registry API only.
#pragma once

#include <windows.h>

namespace ziv {

HRESULT RegisterServer();    // idempotent; registers the path this library was loaded from
HRESULT UnregisterServer();

}  // namespace ziv
