#include "platform/LinuxScreenshotSettings.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace {

struct LocalisedNames {
    const char* locale; // language, or language_COUNTRY when it differs by country
    const char* folder; // GNOME's "Screenshots" folder
    const char* word; // GNOME's "Screenshot" in file names
};

// GNOME's translations of its screenshot folder and file name.
constexpr LocalisedNames kNames[] = {
    { "de", "Bildschirmfotos", "Bildschirmfoto" },
    { "fr", "Captures d’écran", "Capture d’écran" },
    { "es", "Capturas de pantalla", "Captura de pantalla" },
    { "it", "Schermate", "Schermata" },
    { "pt_BR", "Capturas de tela", "Captura de tela" },
    { "pt", "Capturas de ecrã", "Captura de ecrã" },
    { "nl", "Schermafdrukken", "Schermafdruk" },
    { "pl", "Zrzuty ekranu", "Zrzut ekranu" },
    { "ru", "Снимки экрана", "Снимок экрана" },
    { "uk", "Знімки екрана", "Знімок екрана" },
    { "cs", "Snímky obrazovky", "Snímek obrazovky" },
    { "sv", "Skärmbilder", "Skärmbild" },
    { "ja", "スクリーンショット", "スクリーンショット" },
    { "zh_CN", "截图", "截图" },
};

const LocalisedNames* namesFor(const QString& localeName)
{
    for (const LocalisedNames& names : kNames) {
        if (localeName == QLatin1String(names.locale))
            return &names;
    }
    const QString language = localeName.section(QLatin1Char('_'), 0, 0);
    for (const LocalisedNames& names : kNames) {
        if (language == QLatin1String(names.locale))
            return &names;
    }
    return nullptr;
}

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

QString LinuxScreenshotSettings::location() const
{
    const QString spectacle = spectacleLocation();
    if (!spectacle.isEmpty())
        return spectacle;
    if (!m_env.picturesDir.isEmpty()) {
        QStringList folders;
        if (const LocalisedNames* names = namesFor(m_env.localeName))
            folders.append(QString::fromUtf8(names->folder));
        folders.append(QStringLiteral("Screenshots"));
        for (const QString& folder : folders) {
            const QString path = m_env.picturesDir + QLatin1Char('/') + folder;
            if (QFileInfo(path).isDir())
                return path;
        }
    }
    if (!m_env.desktopDir.isEmpty())
        return m_env.desktopDir;
    return QDir::homePath() + QStringLiteral("/Desktop");
}

QString LinuxScreenshotSettings::namePrefix() const
{
    if (const LocalisedNames* names = namesFor(m_env.localeName))
        return QString::fromUtf8(names->word);
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
