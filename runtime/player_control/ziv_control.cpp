#include "ziv_control.h"

#include <cstdlib>
#include <map>

#include "ziv_connection_point.h"
#include "ziv_ids.h"
#include "ziv_log.h"

namespace ziv {
namespace {
struct Member {
    const wchar_t* name;
    DISPID id;
    bool method;
    bool readOnly;
};
const Member kMembers[] = {
    {L"URL", kUrl, false, false},           {L"State", kState, false, true},
    {L"FullScreen", kFullScreen, false, false}, {L"Mute", kMute, false, false},
    {L"ChannelName", kChannelName, false, true}, {L"ShowP2PInfo", kShowP2PInfo, false, false},
    {L"ShowPlayControl", kShowPlayControl, false, false}, {L"Play", kPlay, true, false},
    {L"Pause", kPause, true, false},        {L"Stop", kStop, true, false},
    {L"OpenMediaFile", kOpenMediaFile, true, false},
};

const Member* FindMember(DISPID id) {
    for (const Member& m : kMembers)
        if (m.id == id) return &m;
    return nullptr;
}

std::map<UINT_PTR, ZivControl*>& ConnectTimers() {
    static auto* timers = new std::map<UINT_PTR, ZivControl*>();
    return *timers;
}

unsigned ConnectDelay() {
    const char* text = std::getenv("ZIV_CONNECT_MS");
    if (text == nullptr || *text == '\0') return 400;
    long value = std::strtol(text, nullptr, 10);
    return value > 0 ? static_cast<unsigned>(value) : 1;
}

HRESULT Coerce(VARIANT& value, VARTYPE type, VARIANT& out) {
    VariantInit(&out);
    return FAILED(VariantChangeType(&out, &value, 0, type)) ? DISP_E_TYPEMISMATCH : S_OK;
}

void SetBool(VARIANT* result, bool value) {
    if (result == nullptr) return;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetText(VARIANT* result, const std::wstring& text) {
    if (result == nullptr) return;
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}
}  // namespace

LONG& ObjectCount() {
    static LONG count = 0;
    return count;
}

LONG& LockCount() {
    static LONG count = 0;
    return count;
}

ZivControl::ZivControl() : connectionPoint_(new ConnectionPoint(this)) {
    InterlockedIncrement(&ObjectCount());
    playback_.SetFetchMode(FetchModeOn());
    Log("create");
}

ZivControl::~ZivControl() {
    KillConnectTimer();
    fetch_.Stop();
    DestroyWindows();
    connectionPoint_->Detach();
    connectionPoint_->Release();
    if (inPlaceSite_ != nullptr) inPlaceSite_->Release();
    if (clientSite_ != nullptr) clientSite_->Release();
    Log("release");
    InterlockedDecrement(&ObjectCount());
}

STDMETHODIMP ZivControl::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kDispatchId))
        *object = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IPersistStreamInit))
        *object = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        *object = static_cast<IOleControl*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ZivControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) ZivControl::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP ZivControl::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ZivControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP ZivControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0)
            for (const Member& m : kMembers)
                if (lstrcmpiW(m.name, names[0]) == 0) ids[0] = m.id;
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

