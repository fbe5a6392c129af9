// The host's own IPv4 addresses as the SysInfoBlock lists them.
#pragma once

#include <cstdint>

// Descending by the four address bytes read as one little-endian word, so the last octet
// weighs most (10.0.0.2 comes before 192.168.0.1).
void SortLocalAddresses(uint32_t* addresses_be, int count);

// Fills up to 32 addresses (network order) in that order; returns the count (0 on failure).
int GetLocalAddresses(uint32_t out[32]);
