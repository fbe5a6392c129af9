#include "io/core_timer.h"

#include "engine_tables.h"
#include "message_ids.h"

void CTimerOwner::OnTimer(CCoreTimer*) {}

CTimerOwner& CTimerOwner::Null() {
    static CTimerOwner null_owner;
    return null_owner;
}

CCoreTimer::CCoreTimer() : m_owner(&CTimerOwner::Null()), m_id(-1), m_running(0) {}

CCoreTimer::~CCoreTimer() {
    Stop();
}

int CCoreTimer::OnMessage(FrameworkMessage* msg) {
    if (msg->id == MSG_TIMER) Expire();
    return 0;
}

int CCoreTimer::Stop() {
    if (!m_running) return 0;
    int result = CoreKillTimer(m_id);
    MarkStopped();
    return result;
}

void CCoreTimer::SetOwner(CTimerOwner* owner) {
    m_owner = owner ? owner : &CTimerOwner::Null();
}

bool CCoreTimer::StartWithRepeat(uint32_t ms, uint32_t repeat) {
    if (m_running) return false;
    int id = CoreSetTimer(ms, repeat, AsTarget(), AsTarget(), MSG_TIMER);
    if (id < 0) return false;  // queue closed or core unbound: nothing will ever expire
    m_id = id;
    m_running = 1;
    return true;
}

void CCoreTimer::MarkStopped() {
    m_id = -1;
    m_running = 0;
}

bool CPeriodicTimer::Start(uint32_t ms) {
    return StartWithRepeat(ms, 1);
}

void CPeriodicTimer::Expire() {
    // The owner may delete this timer (and itself) inside OnTimer: nothing runs afterwards.
    if (m_running) m_owner->OnTimer(this);
}

bool COneShotTimer::Start(uint32_t ms) {
    return StartWithRepeat(ms, 0);
}

void COneShotTimer::Expire() {
    if (!m_running) return;
    MarkStopped();
    m_owner->OnTimer(this);
}
