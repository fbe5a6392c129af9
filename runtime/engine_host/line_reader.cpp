#include "line_reader.h"

#include <chrono>
#include <iostream>
#include <thread>

void LineReader::Start() {
    std::thread([this] { Run(); }).detach();
}

void LineReader::Run() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
        m_cond.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_cond.notify_all();
}

bool LineReader::WaitLine(std::string& line, unsigned ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_lines.empty() || m_ended; });
    if (m_lines.empty()) return false;
    line = m_lines.front();
    m_lines.pop_front();
    return true;
}

bool LineReader::Ended() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended && m_lines.empty();
}
