// How many piece requests a peer transfer may have outstanding. It follows how fast the peer
// delivers: when the last piece of a request pass arrives, the pass's pieces per 5000 ms give a
// sample (at most 8) that is folded into the window; a pass whose pieces trickle in for more
// than 5000 ms shrinks it by one.
#pragma once

#include <cstdint>

class CTransferWindow {
public:
    static constexpr uint32_t kMaxWindow = 8;
    static constexpr uint32_t kSampleSpanMs = 5000;
    static constexpr uint32_t kSampleRestart = 20;  // at this many samples the count drops back
    static constexpr uint32_t kSampleRestartTo = 10;

    explicit CTransferWindow(uint32_t initial) : m_window(initial) {}

    uint32_t Size() const { return m_window; }
    uint32_t Samples() const { return m_samples; }

    // The last piece of a pass came in: `pieces` of the pass arrived since `pass_tick`.
    void OnPassComplete(uint32_t pass_tick, uint32_t pieces, uint32_t now);
    // A piece of a pass that still has others outstanding came in.
    void OnPassPiece(uint32_t pass_tick, uint32_t now);

    static uint32_t Sample(uint32_t pass_tick, uint32_t pieces, uint32_t now);

private:
    uint32_t m_window;
    uint32_t m_samples = 0;
    uint32_t m_previous = 0;
};
