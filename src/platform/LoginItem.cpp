#include "platform/LoginItem.h"

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"

#include <QCoreApplication>
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

bool XdgAutostartLoginItem::apply(bool enabled, FileWriteFailure* failure)
{
    const auto failed = [failure](const std::optional<FileWriteFailure>& why) {
        if (!why)
            return true;
        if (failure)
            *failure = *why;
        return false;
    };
    if (!enabled)
        return failed(removeFile(filePath()));
    if (!failed(makeFolder(m_dir)))
        return false;
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

    return failed(writeFileAtomically(filePath(), entry.toUtf8()));
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
