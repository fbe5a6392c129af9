// The stand-in control's playback states and the events each command raises, kept free of
// windows and COM. States: 0 stopped, 1 paused, 2 playing, 3 connecting or buffering.
#pragma once

#include <string>
#include <vector>

namespace ziv {

enum class EventKind { StateChange, ClosePlayer };

struct PlaybackEvent {
    EventKind kind;
    int state;  // for StateChange: the new state (already current when the event fires)
    bool operator==(const PlaybackEvent& other) const { return kind == other.kind && state == other.state; }
};

using Events = std::vector<PlaybackEvent>;

class Playback {
public:
    int State() const { return state_; }
    const std::wstring& Url() const { return url_; }
    const std::wstring& ChannelName() const { return channelName_; }
    // True while a connect delay runs; when it ends the owner calls ConnectElapsed.
    bool ConnectPending() const { return connectPending_; }

    // In fetch mode an address is played by fetching its stream: it finishes connecting when the
    // stream's first byte arrives, not after the delay. Media files keep the delay.
    void SetFetchMode(bool on) { fetchMode_ = on; }
    // Whether the owner should be fetching Url() now: in fetch mode, for an address, unless stopped.
    bool WantsStream() const { return fetchMode_ && !isFile_ && !url_.empty() && state_ != 0; }
    Events StreamStarted();  // 3 -> 2
    Events StreamEnded();    // 2 -> 3, while the owner connects again

    Events PutUrl(const std::wstring& url);          // an empty URL acts as Stop
    Events OpenMediaFile(const std::wstring& path);  // the file name becomes the channel name
    Events ConnectElapsed();                         // 3 -> 2
    Events Play();                                   // 1 -> 2; 0 with something to play -> 3, then 2
    Events Pause();                                  // 2 -> 1
    Events Stop();                                   // -> 0, then always OnClosePlayer

private:
    Events Connect();
    Events SetState(int state);

    int state_ = 0;
    std::wstring url_;
    std::wstring channelName_;
    bool connectPending_ = false;
    bool fetchMode_ = false;
    bool isFile_ = false;
};

}  // namespace ziv
