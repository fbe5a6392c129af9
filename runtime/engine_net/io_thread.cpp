#include "io_thread.h"

#include <thread>

namespace kuz {

namespace {

using WorkGuard = asio::executor_work_guard<asio::io_context::executor_type>;

// Heap objects, never freed: nothing of the library is torn down at process exit.
asio::io_context* g_io = nullptr;
WorkGuard* g_work = nullptr;
std::thread* g_thread = nullptr;

void RunLoop(asio::io_context* io) {
    for (;;) {
        try {
            io->run();
            return;
        } catch (...) {
            // A completion is wrapped against exceptions; anything else is survived as well.
        }
    }
}

}  // namespace

asio::io_context& IoContext() {
    if (!g_io) g_io = new asio::io_context(1);
    return *g_io;
}

bool StartIoThread() {
    if (g_thread) return true;
    asio::io_context& io = IoContext();
    io.restart();
    g_work = new WorkGuard(io.get_executor());
    try {
        g_thread = new std::thread(RunLoop, &io);
    } catch (...) {
        delete g_work;
        g_work = nullptr;
        return false;
    }
    return true;
}

void StopIoThread() {
    if (!g_thread) return;
    delete g_work;
    g_work = nullptr;
    g_io->stop();
    if (g_thread->joinable()) g_thread->join();
    delete g_thread;
    g_thread = nullptr;
}

}  // namespace kuz