STDMETHODIMP ZivControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO*, UINT* argumentError) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (params == nullptr) params = &none;
    if (argumentError != nullptr) *argumentError = 0;
    const Member* member = FindMember(id);
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    AddRef();  // a handler of an event raised below may release the host's last reference
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    try {
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (member->method || member->readOnly)
                hr = DISP_E_MEMBERNOTFOUND;
            else if (params->cArgs != 1 || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                hr = DISP_E_BADPARAMCOUNT;
            else
                hr = PutMember(id, params->rgvarg[0]);
        } else if (!member->method && (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) {
            hr = params->cArgs != 0 ? DISP_E_BADPARAMCOUNT : GetMember(id, result);
        } else if (member->method && (flags & DISPATCH_METHOD)) {
            hr = CallMethod(id, params);
        }
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    Release();
    return hr;
}

HRESULT ZivControl::GetMember(DISPID id, VARIANT* result) {
    switch (id) {
    case kUrl: SetText(result, playback_.Url()); break;
    case kState:
        Log("get State=%d", playback_.State());
        if (result != nullptr) {
            VariantInit(result);
            result->vt = VT_I4;
            result->lVal = playback_.State();
        }
        break;
    case kFullScreen: SetBool(result, fullScreen_); break;
    case kMute: SetBool(result, mute_); break;
    case kChannelName: SetText(result, playback_.ChannelName()); break;
    case kShowP2PInfo: SetBool(result, showP2PInfo_); break;
    case kShowPlayControl: SetBool(result, showPlayControl_); break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

HRESULT ZivControl::PutMember(DISPID id, VARIANT& value) {
    VARIANT coerced;
    if (id == kUrl) {
        if (FAILED(Coerce(value, VT_BSTR, coerced))) return DISP_E_TYPEMISMATCH;
        std::wstring url = coerced.bstrVal != nullptr ? std::wstring(coerced.bstrVal, SysStringLen(coerced.bstrVal)) : L"";
        VariantClear(&coerced);
        Log("put URL=%s", Utf8(url).c_str());
        ReadSettings();
        Raise(playback_.PutUrl(url));
        return S_OK;
    }
    if (FAILED(Coerce(value, VT_BOOL, coerced))) return DISP_E_TYPEMISMATCH;
    bool flag = coerced.boolVal != VARIANT_FALSE;
    int logged = flag ? -1 : 0;
    switch (id) {
    case kFullScreen:
        Log("put FullScreen=%d", logged);
        if (flag) EnterFullScreen();
        else LeaveFullScreen();
        break;
    case kMute:
        Log("put Mute=%d", logged);
        mute_ = flag;
        if (video_ != nullptr) InvalidateRect(video_, nullptr, TRUE);
        break;
    case kShowP2PInfo:
        Log("put ShowP2PInfo=%d", logged);
        showP2PInfo_ = flag;
        if (flag) ReadSettings();
        UpdateChildren();
        break;
    case kShowPlayControl:
        Log("put ShowPlayControl=%d", logged);
        showPlayControl_ = flag;
        UpdateChildren();
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

HRESULT ZivControl::CallMethod(DISPID id, DISPPARAMS* params) {
    if (id == kOpenMediaFile) {
        if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT coerced;
        if (FAILED(Coerce(params->rgvarg[0], VT_BSTR, coerced))) return DISP_E_TYPEMISMATCH;
        std::wstring path = coerced.bstrVal != nullptr ? std::wstring(coerced.bstrVal, SysStringLen(coerced.bstrVal)) : L"";
        VariantClear(&coerced);
        Log("OpenMediaFile=%s", Utf8(path).c_str());
        Raise(playback_.OpenMediaFile(path));
        return S_OK;
    }
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    switch (id) {
    case kPlay: Log("Play"); Raise(playback_.Play()); break;
    case kPause: Log("Pause"); Raise(playback_.Pause()); break;
    case kStop: Log("Stop"); Raise(playback_.Stop()); break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

void ZivControl::Raise(const Events& events) {
    if (playback_.ConnectPending()) ArmConnectTimer();
    else KillConnectTimer();
    UpdateFetch();
    if (video_ != nullptr) InvalidateRect(video_, nullptr, TRUE);
    for (const PlaybackEvent& event : events) {
        if (freezeCount_ > 0) continue;
        if (event.kind == EventKind::StateChange) {
            Log("event OnStateChange %d", event.state);
            VARIANT argument;
            VariantInit(&argument);
            argument.vt = VT_I4;
            argument.lVal = event.state;
            connectionPoint_->Fire(kOnStateChange, &argument, 1);
        } else {
            Log("event OnClosePlayer");
            connectionPoint_->Fire(kOnClosePlayer, nullptr, 0);
        }
    }
}

void ZivControl::UpdateFetch() {
    if (!playback_.WantsStream() || window_ == nullptr) {
        fetch_.Stop();
        fetchedUrl_.clear();
        return;
    }
    if (playback_.Url() == fetchedUrl_) return;
    fetch_.Stop();
    fetchedUrl_ = playback_.Url();
    const FetchTarget target = ParseFetchUrl(fetchedUrl_);
    if (!target.allowed) {
        Log("fetch refused");  // the state stays connecting
        return;
    }
    fetch_.Start(target, window_);
}

void ZivControl::OnFetchNote(UINT note, WPARAM generation) {
    if (generation != fetch_.Generation() || !fetch_.Running()) return;
    AddRef();
    try {
        if (note == kFetchStarted) Raise(playback_.StreamStarted());
        else if (note == kFetchEnded) Raise(playback_.StreamEnded());
        else if (video_ != nullptr) InvalidateRect(video_, nullptr, TRUE);
    } catch (...) {
        // No exception may leave the window procedure; the note is dropped.
    }
    Release();
}

void ZivControl::ArmConnectTimer() {
    if (connectTimer_ != 0) return;
    connectTimer_ = SetTimer(nullptr, 0, ConnectDelay(), &ZivControl::ConnectTimerProc);
    if (connectTimer_ != 0) ConnectTimers()[connectTimer_] = this;
}

void ZivControl::KillConnectTimer() {
    if (connectTimer_ == 0) return;
    KillTimer(nullptr, connectTimer_);
    ConnectTimers().erase(connectTimer_);
    connectTimer_ = 0;
}

void CALLBACK ZivControl::ConnectTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = ConnectTimers().find(id);
    if (found == ConnectTimers().end()) return;
    ZivControl* control = found->second;
    ConnectTimers().erase(found);
    control->connectTimer_ = 0;
    control->AddRef();
    try {
        control->Raise(control->playback_.ConnectElapsed());
    } catch (...) {
        // No exception may leave the timer callback; the event is dropped.
    }
    control->Release();
}

void ZivControl::ReadSettings() {
    std::wstring folder = ModuleFolder();
    int length = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string path(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    if (length > 1) WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, path.data(), length, nullptr, nullptr);
    path += "zhuce.ini";
    std::string line;
    for (const char* key : {"udp", "tcp", "pdlj", "wllj", "wllx", "upnp", "pjlj"}) {
        char value[128];
        GetPrivateProfileStringA(key, key, "-", value, sizeof value, path.c_str());
        if (!line.empty()) line += ' ';
        line += std::string(key) + "=" + (value[0] != '\0' ? value : "-");
    }
    Log("settings %s", line.c_str());
    settingsLine_.assign(line.begin(), line.end());
    if (info_ != nullptr) {
        SetWindowTextW(info_, settingsLine_.c_str());
        InvalidateRect(info_, nullptr, TRUE);
    }
}

STDMETHODIMP ZivControl::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) site->AddRef();
    if (clientSite_ != nullptr) clientSite_->Release();
    clientSite_ = site;
    return S_OK;
}

STDMETHODIMP ZivControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = clientSite_;
    if (clientSite_ != nullptr) clientSite_->AddRef();
    return S_OK;
}

STDMETHODIMP ZivControl::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP ZivControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZivControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZivControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE &&
        verb != OLEIVERB_PRIMARY)
        return OLEOBJ_S_INVALIDVERB;
    if (window_ != nullptr) {
        if (position != nullptr) SetObjectRects(position, position);
        return S_OK;
    }
    IOleClientSite* from = site != nullptr ? site : clientSite_;
    if (from == nullptr) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND siteWindow = nullptr;
    if (FAILED(inPlace->GetWindow(&siteWindow)) || siteWindow == nullptr) siteWindow = parent;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT pos = position != nullptr ? *position : RECT{0, 0, 441, 387}, clip = pos;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &pos, &clip, &info))) {
        if (frame != nullptr) frame->Release();
        if (document != nullptr) document->Release();
    }
    if (position != nullptr) pos = *position;
    if (siteWindow == nullptr || !CreateWindows(siteWindow, pos)) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return E_FAIL;
    }
    inPlaceSite_ = inPlace;
    Log("activate hwnd=%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window_)));
    return S_OK;
}

