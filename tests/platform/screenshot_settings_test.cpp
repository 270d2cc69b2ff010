#include "platform/LinuxScreenshotSettings.h"
#include "platform/ScreenshotNames.h"
#include "support/ImageFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ScreenshotSettingsTest : public ::testing::Test {
protected:
    ScreenshotSettingsTest()
    {
        env.configDir = dir.filePath(QStringLiteral("config"));
        env.picturesDir = dir.filePath(QStringLiteral("Pictures"));
        env.desktopDir = dir.filePath(QStringLiteral("Desktop"));
        env.localeName = QStringLiteral("en_US");
        QDir().mkpath(env.configDir);
        QDir().mkpath(env.picturesDir);
    }
    QTemporaryDir dir;
    LinuxScreenshotSettings::Environment env;
};

TEST_F(ScreenshotSettingsTest, FallsBackFromPicturesScreenshotsToTheDesktop)
{
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.desktopDir);
    QDir().mkpath(env.picturesDir + QStringLiteral("/Screenshots"));
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.picturesDir + QStringLiteral("/Screenshots"));
    // A German desktop's own folder comes first.
    env.localeName = QStringLiteral("de_AT");
    QDir().mkpath(env.picturesDir + QStringLiteral("/Bildschirmfotos"));
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.picturesDir + QStringLiteral("/Bildschirmfotos"));
}

TEST_F(ScreenshotSettingsTest, ReadsSpectaclesSaveLocation)
{
    const QString rc = env.configDir + QStringLiteral("/spectaclerc");
    writeFile(rc, "[General]\nimageSaveLocation=file:///wrong\n\n[ImageSave]\nimageFilenameTemplate=x\n"
                  "imageSaveLocation=file:///home/u/Pictures/Shots/\n");
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), QStringLiteral("/home/u/Pictures/Shots"));
    writeFile(rc, "[ImageSave]\nimageSaveLocation[$e]=$HOME/Bilder\n");
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), QDir::homePath() + QStringLiteral("/Bilder"));
    // Nothing usable: the usual fallbacks.
    writeFile(rc, "[ImageSave]\nimageSaveLocation=\n");
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.desktopDir);
}

TEST_F(ScreenshotSettingsTest, NamePrefixIsTheLocalisedWordWhereKnown)
{
    EXPECT_EQ(LinuxScreenshotSettings(env).namePrefix(), QString());
    env.localeName = QStringLiteral("fr_CA");
    EXPECT_EQ(LinuxScreenshotSettings(env).namePrefix(), QString::fromUtf8("Capture d’écran"));
    env.localeName = QStringLiteral("pt_BR");
    EXPECT_EQ(LinuxScreenshotSettings(env).namePrefix(), QStringLiteral("Captura de tela"));
    env.localeName = QStringLiteral("pt_PT");
    EXPECT_EQ(LinuxScreenshotSettings(env).namePrefix(), QString::fromUtf8("Captura de ecrã"));
}

}

namespace {

// Every entry of the names table, each under an English session: its folder is found inside the
// Pictures folder, it holds only screenshots, and a file named with its word reads as a shot.
class ScreenshotNamesEntry : public ::testing::TestWithParam<ScreenshotNames::Language> {};

TEST_P(ScreenshotNamesEntry, FolderIsFoundAndItsWordIsAScreenshotWhateverTheLocale)
{
    const ScreenshotNames::Language& language = GetParam();
    QTemporaryDir dir;
    LinuxScreenshotSettings::Environment env { dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("Pictures")),
        dir.filePath(QStringLiteral("Desktop")), QStringLiteral("en_US") };
    const QString folder = env.picturesDir + QLatin1Char('/') + QString::fromUtf8(language.folder);
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), folder);
    EXPECT_TRUE(LinuxScreenshotSettings(env).locationHoldsOnlyScreenshots());
    // Its own session finds it too, and names it by its word.
    env.localeName = QString::fromLatin1(language.locale);
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), folder);
    ASSERT_NE(ScreenshotNames::forLocale(env.localeName), nullptr);
    EXPECT_STREQ(ScreenshotNames::forLocale(env.localeName)->folder, language.folder);

    const QString word = QString::fromUtf8(language.word);
    EXPECT_TRUE(ScreenshotNames::looksLikeScreenshot(word + QStringLiteral(" from 2026-12-07 11-00-00.png")));
    EXPECT_TRUE(ScreenshotNames::looksLikeScreenshot(word.toUpper() + QStringLiteral("_20261207_110000.PNG")));
    EXPECT_FALSE(ScreenshotNames::looksLikeScreenshot(QStringLiteral("my ") + word + QStringLiteral(".png")));
}

