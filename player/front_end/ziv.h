// TZIV: the player control hosted by the main window, driven only by dispatch id.
#pragma once

#include <functional>
#include <string>

#include "ole_control.h"

namespace zentavo {

class TZIV : public tk::TOleControl {
    TK_CLASS(TZIV)
public:
    enum DispatchId : DISPID {
        kUrl = 2,
        kState = 6,
        kFullScreen = 7,
        kMute = 8,
        kChannelName = 17,
        kPlay = 25,
        kPause = 26,
        kStop = 27,
        kOpenMediaFile = 29,
        kShowP2PInfo = 32,
        kShowPlayControl = 35,
    };
    enum EventId : DISPID { kOnStateChange = 6, kOnClosePlayer = 7 };

    explicit TZIV(tk::TComponent* owner);  // EOleSysError when the control is not registered

    void SetURL(const std::wstring& url) { SetWideStringProp(kUrl, url); }
    std::wstring URL() { return GetWideStringProp(kUrl); }
    int State() { return GetIntegerProp(kState); }
    bool FullScreen() { return GetWordBoolProp(kFullScreen); }
    void SetFullScreen(bool v) { SetWordBoolProp(kFullScreen, v); }
    bool Mute() { return GetWordBoolProp(kMute); }
    void SetMute(bool v) { SetWordBoolProp(kMute, v); }
    std::wstring ChannelName() { return GetWideStringProp(kChannelName); }
    bool ShowP2PInfo() { return GetWordBoolProp(kShowP2PInfo); }
    void SetShowP2PInfo(bool v) { SetWordBoolProp(kShowP2PInfo, v); }
    bool ShowPlayControl() { return GetWordBoolProp(kShowPlayControl); }
    void SetShowPlayControl(bool v) { SetWordBoolProp(kShowPlayControl, v); }

    void Play() { CallMethod(kPlay); }
    void Pause() { CallMethod(kPause); }
    void Stop() { CallMethod(kStop); }
    void OpenMediaFile(const std::wstring& path) { CallMethod(kOpenMediaFile, path); }

    std::function<void(tk::TObject* sender, int nState)> OnStateChange;
    tk::TNotifyEvent OnClosePlayer;

    void InvokeEvent(DISPID id, DISPPARAMS* params) override;
};

}  // namespace zentavo
