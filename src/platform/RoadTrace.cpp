#include "platform/RoadTrace.h"

#include "core/Log.h"

#include <QByteArray>
#include <QString>

#include <chrono>

void traceRoad(const char* stage)
{
    static const bool enabled = qEnvironmentVariableIsSet("LUMAFORGE_TRACE_ROAD");
    if (!enabled)
        return;
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch()).count();
    logLine(QStringLiteral("road %1 %2").arg(QLatin1String(stage)).arg(qint64(now)));
}
