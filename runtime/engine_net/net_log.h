// KUZ_LOG: one trace line per socket event, "<tick> s=<id> <what> ...". The file is opened at
// the first line. Lines are written under the socket-table lock.
#pragma once

#include <string>

namespace kuz {

// Takes the path (empty = no trace). Called on an API thread at the first socket creation.
void ConfigureTrace(const std::string& path);
void Trace(int socket_id, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace kuz
