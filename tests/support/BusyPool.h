#pragma once

#include <QSemaphore>
#include <QThreadPool>

// Keeps every thread of a pool busy until released (at the latest when destroyed), so work
// queued there waits, as on a loaded or one-CPU machine.
class BusyPool {
public:
    explicit BusyPool(QThreadPool* pool = QThreadPool::globalInstance())
        : m_pool(pool)
        , m_threads(pool->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i) {
            m_pool->start([this] {
                m_started.release();
                m_release.acquire();
            });
        }
        m_started.acquire(m_threads);
    }
    ~BusyPool()
    {
        release();
        m_pool->waitForDone();
    }

    void release()
    {
        m_release.release(m_threads - m_released);
        m_released = m_threads;
    }

private:
    QThreadPool* m_pool;
    int m_threads;
    int m_released = 0;
    QSemaphore m_started;
    QSemaphore m_release;
};
