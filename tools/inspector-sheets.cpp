// Renders the editor's inspector to PNG files for a visual check, in both colour schemes: the
// Style tab whole (sensitive info with counts, the watermark open with a logo, a framed window
// with its address bar, a social format), the Style tab in its plain state, the Background tab,
// the presets menu and the save-preset dialog.
// Usage: inspector-sheets [output-folder] [scale]   (defaults: ./inspector-renders, 2)
#include "editor/EditorDocument.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "inspector/InspectorView.h"
#include "inspector/SavePresetDialog.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "platform/JsonSettingsStore.h"
#include "support/Wait.h"
#include "ui/LumaSegmented.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdio>
#include <memory>

namespace {
QImage shot()
{
    QImage image(1200, 800, QImage::Format_RGB32);
    image.fill(QColor(240, 242, 246));
    return image;
}

QImage logo()
{
    QImage image(120, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 120, 60);
    g.setColorAt(0, QColor(240, 48, 176));
    g.setColorAt(1, QColor(16, 128, 240));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, 120, 60), 14, 14);
    return image;
}

constexpr int kMargin = 48;

// A desktop-like backdrop for the panel, with room for its shadow.
class Backdrop final : public QWidget {
public:
    explicit Backdrop(ColorScheme scheme)
        : m_dark(scheme == ColorScheme::dark)
    {
    }
    void fit(QWidget* panel)
    {
        panel->move(kMargin, kMargin);
        resize(panel->width() + 2 * kMargin, panel->height() + 2 * kMargin);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, width(), height());
        g.setColorAt(0, m_dark ? QColor(28, 30, 38) : QColor(226, 230, 238));
        g.setColorAt(1, m_dark ? QColor(14, 15, 20) : QColor(200, 206, 220));
        p.fillRect(rect(), g);
    }

private:
    bool m_dark;
};

QImage sheet(Backdrop& backdrop, QWidget* panel, qreal scale)
{
    Q_UNUSED(scale);
    backdrop.fit(panel);
    spin(50);
    return backdrop.grab().toImage();
}

bool save(const QImage& image, const QString& path)
{
    const bool ok = image.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Widgets render at the scale through the platform's device pixel ratio.
    const qreal scale = argc > 2 ? std::atof(argv[2]) : 2.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale > 0 ? scale : 2.0));
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("inspector-renders");
    QDir().mkpath(out);

    QTemporaryDir scratch;
    JsonSettingsStore settings(scratch.filePath(QStringLiteral("settings.json")));
    FakeLoginItem loginItem; // a sheet registers no login item
    FakeScreenshotSettings screenshotSettings;
    Preferences prefs(settings, loginItem, screenshotSettings, scratch.filePath(QStringLiteral("logo.png")));
    PresetStore presets(settings);
    presets.add(QStringLiteral("Launch post"), BeautifySettings::defaults());
    presets.add(QStringLiteral("Docs"), BeautifySettings::defaults());
    prefs.setWatermarkText(QStringLiteral("Lumaforge Labs"));
    prefs.setWatermarkLogo(logo());
    prefs.setWatermarkPosition(WatermarkPosition::bottomLeft);

    const DetectionResult detections {
        { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.03), QRectF(0.1, 0.2, 0.2, 0.03), QRectF(0.1, 0.3, 0.2, 0.03) } },
        { RedactionKind::ip, { QRectF(0.5, 0.1, 0.1, 0.03), QRectF(0.5, 0.2, 0.1, 0.03) } },
        { RedactionKind::apiKey, { QRectF(0.5, 0.5, 0.3, 0.03) } },
    };
    InspectorServices services { &presets, &prefs, [](QWidget*, std::function<void(const QString&)>) { },
        [](const QString&) { } };

    bool ok = true;
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        const QString suffix = scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");

        // Everything open: counts, hand-drawn area, framed window with address, social format, watermark.
        BeautifySettings full = BeautifySettings::defaults();
        full.redactKinds = { RedactionKind::email, RedactionKind::apiKey };
        full.windowFrame = WindowFrameStyle::light;
        full.showURL = true;
        full.urlText = QStringLiteral("lumaforge.app/pricing");
        full.aspect = AspectRatioOption::snapchat;
        full.watermark = true;
        full.flipH = true;
        full.cropRect = QRectF(0.1, 0, 0.9, 1);
        EditorDocument doc(shot(), QStringLiteral("Shot.png"), full, detections, SensitiveTextScan {});
        doc.setManualRedactions({ QRectF(0.6, 0.6, 0.2, 0.1), QRectF(0.1, 0.7, 0.2, 0.1) });
        doc.setSelectedPresetName(QStringLiteral("Launch post"));
        {
            Backdrop backdrop(scheme);
            InspectorView view(&doc, &backdrop, services);
            Theme::setColorScheme(&backdrop, scheme);
            backdrop.show();
            spin(100);
            view.resize(view.sizeHint()); // measured once polished
            spin(200);
            ok &= save(sheet(backdrop, &view, scale), out + QStringLiteral("/style-full-%1.png").arg(suffix));

            // The Background tab at the editor's usual height.
            view.setActiveTab(InspectorView::Tab::background);
            view.setMaxHeight(760);
            view.resize(InspectorView::panelWidth, 760);
            spin(400);
            ok &= save(sheet(backdrop, &view, scale), out + QStringLiteral("/background-%1.png").arg(suffix));

            // The Style tab clipped to the same height: the scroll bar shows.
            view.setActiveTab(InspectorView::Tab::style);
            spin(400);
            ok &= save(sheet(backdrop, &view, scale), out + QStringLiteral("/style-scrolling-%1.png").arg(suffix));

            QMenu* menu = view.buildPresetsMenu(&view);
            Theme::setColorScheme(menu, scheme);
            menu->popup(QPoint(0, 0));
            spin(200);
            ok &= save(menu->grab().toImage(), out + QStringLiteral("/presets-menu-%1.png").arg(suffix));
            menu->close();
            delete menu;

            view.showSavePreset();
            spin(200);
            if (SavePresetDialog* dialog = view.savePresetDialog())
                ok &= save(dialog->grab().toImage(), out + QStringLiteral("/save-preset-%1.png").arg(suffix));
            view.cancelSavePreset();
        }

        // A plain shot: nothing detected, no frame, watermark off.
        EditorDocument plain(shot(), QStringLiteral("Shot.png"), BeautifySettings::defaults(), DetectionResult {},
            SensitiveTextScan {});
        Backdrop backdrop(scheme);
        InspectorView view(&plain, &backdrop, services);
        Theme::setColorScheme(&backdrop, scheme);
        backdrop.show();
        spin(100);
        view.resize(view.sizeHint());
        spin(200);
        ok &= save(sheet(backdrop, &view, scale), out + QStringLiteral("/style-plain-%1.png").arg(suffix));
    }
    prefs.waitForFileWrites();
    QThreadPool::globalInstance()->waitForDone();
    return ok ? 0 : 1;
}
