// Engine-core timers as message objects: the core posts MSG_TIMER to the timer itself, and
// the timer tells its owner through OnTimer. A periodic timer keeps firing until stopped; a
// one-shot timer counts as stopped before its owner hears of the expiry, so the owner can
// start it again from inside OnTimer.
#pragma once

#include <cstdint>

#include "message_object.h"

class CCoreTimer;

// Every class that owns a timer is a message object with this operation.
class CTimerOwner : public CMessageObject {
public:
    virtual void OnTimer(CCoreTimer* timer);
    // Shared, stateless owner of every timer whose user has not set its own.
    static CTimerOwner& Null();
};

class CCoreTimer : public CMessageObject {
public:
    CCoreTimer();
    ~CCoreTimer() override;

    int OnMessage(FrameworkMessage* msg) override;
    // False (and the running timer kept) while running, or when the core could not set it.
    virtual bool Start(uint32_t ms) = 0;
    virtual void Expire() = 0;

    // The core's kill result while running; 0 when not running.
    int Stop();
    bool IsRunning() const { return m_running != 0; }
    int32_t Id() const { return m_id; }
    void SetOwner(CTimerOwner* owner);
    CTimerOwner* Owner() const { return m_owner; }

protected:
    bool StartWithRepeat(uint32_t ms, uint32_t repeat);
    void MarkStopped();

    CTimerOwner* m_owner;
    int32_t m_id;
    uint8_t m_running;
};

class CPeriodicTimer : public CCoreTimer {
public:
    bool Start(uint32_t ms) override;
    void Expire() override;
};

class COneShotTimer : public CCoreTimer {
public:
    bool Start(uint32_t ms) override;
    void Expire() override;
};
