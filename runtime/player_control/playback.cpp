#include "playback.h"

#include "channel_name.h"

namespace ziv {

Events Playback::SetState(int state) {
    if (state == state_) return {};
    state_ = state;
    return {PlaybackEvent{EventKind::StateChange, state}};
}

Events Playback::Connect() {
    // A URL naming "stall" never finishes connecting: it stands for a channel without a stream.
    // A fetched stream finishes when it starts.
    connectPending_ = url_.find(L"stall") == std::wstring::npos && !(fetchMode_ && !isFile_);
    return SetState(3);
}

Events Playback::PutUrl(const std::wstring& url) {
    if (url.empty()) return Stop();
    url_ = url;
    isFile_ = false;
    channelName_ = ChannelNameFromUrl(url);
    return Connect();
}

Events Playback::OpenMediaFile(const std::wstring& path) {
    if (path.empty()) return Stop();
    url_ = path;
    isFile_ = true;
    channelName_ = ChannelNameFromFile(path);
    return Connect();
}

Events Playback::StreamStarted() { return state_ == 3 && WantsStream() ? SetState(2) : Events{}; }

Events Playback::StreamEnded() { return state_ == 2 && WantsStream() ? SetState(3) : Events{}; }

Events Playback::ConnectElapsed() {
    if (!connectPending_) return {};
    connectPending_ = false;
    return state_ == 3 ? SetState(2) : Events{};
}

Events Playback::Play() {
    if (state_ == 1) return SetState(2);
    if (state_ == 0 && !url_.empty()) return Connect();
    return {};
}

Events Playback::Pause() { return state_ == 2 ? SetState(1) : Events{}; }

Events Playback::Stop() {
    connectPending_ = false;
    Events events = SetState(0);
    events.push_back(PlaybackEvent{EventKind::ClosePlayer, 0});
    return events;
}

}  // namespace ziv
