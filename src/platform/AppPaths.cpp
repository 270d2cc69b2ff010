#include "platform/AppPaths.h"

#include "core/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString envDir(const char* var, const QString& fallbackUnderHome)
{
    const QByteArray value = qgetenv(var);
    if (!value.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(value)))
        return QString::fromLocal8Bit(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}
}

namespace AppPaths {

QString configDir()
{
    return envDir("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/lumaforge");
}

QString settingsFile()
{
    return configDir() + QStringLiteral("/settings.json");
}

QString dataDir()
{
    return envDir("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/lumaforge");
}

QString autostartDir()
{
    return envDir("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/autostart");
}

bool ensureDir(const QString& path)
{
    return QDir().mkpath(path);
}

namespace {
// `base`, made with mode 0700 unless it exists; empty (and why in `why`) when it is not a folder
// of ours that only we can write to, or cannot be written at all.
QString privateFolder(const QString& base, QString* why)
{
    const QByteArray native = QFile::encodeName(base);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("cannot create %1: %2").arg(base, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    // Refuse a folder somebody else made for us, or one others could put files (or links) into.
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        *why = QStringLiteral("%1 is not ours").arg(base);
        return {};
    }
    if ((st.st_mode & 0022) != 0) {
        *why = QStringLiteral("others can write into %1").arg(base);
        return {};
    }
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        *why = QStringLiteral("cannot make %1 private").arg(base);
        return {};
    }
    // A read-only mount stops even root, which file modes do not.
    if (::access(native.constData(), W_OK | X_OK) != 0) {
        *why = QStringLiteral("cannot write into %1: %2").arg(base, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    return base;
}
}

QString privateTempDir()
{
    QString why;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir()) {
        const QString folder = privateFolder(QString::fromLocal8Bit(runtime) + QStringLiteral("/lumaforge"), &why);
        if (!folder.isEmpty())
            return folder;
    }
    // No usable runtime folder: one of our own in the temporary folder, as when it is unset.
    const QString fallback = QDir::tempPath() + QStringLiteral("/lumaforge-") + QString::number(getuid());
    if (!why.isEmpty()) {
        static std::atomic<bool> told { false };
        if (!told.exchange(true))
            logLine(QStringLiteral("%1; private files go to %2").arg(why, fallback));
    }
    QString refused;
    const QString folder = privateFolder(fallback, &refused);
    if (folder.isEmpty())
        logLine(QStringLiteral("no private folder: %1").arg(refused));
    return folder;
}

}
