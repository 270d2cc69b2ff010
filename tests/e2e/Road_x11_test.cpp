// The product's main road as a user meets it: the real application on a real X server, a
// screenshot file dropped into the watched folder, and the clipboard and panel checked from the
// outside with xclip and xdotool.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QBuffer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Shot {
    QImage image;
    QList<QRect> secrets;  // where the e-mail and the key are drawn
    QList<QRect> plain;    // text that must stay readable
};

QFont shotFont(int px, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// A plain window-like screenshot; with text, it holds an e-mail address and an API key.
Shot makeShot(bool withText, QColor accent = QColor(52, 120, 246))
{
    Shot shot;
    shot.image = QImage(1600, 1000, QImage::Format_RGB32);
    shot.image.fill(QColor(246, 246, 248));
    QPainter p(&shot.image);
    p.fillRect(0, 0, 1600, 64, QColor(228, 228, 232));
    p.fillRect(0, 64, 300, 936, QColor(236, 238, 242));
    p.fillRect(40, 120, 220, 48, accent);
    p.fillRect(360, 700, 500, 200, QColor(255, 236, 180));
    if (withText) {
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setPen(QColor(30, 30, 34));
        const auto draw = [&](const QString& text, int x, int y, int px, QList<QRect>& into) {
            p.setFont(shotFont(px));
            const QFontMetrics fm(p.font());
            p.drawText(x, y, text);
            into.append(QRect(x, y - fm.ascent(), fm.horizontalAdvance(text), fm.height()));
        };
        QList<QRect> ignored;
        draw(QStringLiteral("Quarterly report for the design team"), 360, 200, 40, shot.plain);
        draw(QStringLiteral("Contact"), 360, 320, 30, ignored);
        draw(QStringLiteral("jane.doe@example.com"), 560, 320, 30, shot.secrets);
        draw(QStringLiteral("Token"), 360, 420, 30, ignored);
        draw(QStringLiteral("sk-4f9a8b7c6d5e4f3a2b1c0d9e"), 560, 420, 30, shot.secrets);
        draw(QStringLiteral("Meeting moved to Thursday afternoon"), 360, 560, 34, shot.plain);
    }
    return shot;
}

QString dropShot(const QImage& image, const QString& name)
{
    // Written beside the folder, then renamed in, as screenshot tools do.
    const QString tmp = QDir::homePath() + QStringLiteral("/.incoming.png");
    image.save(tmp, "PNG");
    const QString path = RunningApp::screenshotFolder() + QLatin1Char('/') + name;
    QFile::rename(tmp, path);
    return path;
}

QImage waitForClipboard(QSize expected, int timeoutMs = 20000)
{
    QImage found;
    waitUntil(
        [&] {
            found = Desktop::clipboardPng();
            return found.size() == expected;
        },
        timeoutMs);
    return found;
}

// Where the screenshot's pixels land in the styled PNG of the default style.
struct Placement {
    QSize output;
    QRectF image; // in output pixels
};
Placement placementFor(QSize shotSize)
{
    const BeautifySettings settings = BeautifySettings::defaults();
    const CanvasLayout layout = canvasLayout(QSizeF(shotSize), settings);
    const double scale = 2.0;
    const QRectF r = imageRect(layout, settings);
    return { QSize(int(std::lround(layout.canvasWidth * scale)), int(std::lround(layout.canvasHeight * scale))),
        QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale) };
}

