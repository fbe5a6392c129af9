#include "ziv_registration.h"

#include <string>

#include <olectl.h>

#include "ziv_ids.h"
#include "ziv_log.h"

namespace ziv {
namespace {
bool SetKey(const std::wstring& path, const wchar_t* name, const std::wstring* value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = ERROR_SUCCESS;
    if (value != nullptr)
        result = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                                static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH * 2);
    return std::wstring(path, length);
}

void DeleteTree(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    for (;;) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(path + L"\\" + name);
    }
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}
}  // namespace

HRESULT RegisterServer() {
    std::wstring clsid = std::wstring(L"CLSID\\") + kClassIdText;
    std::wstring title = L"Quorvane ZIV Control", path = ModulePath(), threading = L"Apartment";
    std::wstring progId = kProgId, misc = L"131473", classId = kClassIdText;
    bool ok = SetKey(clsid, nullptr, &title) && SetKey(clsid + L"\\InprocServer32", nullptr, &path) &&
              SetKey(clsid + L"\\InprocServer32", L"ThreadingModel", &threading) &&
              SetKey(clsid + L"\\Control", nullptr, nullptr) && SetKey(clsid + L"\\ProgID", nullptr, &progId) &&
              SetKey(clsid + L"\\MiscStatus", nullptr, &misc) && SetKey(progId, nullptr, &title) &&
              SetKey(progId + L"\\CLSID", nullptr, &classId);
    Log("DllRegisterServer %s", Utf8(path).c_str());
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    DeleteTree(std::wstring(L"CLSID\\") + kClassIdText);
    DeleteTree(kProgId);
    return S_OK;
}

}  // namespace ziv
