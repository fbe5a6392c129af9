// The source socket address of a received datagram. A request reply carries it right behind
// the reply's data, at any alignment, so it is copied out before its fields are read.
#pragma once

#include <cstring>

#include "outside_abi.h"

// False when there is no address.
inline bool CopySenderAddress(const NetSockAddr* sender, NetSockAddr* out) {
    if (!sender) return false;
    std::memcpy(out, sender, sizeof(NetSockAddr));
    return true;
}
