#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <type_traits>
#include <utility>

// Work leaves the main thread only through these helpers and comes back with a queued call
// whose target is held weakly: when the owner is gone by then, the result is dropped.

// Runs `then()` on the main thread's event loop, unless `owner` has been destroyed by then.
// Safe to call from any thread.
template <typename Then>
void postToMain(QObject* owner, Then then)
{
    QPointer<QObject> guard(owner);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard, then = std::move(then)]() mutable {
            if (guard)
                then();
        },
        Qt::QueuedConnection);
}

// Runs `work()` on `pool`, then `then(result)` on the main thread while `owner` lives.
template <typename Work, typename Then>
void runInBackground(QThreadPool* pool, QObject* owner, Work work, Then then)
{
    QPointer<QObject> guard(owner);
    pool->start([guard, work = std::move(work), then = std::move(then)]() mutable {
        if constexpr (std::is_void_v<std::invoke_result_t<Work>>) {
            work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, then = std::move(then)]() mutable {
                    if (guard)
                        then();
                },
                Qt::QueuedConnection);
        } else {
            auto result = work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, then = std::move(then), result = std::move(result)]() mutable {
                    if (guard)
                        then(std::move(result));
                },
                Qt::QueuedConnection);
        }
    });
}
