#include "platform/ScreenshotNames.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace ScreenshotNames {

namespace {

// GNOME's translations, which Spectacle and xfce4-screenshooter share for most languages.
constexpr Language kLanguages[] = {
    { "en", "Screenshots", "Screenshot" },
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

// Names other tools begin with, in any language.
constexpr const char* kOtherPrefixes[] = { "screen shot", "cleanshot" };

}

std::span<const Language> languages()
{
    return kLanguages;
}

const Language* forLocale(const QString& localeName)
{
    for (const Language& language : kLanguages) {
        if (localeName == QLatin1String(language.locale))
            return &language;
    }
    const QString bare = localeName.section(QLatin1Char('_'), 0, 0);
    for (const Language& language : kLanguages) {
        if (bare == QLatin1String(language.locale))
            return &language;
    }
    return nullptr;
}

QStringList folderNames(const QString& localeName)
{
    QStringList names;
    if (const Language* own = forLocale(localeName))
        names.append(QString::fromUtf8(own->folder));
    for (const Language& language : kLanguages) {
        const QString folder = QString::fromUtf8(language.folder);
        if (!names.contains(folder))
            names.append(folder);
    }
    return names;
}

bool looksLikeScreenshot(const QString& fileName)
{
    static const QStringList prefixes = [] {
        QStringList out;
        for (const Language& language : kLanguages)
            out.append(QString::fromUtf8(language.word).toLower());
        for (const char* prefix : kOtherPrefixes)
            out.append(QString::fromUtf8(prefix));
        return out;
    }();
    // Flameshot's default: the date and the time to the minute (to the second where configured),
    // with "_1", "_2" added when the name was taken.
    static const QRegularExpression flameshot(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}(-\\d{2})?(_\\d+)?$"));
    const QString lower = fileName.toLower();
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](const QString& p) { return lower.startsWith(p); }))
        return true;
    return flameshot.match(QFileInfo(fileName).completeBaseName()).hasMatch();
}

}
