// What the update downloads accept of an HTTP reply: a complete 200 answer of at most
// kLargestDownload bytes. A larger reply is abandoned as soon as its size is known (or once that
// much has arrived), and a body shorter than its announced length is a cut transfer, not a file.
#pragma once

#include <cstdint>

namespace zentavo {

// Far above any channel database or update description; a reply this large is not one.
inline constexpr std::uint64_t kLargestDownload = 64ull * 1024 * 1024;

struct ReplyHead {
    unsigned status = 0;
    bool lengthKnown = false;
    std::uint64_t length = 0;  // the announced body length, when known
};

// Whether to read the body at all.
bool ReplyMayBeRead(const ReplyHead& head);

// After `received` body bytes: whether reading may go on.
bool ReplyWithinLimit(std::uint64_t received);

// Once the body has ended: whether it is all there.
bool ReplyIsComplete(const ReplyHead& head, std::uint64_t received);

}  // namespace zentavo
