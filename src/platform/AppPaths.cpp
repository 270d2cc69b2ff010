#include "platform/AppPaths.h"

#include "core/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
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

QString privateTempDir()
{
    QString base;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        base = QString::fromLocal8Bit(runtime) + QStringLiteral("/lumaforge");
    else
        base = QDir::tempPath() + QStringLiteral("/lumaforge-") + QString::number(getuid());

    const QByteArray native = QFile::encodeName(base);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        logLine(QStringLiteral("cannot create private folder %1").arg(base));
        return {};
    }
    // Refuse a folder somebody else made for us (or a symlink planted in a shared /tmp).
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        logLine(QStringLiteral("private folder %1 is not ours").arg(base));
        return {};
    }
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        logLine(QStringLiteral("cannot make %1 private").arg(base));
        return {};
    }
    return base;
}

}
