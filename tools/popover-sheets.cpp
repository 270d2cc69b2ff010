// Renders the tray popover to PNG files for a visual check: under both colour schemes, with no,
// one and three recent shots, side by side on a desktop-like backdrop, with one row hovered; and
// the tray's popup window around it as a compositing desktop shows it (with its shadow).
// Usage: popover-sheets [output-folder] [scale]   (defaults: ./popover-renders, 2)
#include "app/TrayIcon.h"
#include "capture/CaptureManager.h"
#include "capture/CapturePopoverView.h"
#include "capture/CaptureShortcutStore.h"
#include "platform/JsonSettingsStore.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenshotSettings.h"
#include "platform/SystemScreenshotTool.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {
class FolderSettings final : public ScreenshotSettings {
public:
    explicit FolderSettings(QString folder)
        : m_folder(std::move(folder))
    {
    }
    QString location() const override { return m_folder; }
    QString namePrefix() const override { return {}; }
    void setShowThumbnail(bool) override { }

private:
    QString m_folder;
};

void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A screenshot-like picture: a window with text lines on a coloured desktop.
QImage fakeShot(QSize size, QColor desktop, QColor accent)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, desktop);
    g.setColorAt(1, desktop.darker(160));
    p.fillRect(image.rect(), g);
    const QRect window = image.rect().adjusted(size.width() / 8, size.height() / 6, -size.width() / 8, -size.height() / 8);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(248, 248, 250));
    p.drawRoundedRect(window, 12, 12);
    p.setBrush(QColor(20, 20, 24));
    for (int y = window.top() + window.height() / 6; y < window.bottom() - window.height() / 5; y += window.height() / 9)
        p.drawRect(QRect(window.left() + window.width() / 12, y, window.width() / 2, window.height() / 30));
    p.setBrush(accent);
    p.drawRoundedRect(QRect(window.right() - window.width() / 4, window.bottom() - window.height() / 5,
                          window.width() / 6, window.height() / 10),
        8, 8);
    return image;
}

QImage renderSheet(ColorScheme scheme, const QList<CapturePopoverView*>& views, qreal scale)
{
    constexpr int margin = 40, gap = 40;
    int width = margin, height = 0;
    for (CapturePopoverView* view : views) {
        width += view->width() + gap;
        height = std::max(height, view->height());
    }
    width += margin - gap;
    height += 2 * margin;

    QImage sheet(QSize(width, height) * scale, QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(scale);
    QPainter p(&sheet);
    QLinearGradient wallpaper(0, 0, width, height);
    if (scheme == ColorScheme::dark) {
        wallpaper.setColorAt(0, QColor(28, 30, 48));
        wallpaper.setColorAt(1, QColor(70, 34, 64));
    } else {
        wallpaper.setColorAt(0, QColor(196, 214, 240));
        wallpaper.setColorAt(1, QColor(240, 210, 196));
    }
    p.fillRect(QRect(0, 0, width, height), wallpaper);
    int x = margin;
    for (CapturePopoverView* view : views) {
        view->render(&p, QPoint(x, margin), QRegion(), QWidget::DrawChildren);
        x += view->width() + gap;
    }
    return sheet;
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("popover-renders");
    const qreal scale = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 2.0;
    QDir().mkpath(out);

    QTemporaryDir scratch;
    FolderSettings folder(scratch.path());
    JsonSettingsStore settings(scratch.filePath(QStringLiteral("settings.json")));
    CaptureShortcutStore shortcuts(settings);
    NullScreenshotTool tool(QStringLiteral("rendering only"));

    const QList<QImage> shots {
        fakeShot({ 2880, 1800 }, QColor(90, 120, 220), QColor(0, 122, 255)),
        fakeShot({ 1200, 1600 }, QColor(230, 120, 80), QColor(255, 80, 120)),
        fakeShot({ 1920, 1080 }, QColor(60, 170, 130), QColor(40, 160, 90)),
    };
    std::vector<std::unique_ptr<CaptureManager>> managers;
    std::vector<std::unique_ptr<CapturePopoverView>> views;
    QList<CapturePopoverView*> row;
    for (int count : { 0, 1, 3 }) {
        auto manager = std::make_unique<CaptureManager>(folder, Pasteboard::shared());
        for (int i = count - 1; i >= 0; --i)
            manager->addRecent(CapturedShot::make(shots[i]));
        auto view = std::make_unique<CapturePopoverView>(*manager, shortcuts, tool, CapturePopoverView::Actions {});
        view->show();
        row.append(view.get());
        managers.push_back(std::move(manager));
        views.push_back(std::move(view));
    }
    // One lit row on the middle popover, the disabled "Edit Latest" pointed at on the first.
    for (auto [view, index] : { std::pair { row[1], 1 }, std::pair { row[0], 6 } }) {
        MenuCommandButton* button = view->commandRows()[index];
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QCoreApplication::sendEvent(button, &enter);
    }
    spin(250);

    bool ok = true;
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        for (CapturePopoverView* view : row)
            Theme::setColorScheme(view, scheme);
        const QString path = QDir(out).filePath(
            QStringLiteral("popover-%1.png").arg(scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light")));
        const bool saved = renderSheet(scheme, row, scale).save(path);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        ok = ok && saved;
    }

    // The popup window: rendered with its translucent margins over the backdrop.
    TrayIcon tray(new CapturePopoverView(*managers.back(), shortcuts, tool, CapturePopoverView::Actions {}));
    tray.showPopover();
    spin(100);
    QWidget* popup = tray.popupWindow();
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        Theme::setColorScheme(popup, scheme);
        QImage image(popup->size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        {
            QPainter p(&image);
            p.fillRect(QRect(QPoint(0, 0), popup->size()),
                scheme == ColorScheme::dark ? QColor(52, 40, 66) : QColor(214, 222, 236));
            popup->render(&p, QPoint(0, 0), QRegion(), QWidget::DrawChildren);
        }
        const QString path = QDir(out).filePath(QStringLiteral("popup-window-%1.png")
                                                    .arg(scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light")));
        const bool saved = image.save(path);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        ok = ok && saved;
    }
    return ok ? 0 : 1;
}