STDMETHODIMP ZivControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) *verbs = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZivControl::GetUserClassID(CLSID* id) {
    if (id == nullptr) return E_POINTER;
    *id = kClassId;
    return S_OK;
}

STDMETHODIMP ZivControl::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr) *type = nullptr;
    return OLE_S_USEREG;
}

STDMETHODIMP ZivControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    extent_ = *size;
    Log("SetExtent %ldx%ld", static_cast<long>(size->cx), static_cast<long>(size->cy));
    return S_OK;
}

STDMETHODIMP ZivControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP ZivControl::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP ZivControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise != nullptr) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP ZivControl::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_RECOMPOSEONRESIZE |
              OLEMISC_CANTLINKINSIDE;
    return S_OK;
}

STDMETHODIMP ZivControl::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP ZivControl::InPlaceDeactivate() {
    if (window_ == nullptr && inPlaceSite_ == nullptr) return S_OK;
    fetch_.Stop();
    fetchedUrl_.clear();
    DestroyWindows();
    Log("deactivate");
    if (inPlaceSite_ != nullptr) {
        IOleInPlaceSite* site = inPlaceSite_;
        inPlaceSite_ = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP ZivControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) return E_POINTER;
    if (window_ != nullptr && IsWindow(window_))
        MoveWindow(window_, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP ZivControl::GetClassID(CLSID* id) {
    if (id == nullptr) return E_POINTER;
    *id = kClassId;
    return S_OK;
}

STDMETHODIMP ZivControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP ZivControl::InitNew() {
    mute_ = fullScreen_ = showP2PInfo_ = showPlayControl_ = false;
    return S_OK;
}

STDMETHODIMP ZivControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZivControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, kEventsId)) return CONNECT_E_NOCONNECTION;
    connectionPoint_->AddRef();
    *point = connectionPoint_;
    return S_OK;
}

STDMETHODIMP ZivControl::FreezeEvents(BOOL freeze) {
    if (freeze) ++freezeCount_;
    else if (freezeCount_ > 0) --freezeCount_;
    return S_OK;
}

}  // namespace ziv
