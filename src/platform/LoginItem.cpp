#include "platform/LoginItem.h"

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

XdgAutostartLoginItem::XdgAutostartLoginItem(QString autostartDir, QString executable)
    : m_dir(std::move(autostartDir))
    , m_executable(std::move(executable))
{
}

QString XdgAutostartLoginItem::filePath() const
{
    return m_dir + QStringLiteral("/lumaforge.desktop");
}

bool XdgAutostartLoginItem::isRegistered() const
{
    return QFileInfo::exists(filePath());
}

bool XdgAutostartLoginItem::apply(bool enabled, QString* error)
{
    if (!enabled) {
        QFile file(filePath());
        if (!file.exists() || file.remove())
            return true;
        if (error)
            *error = file.errorString();
        return false;
    }

    if (!QDir().mkpath(m_dir)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(m_dir);
        return false;
    }
    // Exec keys quote paths with spaces; backslashes and quotes are escaped inside the quotes.
    QString exec = m_executable;
    if (exec.contains(QLatin1Char(' ')) || exec.contains(QLatin1Char('"'))) {
        exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        exec = QLatin1Char('"') + exec + QLatin1Char('"');
    }
    const QString entry = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Lumaforge\n"
        "Comment=Styles every screenshot you take\n"
        "Exec=%1\n"
        "Icon=lumaforge\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n").arg(exec);

    if (const std::optional<QString> reason = writeFileAtomically(filePath(), entry.toUtf8())) {
        if (error)
            *error = *reason;
        return false;
    }
    return true;
}

LoginItem& LoginItem::shared()
{
    static XdgAutostartLoginItem* item = [] {
        QString exe = QCoreApplication::applicationFilePath();
        if (QFileInfo(exe).fileName() != QStringLiteral("lumaforge"))
            exe = QStringLiteral("lumaforge");
        return new XdgAutostartLoginItem(AppPaths::autostartDir(), exe);
    }();
    return *item;
}
