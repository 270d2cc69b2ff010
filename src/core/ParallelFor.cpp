#include "core/ParallelFor.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {

// The helpers' own pool: band work never competes for, or waits on, the global pool's threads.
QThreadPool* bandPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        p->setExpiryTimeout(10000);
        return p;
    }();
    return pool;
}

// Lives as long as the last helper task: a helper that starts after the loop has returned finds
// nothing left to claim and leaves without touching the caller's body.
struct Loop {
    const std::function<void(int)>* body = nullptr;
    int count = 0;
    std::atomic<int> next { 0 };
    std::atomic<bool> failed { false };
    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;
    std::exception_ptr error;

    void work()
    {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
            std::exception_ptr thrown;
            // After a failure the remaining items are only counted off, not run.
            if (!failed.load()) {
                try {
                    (*body)(i);
                } catch (...) {
                    thrown = std::current_exception();
                    failed = true;
                }
            }
            std::lock_guard lock(mutex);
            if (thrown && !error)
                error = thrown;
            if (++done == count)
                finished.notify_all();
        }
    }
};

}

void parallelFor(int count, const std::function<void(int)>& body, QThreadPool* pool)
{
    if (count <= 0)
        return;
    if (count == 1) {
        body(0);
        return;
    }
    auto loop = std::make_shared<Loop>();
    loop->body = &body;
    loop->count = count;
    QThreadPool* helpersPool = pool ? pool : bandPool();
    const int helpers = std::min(count - 1, helpersPool->maxThreadCount());
    for (int h = 0; h < helpers; ++h)
        helpersPool->start([loop] { loop->work(); });
    loop->work();
    std::unique_lock lock(loop->mutex);
    loop->finished.wait(lock, [&] { return loop->done == loop->count; });
    if (loop->error)
        std::rethrow_exception(loop->error);
}
