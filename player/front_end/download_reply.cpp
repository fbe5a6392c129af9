#include "download_reply.h"

namespace zentavo {

bool ReplyMayBeRead(const ReplyHead& head) {
    return head.status == 200 && (!head.lengthKnown || head.length <= kLargestDownload);
}

bool ReplyWithinLimit(std::uint64_t received) { return received <= kLargestDownload; }

bool ReplyIsComplete(const ReplyHead& head, std::uint64_t received) {
    return ReplyMayBeRead(head) && ReplyWithinLimit(received) && (!head.lengthKnown || received == head.length);
}

}  // namespace zentavo
