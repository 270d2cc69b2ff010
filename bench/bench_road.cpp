// The main road as a whole: the real lumaforge process on a private Xvfb, a screenshot file
// renamed into its watched folder, and the time until the clipboard can serve the styled PNG (its
// bytes ready and the application's event loop free to answer). The application reports its
// stages (LUMAFORGE_TRACE_ROAD), so each run is split into detect, load, recognition (with the
// render prepared beside it), render, present and encode. Run: build/bench_road (needs Xvfb).
#include "BenchMain.h"
#include "screens/ScreenshotGenerator.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

namespace {

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

class Road {
public:
    ~Road()
    {
        for (QProcess* p : { &m_app, &m_xvfb }) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }

    bool start()
    {
        m_xvfb.setProgram(QStringLiteral("Xvfb"));
        m_xvfb.setArguments({ "-displayfd", "1", "-screen", "0", "2560x1440x24", "-nolisten", "tcp" });
        m_xvfb.start();
        QByteArray display;
        for (int i = 0; i < 100 && !display.contains('\n'); ++i) {
            m_xvfb.waitForReadyRead(100);
            display += m_xvfb.readAllStandardOutput();
        }
        if (display.trimmed().isEmpty()) {
            m_log = "Xvfb did not start: " + m_xvfb.readAllStandardError();
            return false;
        }

        const QString home = m_home.path();
        m_folder = home + QStringLiteral("/Pictures/Screenshots");
        QDir().mkpath(m_folder);
        QDir().mkpath(home + QStringLiteral("/.config/lumaforge"));
        QDir().mkpath(home + QStringLiteral("/runtime"));
        QFile settings(home + QStringLiteral("/.config/lumaforge/settings.json"));
        settings.open(QIODevice::WriteOnly);
        settings.write(QJsonDocument(QJsonObject { { "hasCompletedOnboarding", true }, { "launchAtLogin", false } }).toJson());
        settings.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_DATA_HOME", home + "/.local/share");
        env.insert("XDG_RUNTIME_DIR", home + "/runtime");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/no-bus");
        env.insert("LUMAFORGE_TRACE_ROAD", "1");
        env.remove("QT_QPA_PLATFORM");
        m_app.setProcessEnvironment(env);
        m_app.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/lumaforge"));
        m_app.setProcessChannelMode(QProcess::MergedChannels);
        m_app.start();
        if (!m_app.waitForStarted(5000)) {
            m_log = "cannot run " + m_app.program().toUtf8();
            return false;
        }
        if (!waitFor("watcher set up", 20000)) {
            m_log += "\n(the application did not come up: " + m_app.errorString().toUtf8() + ")";
            return false;
        }
        // Let the recognition engines finish warming up, as they have long before a user's shot.
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 3000)
            m_app.waitForReadyRead(100);
        m_log.clear();
        return true;
    }

    QByteArray logText() const { return m_log; }

    // Drops one screenshot; the stages in milliseconds from the rename, or none on a timeout.
    std::optional<std::map<QString, double>> drop(const QByteArray& png)
    {
        const QString staging = m_home.path() + QStringLiteral("/staging.png");
        QFile file(staging);
        file.open(QIODevice::WriteOnly);
        file.write(png);
        file.close();
        m_log.clear();
        const qint64 t0 = nowMicros();
        QFile::rename(staging, m_folder + QStringLiteral("/Screenshot from bench %1.png").arg(++m_count));
        if (!waitFor("road encoded", 30000))
            return std::nullopt;
        std::map<QString, double> at;
        static const QRegularExpression line(QStringLiteral("road (\\w+) (\\d+)"));
        auto it = line.globalMatch(QString::fromUtf8(m_log));
        while (it.hasNext()) {
            const auto m = it.next();
            at[m.captured(1)] = (m.captured(2).toLongLong() - t0) / 1000.0;
        }
        return at;
    }

    // Quiet time between runs so background work of one shot (the drag-out file) does not
    // overlap the next.
    void settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            m_app.waitForReadyRead(50);
        m_log += m_app.readAll();
    }

private:
    bool waitFor(const char* text, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!m_log.contains(text)) {
            if (t.elapsed() > timeoutMs || m_app.state() != QProcess::Running)
                return false;
            m_app.waitForReadyRead(5);
            m_log += m_app.readAll();
        }
        return true;
    }

    QTemporaryDir m_home;
    QString m_folder;
    QProcess m_xvfb;
    QProcess m_app;
    QByteArray m_log;
    int m_count = 0;
};

std::unique_ptr<Road> g_road;

Road* road()
{
    static Road* instance = [] {
        g_road = std::make_unique<Road>();
        Road* r = g_road.get();
        if (!r->start()) {
            std::fprintf(stderr, "cannot start lumaforge on Xvfb\n%s\n", r->logText().constData());
            std::exit(1);
        }
        return r;
    }();
    return instance;
}

QByteArray encodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray denseShot()
{
    static const QByteArray png = encodePng(generateShot(denseShotRecipe()).image);
    return png;
}

// A window on a desktop with no text at all, at 2880x1800.
QByteArray textlessShot()
{
    static const QByteArray png = [] {
        QImage image(2880, 1800, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient desktop(0, 0, 2880, 1800);
        desktop.setColorAt(0, QColor(40, 70, 140));
        desktop.setColorAt(1, QColor(150, 60, 120));
        p.fillRect(image.rect(), desktop);
        p.fillRect(300, 200, 2280, 1400, QColor(248, 248, 250));
        p.fillRect(300, 200, 2280, 80, QColor(230, 230, 234));
        p.fillRect(300, 280, 520, 1320, QColor(238, 240, 244));
        for (int i = 0; i < 8; ++i)
            p.fillRect(900, 360 + i * 140, 1500, 100, QColor(200 + i * 5, 220, 240 - i * 6));
        return encodePng(image);
    }();
    return png;
}

void runRoad(benchmark::State& state, const QByteArray& png)
{
    Road* r = road();
    std::map<QString, double> sums;
    int runs = 0;
    for (auto _ : state) {
        const auto at = r->drop(png);
        if (!at) {
            state.SkipWithError("the styled PNG never arrived");
            return;
        }
        state.SetIterationTime(at->at("encoded") / 1000.0);
        const auto span = [&](const char* from, const char* to) {
            return at->count(from) && at->count(to) ? at->at(to) - at->at(from) : 0.0;
        };
        sums["detect_ms"] += at->count("detected") ? at->at("detected") : 0.0;
        sums["load_ms"] += span("detected", "loaded");
        sums["recognition_ms"] += span("loaded", "recognised");
        sums["render_ms"] += span("recognised", "rendered");
        sums["present_ms"] += span("rendered", "presented");
        sums["encode_ms"] += span("presented", "encoded");
        ++runs;
        r->settle(600);
    }
    for (const auto& [name, sum] : sums)
        state.counters[name.toStdString()] = sum / std::max(runs, 1);
}

void BM_RoadDenseText(benchmark::State& state) { runRoad(state, denseShot()); }
void BM_RoadTextless(benchmark::State& state) { runRoad(state, textlessShot()); }

}

BENCHMARK(BM_RoadTextless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_RoadDenseText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv, [] { g_road.reset(); });
}
