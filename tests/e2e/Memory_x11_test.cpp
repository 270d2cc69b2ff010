// What the tray application holds between shots, as a system monitor shows it: the real binary on
// a real X server, 2880x1800 screenshots renamed into the watched folder one after another.
#include "screens/ScreenshotGenerator.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr qint64 kMB = 1000 * 1000;

QByteArray encoded(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(1);
    writer.write(image);
    return png;
}

// The benchmark's dense page first, then a few different text-heavy shots; encoded once, the
// road is fed them in turn.
QList<QByteArray> shotFiles()
{
    QList<QByteArray> files { encoded(generateShot(denseShotRecipe()).image) };
    const ShotLayout layouts[] = { ShotLayout::mail, ShotLayout::code, ShotLayout::table, ShotLayout::web };
    quint32 seed = 11;
    for (ShotLayout layout : layouts) {
        ShotRecipe recipe;
        recipe.layout = layout;
        recipe.theme = seed % 2 ? ShotTheme::light : ShotTheme::dark;
        recipe.scale = 2;
        recipe.logicalSize = QSize(1440, 900);
        recipe.seed = seed++;
        files.append(encoded(generateShot(recipe).image));
    }
    return files;
}

class MemoryScenario {
public:
    bool start() { return m_app.start(); }

    // Drops shot number `n`, waits until the application has presented it, then `pauseMs` more.
    bool shoot(int n, int pauseMs)
    {
        static const QList<QByteArray> files = shotFiles();
        const QString tmp = QDir::homePath() + QStringLiteral("/.incoming.png");
        QFile out(tmp);
        if (!out.open(QIODevice::WriteOnly) || out.write(files[n % files.size()]) < 0)
            return false;
        out.close();
        const QString name = QStringLiteral("Screenshot from 2026-12-07 10-%1-%2.png").arg(n / 60, 2, 10, QLatin1Char('0')).arg(n % 60, 2, 10, QLatin1Char('0'));
        QFile::rename(tmp, RunningApp::screenshotFolder() + QLatin1Char('/') + name);
        const int before = m_presented;
        const bool presented = waitUntil([&] { return countPresented() > before; }, 20000);
        m_peak = std::max(m_peak, m_app.peakResidentBytes());
        spin(pauseMs);
        return presented;
    }

    qint64 resident() const { return m_app.residentBytes(); }
    qint64 peak() const { return std::max(m_peak, m_app.peakResidentBytes()); }
    RunningApp& app() { return m_app; }

private:
    int countPresented()
    {
        m_presented = int(m_app.log().count(QStringLiteral("road presented")));
        return m_presented;
    }

    RunningApp m_app;
    int m_presented = 0;
    qint64 m_peak = 0;
};

void report(const char* moment, qint64 bytes)
{
    std::printf("memory: %-44s %6.1f MB\n", moment, double(bytes) / kMB);
    std::fflush(stdout);
}

}

TEST(Memory, StaysSmallAtRestAndDoesNotGrowWithUse)
{
#ifdef LUMAFORGE_SANITIZED
    // The sanitizers' shadow memory and freed-block quarantine dwarf what is measured here.
    GTEST_SKIP() << "resident memory means nothing under the sanitizers";
#endif
    qputenv("LUMAFORGE_TRACE_ROAD", "1");
    MemoryScenario scenario;
    ASSERT_TRUE(scenario.start()) << scenario.app().log().toStdString();
    spin(3000); // start-up work (engine warm-up) settles
    const qint64 idle = scenario.resident();
    report("started, no shot", idle);

    // Shots come quicker than a person takes them; the panel's dismissal is what resets state.
    const int pauseMs = qEnvironmentVariableIntValue("LUMAFORGE_MEMORY_PAUSE_MS") ?: 600;
    const int idleMs = qEnvironmentVariableIntValue("LUMAFORGE_MEMORY_IDLE_MS") ?: 30000;
    // One dense shot on its own: the most the road takes at once.
    ASSERT_TRUE(scenario.shoot(0, 2000)) << "the dense shot was not presented";
    const qint64 densePeak = scenario.app().peakResidentBytes();
    report("peak during a dense shot", densePeak);
    for (int n = 1; n <= 20; ++n)
        ASSERT_TRUE(scenario.shoot(n, pauseMs)) << "shot " << n << " was not presented\n" << scenario.app().log().toStdString();
    spin(idleMs);
    const qint64 after20 = scenario.resident();
    report("after 20 shots, idle", after20);

    for (int n = 21; n <= 40; ++n)
        ASSERT_TRUE(scenario.shoot(n, pauseMs)) << "shot " << n << " was not presented\n" << scenario.app().log().toStdString();
    spin(idleMs);
    const qint64 after40 = scenario.resident();
    report("after 40 shots, idle", after40);
    report("peak over 40 shots in quick succession", scenario.peak());

    EXPECT_LT(idle, 100 * kMB);
    EXPECT_LT(after20, 300 * kMB); // spare engines are still warm 30 s after the last shot
    EXPECT_LT(after40, after20 + 25 * kMB) << "resident memory grows with use";
    EXPECT_LT(densePeak, 600 * kMB);
    EXPECT_TRUE(scenario.app().isRunning());
}
