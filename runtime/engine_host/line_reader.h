// Reads stdin lines on a thread of its own and queues them for the main thread, which alone
// calls into the framework host.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

class LineReader {
public:
    // Starts the reader thread (it is never joined: it may stay blocked in a read at exit).
    void Start();
    // Waits up to ms for a line; false when none came.
    bool WaitLine(std::string& line, unsigned ms);
    bool Ended();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<std::string> m_lines;
    bool m_ended = false;
};
