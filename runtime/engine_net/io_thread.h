// The one IO thread of the process and its io_context (IOCP under Windows, epoll natively).
// The context is made at the first socket creation; the thread runs until the last NetCleanup.
#pragma once

#include "asio_config.h"

namespace kuz {

// Made on first use; never destroyed.
asio::io_context& IoContext();
// Starts the thread when it is not running. Called with the table lock held.
bool StartIoThread();
// Stops and joins the thread. Called without the table lock (completions take it).
void StopIoThread();

}  // namespace kuz
