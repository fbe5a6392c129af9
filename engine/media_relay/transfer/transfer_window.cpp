#include "transfer/transfer_window.h"

#include <algorithm>

uint32_t CTransferWindow::Sample(uint32_t pass_tick, uint32_t pieces, uint32_t now) {
    const uint32_t elapsed = now - pass_tick;
    if (elapsed == 0) return kMaxWindow;
    const double rate = static_cast<double>(pieces) / elapsed * kSampleSpanMs;
    return rate >= kMaxWindow ? kMaxWindow : static_cast<uint32_t>(rate);
}

void CTransferWindow::OnPassComplete(uint32_t pass_tick, uint32_t pieces, uint32_t now) {
    const uint32_t sample = Sample(pass_tick, pieces, now);
    if (m_samples == 0) {
        m_samples = 1;
        m_window = sample;
    } else {
        if (m_samples == kSampleRestart) m_samples = kSampleRestartTo;
        ++m_samples;
        // Counted before it is used, so each sample adds its share on top of the previous window.
        m_window = std::min<uint32_t>(kMaxWindow, (m_previous * m_samples + sample) / m_samples);
    }
    m_previous = m_window;
}

void CTransferWindow::OnPassPiece(uint32_t pass_tick, uint32_t now) {
    if (static_cast<int32_t>(now - pass_tick) > static_cast<int32_t>(kSampleSpanMs) && m_window > 1) --m_window;
}
