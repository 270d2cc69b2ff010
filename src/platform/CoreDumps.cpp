#include "platform/CoreDumps.h"

#include "core/Log.h"

#include <cerrno>
#include <cstring>

#include <sys/prctl.h>

bool markNotDumpable()
{
#if defined(LUMAFORGE_SANITIZED) || defined(__SANITIZE_ADDRESS__)
    return true;
#else
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0)
        return true;
    logLine(QStringLiteral("could not mark the process not dumpable: ") + QString::fromLocal8Bit(std::strerror(errno)));
    return false;
#endif
}
