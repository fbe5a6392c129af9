// TSTMOD.DLL, the test module (component type 4242, or TSTMOD_TYPE): its components log every
// message they get, acknowledge handed-over connections and run script actions carried by host
// command 2012, so tests can drive the framework's routing, requests and fault handling.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "engine_tables.h"
#include "message_ids.h"
#include "message_object.h"
#include "message_object_destroy.h"
#include "module_binding.h"
#include "platform.h"

namespace {
constexpr int32_t kDefaultType = 4242;
constexpr uint32_t kNetRequestOffset = 164;
constexpr uint32_t kActionOffset = 16;  // behind the GUID of the command's data
constexpr uint32_t kArgumentsOffset = 20;
constexpr char kAck[] = "TSTMOD-ACK";

enum Action : uint32_t {
    ACTION_FAULT = 1,
    ACTION_REQUEST = 2,
    ACTION_BLOCK = 3,
    ACTION_INVALID_TARGET = 4,
    ACTION_UNREADABLE_TARGET = 5,
    ACTION_DELETE_OBJECT = 6,
    ACTION_THROW = 7,
    ACTION_SLEEP = 8,
};

// A message target that is no object: its word at +4 is whatever action 4 asks for.
uint32_t g_fake_object[4] = {0, 0, 0, 0};

uint32_t ReadU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint16_t ReadU16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

int32_t ComponentType() {
    const char* text = platform::GetEnv("TSTMOD_TYPE");
    return text ? static_cast<int32_t>(std::strtol(text, nullptr, 10)) : kDefaultType;
}

#if defined(_WIN32)
#define TSTMOD_NO_SANITIZE
#else
#define TSTMOD_NO_SANITIZE __attribute__((no_sanitize_address, no_sanitize_undefined, noinline))
#endif

// The fault of action 1: a store to address 0 inside OnMessage.
TSTMOD_NO_SANITIZE void WriteToAddressZero() {
    volatile uintptr_t address = 0;
    *reinterpret_cast<volatile uint32_t*>(address) = 1;
}

class CTestComponent : public CMessageObject {
public:
    explicit CTestComponent(const uint8_t* block)
        : m_create_request(reinterpret_cast<CreateNetRequestFn>(
              static_cast<uintptr_t>(ReadU32(block + kNetRequestOffset)))) {}

    int OnMessage(FrameworkMessage* msg) override {
        try {
            Log(*msg);
            Handle(*msg);
        } catch (...) {
            CoreLogText("TSTMOD exception");
        }
        return 0;
    }

private:
    void Log(const FrameworkMessage& m) {
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        if (m.id == MSG_NET_DATAGRAM || (m.id >= MSG_CMD_2001 && m.id <= MSG_CMD_2012)) {
            data = FromWord<const uint8_t>(m.p1);
            length = m.p2;
        } else if (m.id == MSG_CONNECTION_HANDOVER) {
            data = FromWord<const uint8_t>(m.p2);
            length = m.p3;
        }
        char hex[65] = "";
        for (uint32_t i = 0; data && i < length && i < 32; ++i) std::snprintf(hex + 2 * i, 3, "%02x", data[i]);
        CoreLogPrintf("TSTMOD id=%d sender=%#x p1=%#x p2=%#x p3=%#x p4=%#x len=%u data=%s", static_cast<int>(m.id),
                      m.sender, m.p1, m.p2, m.p3, m.p4, length, hex);
    }

    void Handle(const FrameworkMessage& m) {
        switch (m.id) {
            case MSG_NET_DATAGRAM: OnDatagram(m); break;
            case MSG_NET_FAILED: CoreLogPrintf("TSTMOD failed %u", m.p1); break;
            case MSG_CONNECTION_HANDOVER: OnHandover(m); break;
            case MSG_CMD_2012: {
                auto* block = FromWord<uint8_t>(m.p1);
                struct FreeOnExit {
                    void* b;
                    ~FreeOnExit() { CoreFree(b); }
                } free_on_exit{block};
                if (m.p2 >= kArgumentsOffset) RunAction(ReadU32(block + kActionOffset), block + kArgumentsOffset,
                                                        m.p2 - kArgumentsOffset);
                break;
            }
            case MSG_CMD_2001:
            case MSG_CMD_2002:
            case MSG_CMD_2010:
            case MSG_CMD_2011: CoreFree(FromWord<void>(m.p1)); break;
            default: break;
        }
    }

