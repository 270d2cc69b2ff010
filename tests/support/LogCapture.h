#pragma once

#include "core/Log.h"

#include <QMutex>
#include <QStringList>

// Collects log lines for the lifetime of the object. Lines may come from any thread; read
// `lines` directly only once the threads that log are done.
class LogCapture {
public:
    LogCapture()
    {
        setLogSink([this](const QString& line) {
            QMutexLocker locker(&m_lock);
            lines.append(line);
        });
    }
    ~LogCapture() { setLogSink({}); }

    int count(const QString& needle) const
    {
        QMutexLocker locker(&m_lock);
        int n = 0;
        for (const QString& line : lines)
            n += line.contains(needle) ? 1 : 0;
        return n;
    }

    QStringList lines;

private:
    mutable QMutex m_lock;
};
