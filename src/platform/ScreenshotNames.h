#pragma once

#include <QString>
#include <QStringList>

#include <span>

// What screenshot tools call their folder and their files, in every language we know of. The one
// table of these names: the screenshot folder is found by it and names on a shared folder (the
// Desktop) are judged by it, whatever language the session runs in, since a changed locale keeps
// the folders made under the old one.
namespace ScreenshotNames {

struct Language {
    const char* locale; // language, or language_COUNTRY where it differs by country
    const char* folder; // the Pictures subfolder GNOME saves screenshots to
    const char* word; // the word GNOME, Spectacle and xfce4-screenshooter begin file names with
};

// The table, English first.
std::span<const Language> languages();

// The entry of a locale name like "de_AT" (language_COUNTRY first, then the language); null when
// the table has none.
const Language* forLocale(const QString& localeName);

// Every folder name of the table, the locale's own first, then English, then the others.
QStringList folderNames(const QString& localeName);

// Whether a file name (with its extension) reads as a screenshot's: it begins with the word of
// any language (or "screen shot", "cleanshot"), or it is the bare date and time Flameshot writes
// ("2026-12-07_11-00.png"). Compared without regard to case.
bool looksLikeScreenshot(const QString& fileName);

}
