#include "platform/LinuxScreenshotSettings.h"

#include "core/Log.h"
#include "platform/ScreenshotNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace {

QString expandHome(QString path)
{
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path.replace(0, 1, QDir::homePath());
    else if (path.startsWith(QLatin1String("$HOME")))
        path.replace(0, 5, QDir::homePath());
    return path;
}

}

LinuxScreenshotSettings::LinuxScreenshotSettings()
    : LinuxScreenshotSettings(Environment {
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        QLocale::system().name(),
    })
{
}

LinuxScreenshotSettings::LinuxScreenshotSettings(Environment environment)
    : m_env(std::move(environment))
{
}

QString LinuxScreenshotSettings::spectacleLocation() const
{
    QFile file(m_env.configDir + QStringLiteral("/spectaclerc"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // KDE's config format: [Group] headers and key=value lines; a key may carry a "[$e]" flag
    // asking for environment expansion.
    QTextStream in(&file);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[ImageSave]");
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString key = line.left(eq).trimmed();
        if (key.endsWith(QLatin1String("[$e]")))
            key.chop(4);
        if (key != QLatin1String("imageSaveLocation"))
            continue;
        const QString value = line.mid(eq + 1).trimmed();
        if (value.isEmpty())
            return {};
        const QUrl url(value);
        QString path = url.isLocalFile() ? url.toLocalFile() : expandHome(value);
        if (!QDir::isAbsolutePath(path))
            return {};
        return QDir::cleanPath(path);
    }
    return {};
}

LinuxScreenshotSettings::Location LinuxScreenshotSettings::resolve() const
{
    const QString spectacle = spectacleLocation();
    if (!spectacle.isEmpty()) {
        // A tool set to save into a folder people keep other things in shares it with them.
        const auto same = [&](const QString& other) { return !other.isEmpty() && QDir::cleanPath(other) == spectacle; };
        const bool shared = same(QDir::homePath()) || same(m_env.picturesDir) || same(m_env.desktopDir);
        return { spectacle, !shared };
    }
    if (!m_env.picturesDir.isEmpty()) {
        for (const QString& folder : ScreenshotNames::folderNames(m_env.localeName)) {
            const QString path = m_env.picturesDir + QLatin1Char('/') + folder;
            if (QFileInfo(path).isDir())
                return { path, true };
        }
    }
    if (!m_env.desktopDir.isEmpty())
        return { m_env.desktopDir, false };
    return { QDir::homePath() + QStringLiteral("/Desktop"), false };
}

QString LinuxScreenshotSettings::location() const
{
    return resolve().path;
}

bool LinuxScreenshotSettings::locationHoldsOnlyScreenshots() const
{
    return resolve().onlyScreenshots;
}

QString LinuxScreenshotSettings::namePrefix() const
{
    if (const ScreenshotNames::Language* language = ScreenshotNames::forLocale(m_env.localeName);
        language && QLatin1String(language->locale) != QLatin1String("en"))
        return QString::fromUtf8(language->word);
    return {};
}

void LinuxScreenshotSettings::setShowThumbnail(bool show)
{
    logLine(QStringLiteral("the desktop's screenshot tool has no floating thumbnail to %1; preference kept")
                .arg(show ? QStringLiteral("show") : QStringLiteral("hide")));
}

ScreenshotSettings& ScreenshotSettings::shared()
{
    static LinuxScreenshotSettings settings;
    return settings;
}
