// What opening and hovering the tray popover costs: cutting a screen-sized shot down to its
// thumbnail, painting the whole popover, and repainting one row as the pointer moves over it.
#include "BenchMain.h"
#include "capture/CaptureManager.h"
#include "capture/CapturePopoverView.h"
#include "capture/CaptureShortcutStore.h"
#include "platform/JsonSettingsStore.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenshotSettings.h"
#include "platform/SystemScreenshotTool.h"

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {
class NoSettings final : public ScreenshotSettings {
public:
    QString location() const override { return {}; }
    QString namePrefix() const override { return {}; }
    void setShowThumbnail(bool) override { }
};

QImage screenShot()
{
    QImage image(2880, 1800, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, image.width(), image.height());
    g.setColorAt(0, QColor(90, 120, 220));
    g.setColorAt(1, QColor(230, 120, 80));
    p.fillRect(image.rect(), g);
    p.fillRect(QRect(400, 300, 2000, 1200), QColor(248, 248, 250));
    for (int y = 400; y < 1400; y += 40)
        p.fillRect(QRect(480, y, 1200, 12), QColor(20, 20, 24));
    return image;
}

// The popover and its collaborators, with three recent shots.
struct Scene {
    Scene()
        : settings(dir.filePath(QStringLiteral("settings.json")))
        , manager(folder, Pasteboard::shared())
        , shortcuts(settings)
        , tool(QStringLiteral("benchmark"))
    {
        for (int i = 0; i < 3; ++i)
            manager.addRecent(CapturedShot::make(shot));
        view = std::make_unique<CapturePopoverView>(manager, shortcuts, tool, CapturePopoverView::Actions {});
    }

    QTemporaryDir dir;
    NoSettings folder;
    JsonSettingsStore settings;
    CaptureManager manager;
    CaptureShortcutStore shortcuts;
    NullScreenshotTool tool;
    QImage shot = screenShot();
    std::unique_ptr<CapturePopoverView> view;
};

Scene& scene()
{
    static Scene s;
    return s;
}

// A tile at twice the pixel density, as on a HiDPI screen.
const QSize kTile(187, 136);

void ThumbnailFirstCut(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state) {
        // A new shot each time: the cost the first paint of a new thumbnail pays.
        const QPixmap pixmap = s.view->thumbnailFor(CapturedShot::make(s.shot), kTile);
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}
BENCHMARK(ThumbnailFirstCut)->Unit(benchmark::kMillisecond);

void PopoverPaint(benchmark::State& state)
{
    Scene& s = scene();
    QImage target(s.view->size() * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        s.view->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    }
}
BENCHMARK(PopoverPaint)->Unit(benchmark::kMillisecond);

void RowRepaint(benchmark::State& state)
{
    Scene& s = scene();
    MenuCommandButton* row = s.view->commandRows()[2];
    QImage target(row->size() * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    for (auto _ : state)
        row->render(&target);
}
BENCHMARK(RowRepaint)->Unit(benchmark::kMicrosecond);
}

int main(int argc, char** argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
