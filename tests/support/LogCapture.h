#pragma once

#include "platform/Log.h"

#include <QStringList>

// Collects log lines for the lifetime of the object (main-thread tests only).
class LogCapture {
public:
    LogCapture() { setLogSink([this](const QString& line) { lines.append(line); }); }
    ~LogCapture() { setLogSink({}); }

    int count(const QString& needle) const
    {
        int n = 0;
        for (const QString& line : lines)
            n += line.contains(needle) ? 1 : 0;
        return n;
    }

    QStringList lines;
};