INSTANTIATE_TEST_SUITE_P(Table, ScreenshotNamesEntry, ::testing::ValuesIn(ScreenshotNames::languages().begin(), ScreenshotNames::languages().end()),
    [](const auto& info) { return std::string(info.param.locale); });

TEST(ScreenshotNames, TheCommonToolsNamesAreScreenshotsAndOthersAreNot)
{
    const char* shots[] = {
        "Screenshot from 2026-12-07 11-00-00.png", // GNOME
        "Screenshot From 2026-12-07 11-00-00.png", // GNOME 42 on
        "Screenshot_20261207_110000.png", // Spectacle
        "Screenshot_2026-12-07_11-00-00.png", // xfce4-screenshooter
        "2026-12-07_11-00.png", // Flameshot
        "2026-12-07_11-00-05.png", // Flameshot with seconds
        "2026-12-07_11-00_1.png", // Flameshot, name taken
        "Screen Shot 2026-12-07 at 11.00.00.png",
        "CleanShot 2026-12-07 at 11.00.00.png",
    };
    for (const char* name : shots)
        EXPECT_TRUE(ScreenshotNames::looksLikeScreenshot(QString::fromUtf8(name))) << name;
    const char* others[] = { "holiday.jpg", "2026-12-07.png", "IMG_20261207_110000.jpg", "notes 2026-12-07_11-00.png",
        "2026-12-07_11-00 edited.png" };
    for (const char* name : others)
        EXPECT_FALSE(ScreenshotNames::looksLikeScreenshot(QString::fromUtf8(name))) << name;
}

}

TEST_F(ScreenshotSettingsTest, AFolderOfAnotherLanguageIsFoundAndTheSessionsOwnComesFirst)
{
    // German folders, English session: no Desktop fallback.
    const QString german = env.picturesDir + QStringLiteral("/Bildschirmfotos");
    QDir().mkpath(german);
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), german);
    // Both: the session's language decides.
    QDir().mkpath(env.picturesDir + QStringLiteral("/Screenshots"));
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.picturesDir + QStringLiteral("/Screenshots"));
    env.localeName = QStringLiteral("de_DE");
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), german);
}

TEST_F(ScreenshotSettingsTest, OnlyAFolderOfItsOwnHoldsOnlyScreenshots)
{
    // The Desktop is shared with everything else.
    EXPECT_FALSE(LinuxScreenshotSettings(env).locationHoldsOnlyScreenshots());
    const QString rc = env.configDir + QStringLiteral("/spectaclerc");
    writeFile(rc, ("[ImageSave]\nimageSaveLocation=file://" + env.picturesDir + "/Shots\n").toUtf8());
    EXPECT_TRUE(LinuxScreenshotSettings(env).locationHoldsOnlyScreenshots());
    // Spectacle set to save into Pictures itself, or the Desktop: names decide there.
    writeFile(rc, ("[ImageSave]\nimageSaveLocation=file://" + env.picturesDir + "/\n").toUtf8());
    EXPECT_EQ(LinuxScreenshotSettings(env).location(), env.picturesDir);
    EXPECT_FALSE(LinuxScreenshotSettings(env).locationHoldsOnlyScreenshots());
    writeFile(rc, ("[ImageSave]\nimageSaveLocation=" + env.desktopDir + "\n").toUtf8());
    EXPECT_FALSE(LinuxScreenshotSettings(env).locationHoldsOnlyScreenshots());
}