// The output's pixels over a rectangle of the shot, brought back to the shot's resolution.
QImage outputOver(const QImage& output, const Placement& at, QSize shotSize, const QRect& shotRect)
{
    const double sx = at.image.width() / shotSize.width();
    const double sy = at.image.height() / shotSize.height();
    const QRect src(int(at.image.x() + shotRect.x() * sx), int(at.image.y() + shotRect.y() * sy),
        int(shotRect.width() * sx), int(shotRect.height() * sy));
    return output.copy(src).scaled(shotRect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

double lumaStdDev(const QImage& image)
{
    double sum = 0, sq = 0;
    const int n = image.width() * image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double v = qGray(image.pixel(x, y));
            sum += v;
            sq += v * v;
        }
    const double mean = sum / n;
    return std::sqrt(std::max(0.0, sq / n - mean * mean));
}

double meanAbsDiff(const QImage& a, const QImage& b)
{
    double total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            total += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return total / (a.width() * a.height());
}

void expectPanelAtTopCentre()
{
    QStringList panels;
    ASSERT_TRUE(waitUntil([&] { return !(panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"))).isEmpty(); }));
    const auto geometry = Desktop::windowGeometry(panels.first());
    ASSERT_TRUE(geometry);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(geometry->top(), screen.top());
    EXPECT_NEAR(geometry->center().x(), screen.center().x(), 2);
}

}

TEST(MainRoad, ANewScreenshotIsStyledHiddenCopiedAndPresented)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();

    const Shot shot = makeShot(true);
    dropShot(shot.image, QStringLiteral("Screenshot from 2026-12-07 10-11-12.png"));
    const Placement at = placementFor(shot.image.size());
    const QImage output = waitForClipboard(at.output);
    ASSERT_EQ(output.size(), at.output) << app.log().toStdString();

    // The planted e-mail and key are hidden: their detail is gone.
    for (const QRect& secret : shot.secrets) {
        const double before = lumaStdDev(shot.image.copy(secret));
        const double after = lumaStdDev(outputOver(output, at, shot.image.size(), secret));
        EXPECT_LT(after, before * 0.45) << "secret at " << secret.x() << "," << secret.y();
    }
    // Everything else still shows the shot.
    for (const QRect& plain : shot.plain) {
        const QImage original = shot.image.copy(plain);
        EXPECT_LT(meanAbsDiff(outputOver(output, at, shot.image.size(), plain), original), 20.0);
        EXPECT_GT(lumaStdDev(outputOver(output, at, shot.image.size(), plain)), lumaStdDev(original) * 0.6);
    }
    expectPanelAtTopCentre();
    EXPECT_TRUE(app.isRunning());
}

TEST(MainRoad, AShotWithoutTextHidesNothing)
{
    RunningApp app;
    ASSERT_TRUE(app.start());
    const Shot shot = makeShot(false, QColor(220, 60, 60));
    dropShot(shot.image, QStringLiteral("Screenshot from 2026-12-07 10-20-00.png"));
    const Placement at = placementFor(shot.image.size());
    const QImage output = waitForClipboard(at.output);
    ASSERT_EQ(output.size(), at.output) << app.log().toStdString();
    const QRect whole(8, 8, shot.image.width() - 16, shot.image.height() - 16); // inside the rounded corners
    const QRect inner(40, 80, 1500, 880);
    EXPECT_LT(meanAbsDiff(outputOver(output, at, shot.image.size(), inner), shot.image.copy(inner)), 3.0);
    Q_UNUSED(whole);
    expectPanelAtTopCentre();
}

TEST(MainRoad, PasteOpensTheImageAndCopyPutsItsStyledFormBack)
{
    RunningApp app;
    ASSERT_TRUE(app.start());
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));

    const Shot shot = makeShot(false, QColor(40, 160, 90));
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/pasted.png");
    ASSERT_TRUE(shot.image.save(file));
    ASSERT_TRUE(Desktop::offerPngOnClipboard(file));
    ASSERT_TRUE(waitUntil([&] { return Desktop::clipboardPng().size() == shot.image.size(); }));

    Desktop::run(QStringLiteral("xdotool"), { "windowfocus", "--sync", windows.first() });
    Desktop::run(QStringLiteral("xdotool"), { "key", "--clearmodifiers", "ctrl+v" });
    spin(500);
    Desktop::run(QStringLiteral("xdotool"), { "key", "--clearmodifiers", "ctrl+shift+c" });
    const QImage output = waitForClipboard(placementFor(shot.image.size()).output);
    EXPECT_EQ(output.size(), placementFor(shot.image.size()).output) << app.log().toStdString();
}

// Whether the application's icon sits in trayer's panel (a child window right under it).
bool iconInTray()
{
    const QStringList tree = QString::fromUtf8(Desktop::run(QStringLiteral("xwininfo"), { "-root", "-tree" })).split('\n');
    const auto indent = [](const QString& line) { return line.size() - line.trimmed().size(); };
    for (int i = 0; i + 1 < tree.size(); ++i) {
        if (!tree[i].contains(QStringLiteral("(\"panel\" \"trayer\")")))
            continue;
        // Below the panel's line: "N children:", then its children, indented deeper.
        for (int j = i + 1; j < tree.size() && indent(tree[j]) > indent(tree[i]); ++j) {
            if (tree[j].contains(QStringLiteral("\"Lumaforge\"")))
                return true;
        }
        return false;
    }
    return false;
}

TEST(MainRoad, FirstLaunchShowsTrayAndWindowAndSurvivesClosingIt)
{
    QProcess tray;
    const auto stopTray = qScopeGuard([&] {
        tray.terminate();
        tray.waitForFinished(2000);
    });
    tray.start(QStringLiteral("trayer"), { "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "200" });
    ASSERT_TRUE(tray.waitForStarted());
    RunningApp app;
    ASSERT_TRUE(app.start(false));
    EXPECT_TRUE(waitUntil(iconInTray, 8000));
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));
    // Asked again until it goes: a request that arrives while the window is still being set up
    // can be missed.
    ASSERT_TRUE(waitUntil([&] {
        Desktop::closeWindow(windows.first());
        spin(200);
        return Desktop::findWindows(QStringLiteral("^Lumaforge$")).isEmpty();
    }));
    spin(300);
    EXPECT_TRUE(app.isRunning());

    // Still at work: a new screenshot is picked up and copied.
    const Shot shot = makeShot(false);
    dropShot(shot.image, QStringLiteral("Screenshot from 2026-12-07 11-00-00.png"));
    EXPECT_EQ(waitForClipboard(placementFor(shot.image.size()).output).size(), placementFor(shot.image.size()).output);

    // Logging out ends it through its event loop, so what waits for the quit is written.
    EXPECT_EQ(app.terminate(), 0);
    EXPECT_TRUE(app.log().contains(QStringLiteral("SIGTERM received, quitting")));
}

TEST(MainRoad, BadFilesNeverStopTheRoad)
{
    RunningApp app;
    ASSERT_TRUE(app.start());
    const QString folder = RunningApp::screenshotFolder();
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(folder + QLatin1Char('/') + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    };
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        makeShot(true).image.save(&buffer, "PNG");
    }
    write(QStringLiteral("Screenshot truncated.png"), png.left(png.size() / 3));
    write(QStringLiteral("Screenshot empty.png"), {});
    write(QStringLiteral("Screenshot not an image.png"), QByteArray("this is not a picture\n").repeated(100));
    // A 100-megapixel shot (flat, so its file is small).
    QImage huge(10000, 10000, QImage::Format_RGB32);
    huge.fill(QColor(90, 90, 120));
    huge.save(folder + QStringLiteral("/.huge.png"), "PNG", 100);
    huge = QImage();
    QFile::rename(folder + QStringLiteral("/.huge.png"), folder + QStringLiteral("/Screenshot huge.png"));
    // Twenty shots within a second.
    for (int i = 0; i < 20; ++i) {
        dropShot(makeShot(false, QColor(10 * i, 100, 200)).image, QStringLiteral("Screenshot burst %1.png").arg(i));
        QThread::msleep(40);
    }
    spin(1500);
    // The newest valid shot is the one presented; it has its own size.
    Shot last = makeShot(false, QColor(250, 200, 20));
    last.image = last.image.copy(0, 0, 1200, 900);
    dropShot(last.image, QStringLiteral("Screenshot last.png"));
    const QImage output = waitForClipboard(placementFor(last.image.size()).output, 60000);
    EXPECT_EQ(output.size(), placementFor(last.image.size()).output) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}
