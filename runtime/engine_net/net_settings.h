// The environment seams of the network library. They are read on the API caller's thread
// when a socket is made or used, never on the IO thread, so a test may change them between calls.
#pragma once

#include <cstdint>
#include <string>

namespace kuz {

constexpr uint32_t kDefaultConnectTimeoutS = 20;
constexpr uint32_t kDefaultMaxFrame = 131072;
constexpr int kDefaultStreamSndBuf = 65536;

// Dotted IPv4 texts; the empty text means "not set".
std::string BindAddress();        // KUZ_BIND_ADDR: kinds 2 and 5, source of outgoing connects
std::string StreamBindAddress();  // KUZ_STREAM_BIND, default 127.0.0.1
bool LoopbackOnly();              // KUZ_LOOPBACK_ONLY, default on
uint32_t ConnectTimeoutS();       // KUZ_CONNECT_TIMEOUT_S
uint32_t MaxFrame();              // KUZ_MAX_FRAME
int StreamSndBuf();               // KUZ_SNDBUF
std::string LogPath();            // KUZ_LOG
std::string NetemText();          // KUZ_NETEM
bool TrapAborts();                // QUIB_TRAP=1: trap stubs abort after logging

// The forced NetCreateBoundSocket result for a port listed in KUZ_FAIL_BIND ("7700,7701:-3"),
// or 0 when the port is not listed.
int ForcedBindResult(int port);
// The same, parsed from a given list (tests of the syntax).
int ForcedBindResultFrom(const char* list, int port);

}  // namespace kuz
