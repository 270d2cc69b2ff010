#pragma once

#include <atomic>
#include <thread>

// Another program on the test's X server that takes the CLIPBOARD selection and then lets a
// reader down: it never answers at all, or it offers a PNG, starts sending it in pieces (INCR)
// and goes away half-way, as a program that crashes does. It runs on a thread of its own with a
// connection of its own.
class ClipboardOwnerStandIn {
public:
    enum class Behaviour { neverAnswers, diesMidTransfer };
    explicit ClipboardOwnerStandIn(Behaviour behaviour);
    ~ClipboardOwnerStandIn();

    // Whether it holds the clipboard (it took it and has not gone away).
    bool ownsClipboard() const { return m_owns; }
    // Requests for the clipboard it has seen, and pieces of data it has sent.
    int requests() const { return m_requests; }
    int piecesSent() const { return m_pieces; }

private:
    void run();

    Behaviour m_behaviour;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_owns { false };
    std::atomic<bool> m_ready { false };
    std::atomic<int> m_requests { 0 };
    std::atomic<int> m_pieces { 0 };
    std::thread m_thread;
};
