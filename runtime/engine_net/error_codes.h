// Socket error codes as the engine sees them: Winsock numbers on every platform, so the
// native build reports the same values in MSG_NET_CONNECT_FAILED, MSG_NET_CLOSED and friends.
#pragma once

#include <cstdint>
#include <system_error>

namespace kuz {

constexpr uint32_t kWsaAccess = 10013;
constexpr uint32_t kWsaMsgSize = 10040;
constexpr uint32_t kWsaAddrInUse = 10048;
constexpr uint32_t kWsaAddrNotAvail = 10049;
constexpr uint32_t kWsaConnReset = 10054;
constexpr uint32_t kWsaTimedOut = 10060;
constexpr uint32_t kWsaConnRefused = 10061;
constexpr uint32_t kWsaHostUnreach = 10065;

// The Winsock code of an OS or asio error. Unknown errors become 10054: every caller treats
// the code as "the connection is gone".
uint32_t WsaCodeOf(const std::error_code& ec);

// NetCreateBoundSocket's result for a failed bind: -2 in use, -3 retryable, -1 otherwise.
int BindFailureResult(const std::error_code& ec);

}  // namespace kuz
