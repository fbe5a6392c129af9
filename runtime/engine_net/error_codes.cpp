#include "error_codes.h"

#include <cerrno>

#include "asio_config.h"

namespace kuz {

namespace {

bool IsAddressNotAvailable(const std::error_code& ec) {
#if defined(_WIN32)
    return ec.value() == WSAEADDRNOTAVAIL && ec.category() == asio::system_category();
#else
    return ec.value() == EADDRNOTAVAIL && ec.category() == asio::system_category();
#endif
}

}  // namespace

uint32_t WsaCodeOf(const std::error_code& ec) {
    if (ec == asio::error::connection_refused) return kWsaConnRefused;
    if (ec == asio::error::timed_out) return kWsaTimedOut;
    if (ec == asio::error::connection_reset || ec == asio::error::broken_pipe ||
        ec == asio::error::connection_aborted)
        return kWsaConnReset;
    if (ec == asio::error::message_size) return kWsaMsgSize;
    if (ec == asio::error::host_unreachable || ec == asio::error::network_unreachable) return kWsaHostUnreach;
    if (ec == asio::error::address_in_use) return kWsaAddrInUse;
    if (ec == asio::error::access_denied || ec == asio::error::no_permission) return kWsaAccess;
    if (IsAddressNotAvailable(ec)) return kWsaAddrNotAvail;
#if defined(_WIN32)
    // Winsock codes pass through unchanged.
    if (ec.category() == asio::system_category() && ec.value() >= 10000 && ec.value() < 12000)
        return static_cast<uint32_t>(ec.value());
#endif
    return kWsaConnReset;
}

int BindFailureResult(const std::error_code& ec) {
    if (ec == asio::error::address_in_use) return -2;
    if (ec == asio::error::access_denied || ec == asio::error::no_permission || IsAddressNotAvailable(ec)) return -3;
    return -1;
}

}  // namespace kuz