    void OnDatagram(const FrameworkMessage& m) {
        if (m.p4 == 1) {
            // The address sits right behind the reply data, so it may be unaligned.
            NetSockAddr peer;
            std::memcpy(&peer, FromWord<const void>(m.p3), sizeof(peer));
            const auto* ip = reinterpret_cast<const uint8_t*>(&peer.addr_be);
            const uint16_t port = static_cast<uint16_t>((peer.port_be >> 8) | (peer.port_be << 8));
            CoreLogPrintf("TSTMOD reply n=%u at=%u family=%u peer=%u.%u.%u.%u:%u", m.p2, m.p3 - m.p1,
                          static_cast<unsigned>(peer.family), ip[0], ip[1], ip[2], ip[3], static_cast<unsigned>(port));
            CoreFree(FromWord<void>(m.p1));
        } else {
            NetFreeBuffer(FromWord<void>(m.p1));
        }
    }

    void OnHandover(const FrameworkMessage& m) {
        const int socket = static_cast<int>(m.p1);
        NetSetHandler(socket, this);
        NetFreeBuffer(FromWord<void>(m.p2));
        NetSend(socket, kAck, sizeof(kAck) - 1);
        NetClose(socket);
        NetDestroySocket(socket);
    }

    void RunAction(uint32_t action, const uint8_t* args, uint32_t length) {
        CoreLogPrintf("TSTMOD action %u", action);
        switch (action) {
            case ACTION_FAULT: WriteToAddressZero(); break;
            case ACTION_REQUEST: {
                if (length < 10) return;
                const uint32_t ip = ReadU32(args);
                const uint16_t port = ReadU16(args + 4);
                const uint32_t timeout = ReadU32(args + 6);
                if (!m_create_request) return;
                m_create_request(this, ip, port, timeout, args + 10, length - 10);
                break;
            }
            case ACTION_BLOCK:
                if (length >= 4) CorePostMessage(0, AsTarget(), MSG_BLOCK_ADDRESS, ReadU32(args));
                break;
            case ACTION_INVALID_TARGET:
                g_fake_object[1] = length >= 4 ? ReadU32(args) : 0;
                CorePostMessage(ToWord(g_fake_object), AsTarget(), MSG_TIMER, 1, 2, 3, 4);
                break;
            case ACTION_UNREADABLE_TARGET:
                CorePostMessage(length >= 4 ? ReadU32(args) : 0x10, AsTarget(), MSG_TIMER, 1, 2, 3, 4);
                break;
            case ACTION_DELETE_OBJECT: {
                const bool self = length >= 4 && ReadU32(args) == 1;
                CorePostMessage(0, AsTarget(), MSG_DELETE_OBJECT, self ? AsTarget() : ToWord(g_fake_object));
                break;
            }
            case ACTION_THROW: throw std::runtime_error("TSTMOD throw");
            case ACTION_SLEEP:
                if (length >= 4) platform::SleepMs(ReadU32(args));
                break;
            default: break;
        }
    }

    CreateNetRequestFn m_create_request;
};

uint32_t ENGINE_CALL Create(void* block) {
    try {
        auto* component = new (std::nothrow) CTestComponent(static_cast<const uint8_t*>(block));
        return component ? component->AsTarget() : 0;
    } catch (...) {
        return 0;
    }
}
}  // namespace

ENGINE_EXPORT ModuleRegistration* ENGINE_CALL TS_XXXX(ModuleRegistration* registration) {
    *registration = {kModuleInterfaceVersion, ComponentType(), &Create, &DestroyMessageObject};
    CoreLogPrintf("TSTMOD registered type %d", static_cast<int>(registration->type));
    return registration;
}
