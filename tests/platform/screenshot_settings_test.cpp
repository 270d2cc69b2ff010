#include "platform/LinuxScreenshotSettings.h"
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
