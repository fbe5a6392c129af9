#include "net_settings.h"

#include <cstdlib>
#include <cstring>

namespace kuz {

namespace {

const char* Env(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? v : nullptr;
}

uint32_t PositiveOr(const char* name, uint32_t fallback) {
    const char* v = Env(name);
    if (!v) return fallback;
    char* end = nullptr;
    unsigned long n = std::strtoul(v, &end, 10);
    return (end != v && n > 0 && n <= 0x7FFFFFFFul) ? static_cast<uint32_t>(n) : fallback;
}

}  // namespace

std::string BindAddress() {
    const char* v = Env("KUZ_BIND_ADDR");
    return v ? v : "";
}

std::string StreamBindAddress() {
    const char* v = Env("KUZ_STREAM_BIND");
    return v ? v : "127.0.0.1";
}

bool LoopbackOnly() {
    const char* v = Env("KUZ_LOOPBACK_ONLY");
    return !(v && std::strcmp(v, "0") == 0);
}

uint32_t ConnectTimeoutS() {
    return PositiveOr("KUZ_CONNECT_TIMEOUT_S", kDefaultConnectTimeoutS);
}

uint32_t MaxFrame() {
    return PositiveOr("KUZ_MAX_FRAME", kDefaultMaxFrame);
}

int StreamSndBuf() {
    return static_cast<int>(PositiveOr("KUZ_SNDBUF", kDefaultStreamSndBuf));
}

std::string LogPath() {
    const char* v = Env("KUZ_LOG");
    return v ? v : "";
}

std::string NetemText() {
    const char* v = Env("KUZ_NETEM");
    return v ? v : "";
}

bool TrapAborts() {
    const char* v = Env("QUIB_TRAP");
    return v && std::strcmp(v, "1") == 0;
}

int ForcedBindResultFrom(const char* list, int port) {
    if (!list) return 0;
    const char* p = list;
    while (*p) {
        char* end = nullptr;
        long listed = std::strtol(p, &end, 10);
        if (end == p) {  // not a number: skip to the next entry
            const char* comma = std::strchr(p, ',');
            if (!comma) break;
            p = comma + 1;
            continue;
        }
        int result = -2;
        p = end;
        if (*p == ':') {
            long code = std::strtol(p + 1, &end, 10);
            if (end != p + 1 && code < 0) result = static_cast<int>(code);
            p = end;
        }
        if (listed == port) return result;
        const char* comma = std::strchr(p, ',');
        if (!comma) break;
        p = comma + 1;
    }
    return 0;
}

int ForcedBindResult(int port) {
    return ForcedBindResultFrom(Env("KUZ_FAIL_BIND"), port);
}

}  // namespace kuz
