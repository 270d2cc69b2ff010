// The capture road's own costs: listing the screenshot folder, reading a new screenshot file, and
// encoding the PNG bytes the clipboard offers (Qt's writer, until the fast encoder arrives).
#include "BenchMain.h"
#include "capture/ScreenshotWatcher.h"
#include "platform/ImageFile.h"
#include "platform/Pasteboard.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A desktop-like 2880 x 1800 shot: gradient, window shapes, lines of text.
QImage screenshotLikeImage()
{
    QImage image(2880, 1800, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 2880, 1800);
    gradient.setColorAt(0, QColor(40, 60, 120));
    gradient.setColorAt(1, QColor(200, 90, 140));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int w = 0; w < 4; ++w) {
        const QRect window(120 + w * 600, 100 + w * 300, 1400, 900);
        painter.setBrush(QColor(250, 250, 250));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(window, 20, 20);
        painter.setPen(QColor(30, 30, 30));
        QFont font = painter.font();
        font.setPixelSize(26);
        painter.setFont(font);
        for (int line = 0; line < 28; ++line) {
            painter.drawText(window.left() + 40, window.top() + 60 + line * 30,
                QStringLiteral("Line %1: the quick brown fox jumps over the lazy dog, 0123456789 user@example.com").arg(line));
        }
    }
    return image;
}

const QImage& shot()
{
    static const QImage image = screenshotLikeImage();
    return image;
}

void BM_ListScreenshotFolder(benchmark::State& state)
{
    QTemporaryDir dir;
    for (int i = 0; i < state.range(0); ++i) {
        QFile file(dir.filePath(QStringLiteral("Screenshot %1.png").arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    for (auto _ : state) {
        const auto listing = ScreenshotWatcher::listCandidates(dir.path());
        benchmark::DoNotOptimize(listing.entries.size());
    }
}
BENCHMARK(BM_ListScreenshotFolder)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ReadScreenshotFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Screenshot.png"));
    shot().save(path, "png");
    state.counters["bytes"] = double(QFile(path).size());
    for (auto _ : state) {
        const auto result = ImageFile::read(path, ImageFile::Links::refuse);
        benchmark::DoNotOptimize(result.image.constBits());
    }
}
BENCHMARK(BM_ReadScreenshotFile)->Unit(benchmark::kMillisecond);

void BM_ClipboardPngWithQt(benchmark::State& state)
{
    for (auto _ : state) {
        const QByteArray png = encodePngWithQt(shot());
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_ClipboardPngWithQt)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
