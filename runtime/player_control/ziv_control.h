// The stand-in player control object: automation by fixed dispatch ids (no type library),
// in-place activation into the host's window, persistence that stores nothing, and one
// connection point whose events fire synchronously on the creating (GUI) thread.
#pragma once

#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "playback.h"
#include "ziv_fetch.h"

namespace ziv {

class ConnectionPoint;

class ZivControl : public IDispatch,
                   public IOleObject,
                   public IOleInPlaceObject,
                   public IPersistStreamInit,
                   public IConnectionPointContainer,
                   public IOleControl {
public:
    ZivControl();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argumentError) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow / IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* id) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // Window side (ziv_windows.cpp).
    void OnBarCommand(int command);
    void OnVideoRightButton(int x, int y);
    void LeaveFullScreen();
    void Layout();
    void PaintVideo(HDC dc, const RECT& area);
    void OnFetchNote(UINT note, WPARAM generation);

private:
    virtual ~ZivControl();

    HRESULT GetMember(DISPID id, VARIANT* result);
    HRESULT PutMember(DISPID id, VARIANT& value);
    HRESULT CallMethod(DISPID id, DISPPARAMS* params);
    void Raise(const Events& events);
    void ArmConnectTimer();
    void KillConnectTimer();
    static void CALLBACK ConnectTimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void ReadSettings();
    void UpdateFetch();  // fetches what the playback wants, from the control window on

    bool CreateWindows(HWND parent, const RECT& position);
    void DestroyWindows();
    void EnterFullScreen();
    void UpdateChildren();

    LONG references_ = 1;
    IOleClientSite* clientSite_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    ConnectionPoint* connectionPoint_;
    Playback playback_;
    bool mute_ = false, fullScreen_ = false, showP2PInfo_ = false, showPlayControl_ = false;
    SIZEL extent_ = {11668, 10239};
    LONG freezeCount_ = 0;
    UINT_PTR connectTimer_ = 0;
    std::wstring settingsLine_;
    StreamFetch fetch_;
    std::wstring fetchedUrl_;  // what fetch_ reads (or was refused)

    HWND window_ = nullptr, video_ = nullptr, bar_ = nullptr, info_ = nullptr, fullScreenWindow_ = nullptr;
};

LONG& ObjectCount();
LONG& LockCount();

}  // namespace ziv
