// IPv4 addresses as the host writes them: dotted quads, held in network order.
#pragma once

#include <cstdint>
#include <string>

// Dotted quad to an IPv4 address in network order.
bool ParseIPv4(const std::string& text, uint32_t& out_be);
std::string IPv4Text(uint32_t address_be);
