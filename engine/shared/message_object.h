// Base of every engine object that receives framework messages. The validity word right
// after the table pointer tells the message loop whether the object is still alive.
#pragma once

#include <cstdint>

#include "outside_abi.h"

constexpr uint32_t OBJECT_ALIVE = 0xFAFBFCFD;
constexpr uint32_t OBJECT_DEAD = 0xFAFAFAFA;

class CMessageObject {
public:
    CMessageObject() : m_validity(OBJECT_ALIVE) {}
    CMessageObject(const CMessageObject&) = delete;
    CMessageObject& operator=(const CMessageObject&) = delete;

    // Runs after the derived class's own clean-up: unregisters the object from the core
    // (which purges its queued messages, timers and socket handlers) and marks it dead.
    virtual ~CMessageObject();

    virtual int OnMessage(FrameworkMessage* msg);

    uint32_t Validity() const { return m_validity; }
    bool IsAlive() const { return m_validity == OBJECT_ALIVE; }

    // The word a message target carries at offset 4; the loop reads it there.
    static constexpr uint32_t kValidityOffset = 4;

    // Message words carry objects as 32-bit values.
    uint32_t AsTarget() { return ToWord(this); }
    static CMessageObject* FromTarget(uint32_t word) {
        return FromWord<CMessageObject>(word);
    }

private:
    uint32_t m_validity;
};

// Reads the validity word of a possibly foreign target by address, as the loop does.
inline uint32_t ReadValidityWord(const void* target) {
    return *reinterpret_cast<const volatile uint32_t*>(static_cast<const char*>(target) +
                                                       CMessageObject::kValidityOffset);
}
