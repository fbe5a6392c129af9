// Where fetch mode reads an address's stream from: only plain HTTP on the loopback network
// (127.0.0.0/8, by number), so the stand-in never reaches beyond this machine.
#pragma once

#include <cstdint>
#include <string>

namespace ziv {

struct FetchTarget {
    bool allowed = false;
    std::uint32_t ipv4 = 0;  // host order
    std::uint16_t port = 80;
    std::string hostHeader;  // "127.0.0.1:PORT"
    std::string path;        // what follows the host, "/" when nothing does; non-ASCII as UTF-8 escapes
};

FetchTarget ParseFetchUrl(const std::wstring& url);

// The request the fetch sends for a target.
std::string FetchRequest(const FetchTarget& target);

}  // namespace ziv
