// Shots whose PNG carries a huge text chunk, or compressed texts that inflate to hundreds of
// megabytes, saved into the watched folder of the real application: what it holds afterwards
// must not grow with the text. LUMAFORGE_TEXT_CHUNK_MB, LUMAFORGE_TEXT_CHUNK_SHOTS and
// LUMAFORGE_TEXT_CHUNK_SETTLE_MS change the scenario (docs/performance.md uses 200, 6 and 70000).
#include "support/ImageFiles.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr qint64 kMB = 1000 * 1000;

int setting(const char* name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

QByteArray shotPng(int n)
{
    QImage image(1440, 900, QImage::Format_RGB32);
    image.fill(QColor(244, 244, 246));
    QPainter p(&image);
    p.fillRect(QRect(60, 80, 600, 400), QColor::fromHsv((n * 47) % 360, 160, 200));
    return encodeImage(image);
}

class Scenario {
public:
    bool start()
    {
        qputenv("LUMAFORGE_TRACE_ROAD", "1");
        return m_app.start();
    }

    // Saves the PNG under a screenshot's name and waits until the panel presented it.
    bool shoot(const QByteArray& png)
    {
        const QString staging = QDir::homePath() + QStringLiteral("/.incoming.png");
        QFile out(staging);
        if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size())
            return false;
        out.close();
        const QString name = QStringLiteral("Screenshot from 2026-12-08 10-00-%1.png").arg(m_shots++, 2, 10, QLatin1Char('0'));
        QFile::rename(staging, RunningApp::screenshotFolder() + QLatin1Char('/') + name);
        const int before = m_presented;
        const bool presented = waitUntil([&] { return (m_presented = int(m_app.log().count("road presented"))) > before; }, 30000);
        return presented;
    }

    RunningApp& app() { return m_app; }

private:
    RunningApp m_app;
    int m_shots = 0;
    int m_presented = 0;
};

void report(const char* moment, qint64 bytes)
{
    std::printf("text chunks: %-48s %7.1f MB\n", moment, double(bytes) / kMB);
    std::fflush(stdout);
}

}

TEST(TextChunkMemory, ShotsDoNotKeepTheirTexts)
{
#ifdef LUMAFORGE_SANITIZED
    GTEST_SKIP() << "resident memory means nothing under the sanitizers";
#endif
    const int textMB = setting("LUMAFORGE_TEXT_CHUNK_MB", 60);
    const int shots = setting("LUMAFORGE_TEXT_CHUNK_SHOTS", 3);
    const int settleMs = setting("LUMAFORGE_TEXT_CHUNK_SETTLE_MS", 8000);
    Scenario scenario;
    ASSERT_TRUE(scenario.start()) << scenario.app().log().toStdString();
    spin(3000);
    const qint64 idle = scenario.app().residentBytes();
    report("started, no shot", idle);

    const QByteArray text = QByteArray("Comment", 8) + QByteArray(qsizetype(textMB) * 1000 * 1000, 'x');
    for (int n = 0; n < shots; ++n)
        ASSERT_TRUE(scenario.shoot(withChunks(shotPng(n), "tEXt", { text }))) << "shot " << n << "\n"
                                                                                << scenario.app().log().toStdString();
    report(qPrintable(QStringLiteral("peak over %1 shots with a %2 MB tEXt").arg(shots).arg(textMB)), scenario.app().peakResidentBytes());

    // 32 compressed texts of 7 MB each in a quarter of a megabyte, as zTXt and as iTXt.
    const QByteArray inflating = zlibCompressed(QByteArray(7000000, 'a'));
    ASSERT_TRUE(scenario.shoot(withChunks(shotPng(shots), "zTXt", QList<QByteArray>(32, QByteArray("Comment\0\0", 9) + inflating))));
    ASSERT_TRUE(scenario.shoot(withChunks(shotPng(shots + 1), "iTXt", QList<QByteArray>(32, QByteArray("Comment\0\x01\0\0\0", 12) + inflating))));
    const qint64 peak = scenario.app().peakResidentBytes();
    report("peak, compressed-text bombs included", peak);

    spin(settleMs);
    const qint64 settled = scenario.app().residentBytes();
    report(qPrintable(QStringLiteral("%1 s after the last shot").arg(settleMs / 1000.0)), settled);

    // Each shot's text would be held twice its size (Qt keeps it as UTF-16) for as long as the
    // shot stays among the recent ones.
    EXPECT_LT(settled, idle + 150 * kMB);
    EXPECT_LT(peak, idle + 800 * kMB);
    EXPECT_TRUE(scenario.app().isRunning());
}
