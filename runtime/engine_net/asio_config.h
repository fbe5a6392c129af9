// The one place asio is included from, so every unit sees the same configuration.
#pragma once

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#endif

#include <asio.hpp>
