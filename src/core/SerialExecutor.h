#pragma once

#include <QThreadPool>

#include <functional>

// Background work that must run in submission order (ordered file writes): a pool of one thread.
class SerialExecutor {
public:
    SerialExecutor();
    ~SerialExecutor();

    void post(std::function<void()> task);
    // Blocks until every posted task has run (used on quit and in tests).
    void waitForDone();
    QThreadPool* pool() { return &m_pool; }

private:
    QThreadPool m_pool;
};
