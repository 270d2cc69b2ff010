#include "platform/Log.h"

#include <cstdio>

namespace {
std::function<void(const QString&)>& sink()
{
    static std::function<void(const QString&)> s;
    return s;
}
}

void logLine(const QString& message)
{
    const QString line = QStringLiteral("Lumaforge: ") + message;
    if (auto& s = sink()) {
        s(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void setLogSink(std::function<void(const QString&)> s)
{
    sink() = std::move(s);
}
