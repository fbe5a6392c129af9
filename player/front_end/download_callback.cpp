#include "download_callback.h"

namespace zentavo {

HRESULT STDMETHODCALLTYPE DownloadCallback::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
        *object = static_cast<IBindStatusCallback*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DownloadCallback::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to take: the thread's own loop has to see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return S_OK;
}

bool DownloadCallback::Download(const std::string& url, const std::string& file) {
    try {
        return URLDownloadToFileA(nullptr, url.c_str(), file.c_str(), 0, this) == S_OK;
    } catch (...) {
        return false;
    }
}

}  // namespace zentavo
