// The real application meeting stored presets and a stored watermark logo that it cannot read,
// and a logo far larger than any watermark: the user is told once, nothing stored is lost, and
// the logo does not cost its full size all session.
#include "model/StylePreset.h"
#include "support/ImageFiles.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr qint64 kMB = 1000 * 1000;

QString settingsPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/lumaforge/settings.json");
}

QString logoPath()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/lumaforge/watermark-logo.png");
}

void writeWithFolder(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(writeFile(path, bytes));
}

QJsonArray storedPresets()
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object().value("savedPresets").toObject();
    return QJsonDocument::fromJson(QByteArray::fromBase64(saved.value("$data").toString().toLatin1())).array();
}

int windowsNamedLumaforge()
{
    return int(Desktop::findWindows(QStringLiteral("^Lumaforge$")).size());
}

// Launches over the files as they stand and waits until it watches; then how many windows named
// "Lumaforge" it shows once its start-up is over: the main window, and one for each notice.
int launchAndCountWindows(RunningApp& app, int before)
{
    if (!app.launch() || !waitUntil([&] { return app.log().contains("watcher set up"); }, 15000))
        return -1;
    waitUntil([&] { return windowsNamedLumaforge() >= before + 2; }, 3000);
    return windowsNamedLumaforge() - before;
}

}

TEST(StoredDataFaults, UnreadablePresetsAreToldOnceAndKept)
{
    QDir().mkpath(RunningApp::screenshotFolder());
    const StylePreset good { QUuid::createUuid(), QStringLiteral("Good"), BeautifySettings::defaults() };
    QJsonObject bad = good.toJson();
    bad["id"] = QStringLiteral("not a UUID");
    bad["name"] = QStringLiteral("Lost");
    const QByteArray presets = QJsonDocument(QJsonArray { good.toJson(), bad }).toJson(QJsonDocument::Compact);
    const QJsonObject settings { { "hasCompletedOnboarding", true }, { "launchAtLogin", false },
        { "savedPresets", QJsonObject { { "$data", QString::fromLatin1(presets.toBase64()) } } } };
    writeWithFolder(settingsPath(), QJsonDocument(settings).toJson());
    const int before = windowsNamedLumaforge();

    {
        RunningApp app;
        EXPECT_EQ(launchAndCountWindows(app, before), 2) << app.log().toStdString();
        EXPECT_TRUE(app.log().contains("1 stored preset(s) could not be read")) << app.log().toStdString();
        EXPECT_EQ(app.terminate(), 0);
    }
    ASSERT_EQ(storedPresets().size(), 2);
    EXPECT_EQ(storedPresets()[1].toObject(), bad);

    // Told already: the next start says nothing, and still keeps them.
    RunningApp again;
    EXPECT_EQ(launchAndCountWindows(again, before), 1) << again.log().toStdString();
    EXPECT_EQ(again.terminate(), 0);
    EXPECT_EQ(storedPresets().size(), 2);
}

TEST(StoredDataFaults, AnUnreadableLogoIsToldOnceAndKeptAside)
{
    QDir().mkpath(RunningApp::screenshotFolder());
    const QByteArray damaged = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, '\x17');
    writeWithFolder(logoPath(), damaged);
    const int before = windowsNamedLumaforge();
    {
        RunningApp app;
        ASSERT_TRUE(app.start()) << app.log().toStdString();
        EXPECT_TRUE(waitUntil([&] { return windowsNamedLumaforge() == before + 2; })) << app.log().toStdString();
        // The window may map before the log line reaches us through the pipe.
        EXPECT_TRUE(waitUntil([&] { return app.log().contains("the watermark logo"); })) << app.log().toStdString();
        EXPECT_EQ(app.log().count("the watermark logo"), 1) << app.log().toStdString();
        EXPECT_EQ(app.terminate(), 0);
    }
    EXPECT_FALSE(QFile::exists(logoPath()));
    const QStringList kept = QDir(QFileInfo(logoPath()).absolutePath()).entryList({ "watermark-logo.png.corrupt-*" });
    ASSERT_EQ(kept.size(), 1);
    QFile keptFile(QFileInfo(logoPath()).absolutePath() + QLatin1Char('/') + kept.first());
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), damaged);

    RunningApp again;
    ASSERT_TRUE(again.start()) << again.log().toStdString();
    spin(1500);
    EXPECT_EQ(windowsNamedLumaforge(), before + 1);
    EXPECT_EQ(again.terminate(), 0);
}

// A 10000 x 10000 logo would hold 400 MB all session; it is drawn 360 pixels large at most.
TEST(StoredDataFaults, ALargeStoredLogoIsKeptAtTheSizeItIsDrawnAt)
{
#ifdef LUMAFORGE_SANITIZED
    GTEST_SKIP() << "resident memory means nothing under the sanitizers";
#endif
    const int settleMs = qEnvironmentVariableIntValue("LUMAFORGE_LOGO_SETTLE_MS") ?: 4000;
    const auto settled = [&](qint64* peak) {
        RunningApp app;
        if (!app.start())
            return qint64(-1);
        spin(settleMs);
        *peak = app.peakResidentBytes();
        const qint64 resident = app.residentBytes();
        app.terminate();
        return resident;
    };
    QFile::remove(logoPath());
    qint64 peak = 0;
    const qint64 withoutLogo = settled(&peak);
    std::printf("logo: started without a logo: %.1f MB (peak %.1f MB)\n", double(withoutLogo) / kMB, double(peak) / kMB);

    writeWithFolder(logoPath(), flatPng(10000, 10000));
    const qint64 first = settled(&peak);
    std::printf("logo: first start with a 10000x10000 logo: %.1f MB (peak %.1f MB)\n", double(first) / kMB, double(peak) / kMB);
    EXPECT_LT(first, withoutLogo + 60 * kMB);
    // Stored again at its drawn size: later starts never decode the large one.
    EXPECT_EQ(QImage(logoPath()).size(), QSize(360, 360));
    const qint64 later = settled(&peak);
    std::printf("logo: the next start: %.1f MB (peak %.1f MB)\n", double(later) / kMB, double(peak) / kMB);
    EXPECT_LT(peak, withoutLogo + 200 * kMB);
}
