#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

// Asks a window _NET_WM_PING again and again from a connection of its own and keeps the longest
// wait for the answer, which the application's main thread gives: the longest the application
// left its window without a frame.
class PingProbe {
public:
    explicit PingProbe(uint32_t window);
    ~PingProbe();

    void stop();
    int longestMs() const { return m_longestMs; }
    int answered() const { return m_answered; }

private:
    void run();

    uint32_t m_window;
    std::atomic<bool> m_running { true };
    std::atomic<int> m_longestMs { 0 };
    std::atomic<int> m_answered { 0 };
    std::thread m_thread;
};
