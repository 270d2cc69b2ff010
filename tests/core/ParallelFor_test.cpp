// The band loop must never wait for work still queued behind it: that froze the application on
// one-CPU machines, where the caller itself holds the only pool thread.
#include "core/ParallelFor.h"
#include "image/PngEncoder.h"
#include "support/BusyPool.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QThread>
#include <QSemaphore>
#include <QThreadPool>
#include <QtConcurrent>

#include <atomic>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

TEST(ParallelFor, RunsEveryItemOnceFromAnyThreadAndNests)
{
    for (int count : { 0, 1, 2, 7, 1000 }) {
        std::vector<std::atomic<int>> hits(size_t(std::max(count, 1)));
        parallelFor(count, [&](int i) { ++hits[size_t(i)]; });
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(hits[size_t(i)].load(), 1) << count << " items, item " << i;
    }

    // Nested loops, each started from inside the outer one's helper threads.
    std::atomic<int> total { 0 };
    parallelFor(8, [&](int) { parallelFor(50, [&](int) { ++total; }); });
    EXPECT_EQ(total.load(), 400);
}

TEST(ParallelFor, FinishesInsideAPoolWhoseOtherThreadsAreAllBusy)
{
    // One free thread in a pool of two, as on a machine with one CPU plus the caller: the loop and
    // the encoder's bands must complete on the caller's own thread.
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    QSemaphore started, gate;
    pool.start([&] {
        started.release();
        gate.acquire();
    });
    started.acquire();

    QImage image(1200, 900, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    std::atomic<int> items { 0 };
    QFuture<QByteArray> png = QtConcurrent::run(&pool, [&] {
        BusyPool bands(QThreadPool::globalInstance());
        parallelFor(64, [&](int) { ++items; });
        return PngEncoder::encode(image);
    });
    QDeadlineTimer deadline(10000);
    while (!png.isFinished() && !deadline.hasExpired())
        QThread::msleep(5);
    gate.release();
    ASSERT_TRUE(png.isFinished()) << "the loop waited for queued work of a busy pool";
    EXPECT_EQ(items.load(), 64);
    EXPECT_EQ(QImage::fromData(png.result(), "PNG").pixel(5, 5), image.pixel(5, 5));
}

TEST(ParallelFor, RethrowsTheFirstErrorOnlyAfterEveryRunningItemHasFinished)
{
    // Items still running on helper threads use the caller's stack: the error must not unwind it
    // under them. Items not yet begun are not started. Enough of them that the first throw (slow
    // under the sanitizers) is over long before the helpers could have begun them all.
    std::atomic<int> started { 0 }, running { 0 }, finishedAfterReturn { 0 };
    std::atomic<bool> returned { false };
    EXPECT_THROW(parallelFor(2000,
                     [&](int i) {
                         ++started;
                         ++running;
                         if (i == 3)
                             throw std::runtime_error("bad band");
                         QThread::msleep(2);
                         finishedAfterReturn += returned.load();
                         --running;
                     }),
        std::runtime_error);
    returned = true;
    EXPECT_EQ(running.load(), 1); // only the failed item never counted itself out
    EXPECT_EQ(finishedAfterReturn.load(), 0);
    EXPECT_LT(started.load(), 2000);
}
