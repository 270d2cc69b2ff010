// Renders the annotation format bars and the open colour chooser to PNG files for a visual check:
// over a styled canvas with a text, a highlight, a filled box and an arrow, each bar framed and
// placed above its annotation as the editing layer does, under both colour schemes; and each bar
// and the chooser alone, enlarged.
// Usage: format-bar-sheets [output-folder] [scale]   (defaults: ./format-bar-renders, 2)
#include "editor/ColorChipButton.h"
#include "editor/ColorChooserPopover.h"
#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"
#include "editor/HighlightFormatBar.h"
#include "editor/ShapeFormatBar.h"
#include "editor/TextFormatBar.h"
#include "platform/ColorSampler.h"
#include "platform/ColorSamplerOverlay.h"
#include "render/ContinuousCorners.h"
#include "screens/ScreenshotGenerator.h"
#include "ui/PopoverWindow.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include <cstdio>

namespace {
void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The editing layer's frame around a bar: material in a rounded rectangle, a hairline and a shadow.
class BarFrame : public QWidget {
public:
    explicit BarFrame(QWidget* bar)
    {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(10 + kShadow, kShadow, 10 + kShadow, kShadow);
        row->addWidget(bar);
        setFixedSize(bar->sizeHint().width() + 20 + 2 * kShadow, 40 + 2 * kShadow);
    }
    static constexpr int kShadow = 14;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
        const QRectF box = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);
        const QPainterPath shape = continuousRoundedRect(box, 12);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        paintShadow(p, shape, Theme::rgb(0, 0, 0, 0.2), 10, { 0, 4 });
        p.fillPath(shape, Theme::materialFill(dark ? ColorScheme::dark : ColorScheme::light));
        p.setPen(QPen(Theme::rgb(255, 255, 255, dark ? 0.15 : 0.7), 0.5));
        p.drawPath(continuousRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), 12));
    }
};

// Stands in for the desktop's sampler so "Pick" shows as it does where one exists.
class ShowcaseSampler final : public ColorSampler {
public:
    bool isAvailable() const override { return true; }
    bool isSampling() const override { return false; }
    void sample(QObject*, Picked, Finished finished) override { finished(); }
};

Annotation mark(Annotation::Kind kind, QPointF start, QPointF end, int color)
{
    Annotation a;
    a.kind = kind;
    a.start = start;
    a.end = end;
    a.colorHex = color;
    a.lineWidthFraction = 3;
    return a;
}

QString schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
}

bool save(const QImage& image, const QString& path)
{
    const bool saved = image.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("format-bar-renders");
    const qreal scale = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 2.0;
    QDir().mkpath(out);
    ShowcaseSampler sampler;
    ColorSampler::setShared(&sampler);

    ShotRecipe recipe;
    recipe.layout = ShotLayout::settings;
    EditorDocument doc(generateShot(recipe).image, QStringLiteral("Shot.png"), BeautifySettings::defaults(), DetectionResult {});
    Annotation text = mark(Annotation::Kind::text, { 0.16, 0.24 }, { 0.16, 0.24 }, 0xFFFFFF);
    text.text = QStringLiteral("Ship it");
    text.fontName = QStringLiteral("DejaVu Sans");
    text.alignment = Annotation::Align::center;
    Annotation highlight = mark(Annotation::Kind::highlight, { 0.56, 0.3 }, { 0.86, 0.42 }, 0xFFCC00);
    Annotation box = mark(Annotation::Kind::box, { 0.2, 0.58 }, { 0.46, 0.8 }, 0xFF3B30);
    box.fillOpacity = 0.25;
    Annotation arrow = mark(Annotation::Kind::arrow, { 0.62, 0.86 }, { 0.8, 0.64 }, 0x0A84FF);
    arrow.dashed = true;
    doc.setAnnotations({ text, highlight, box, arrow });
    const QImage canvas = renderDocumentImage(doc);

    constexpr int kCanvasWidth = 1000;
    const QSize canvasSize(kCanvasWidth, kCanvasWidth * canvas.height() / canvas.width());
    constexpr int kMargin = 40;

    struct Placed {
        QWidget* frame;
        QWidget* bar;
        QPointF centre;
    };
    bool ok = true;
    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        QList<QString> widthTexts(4); // the layer's texts outlive its bars
        QWidget stage;
        stage.resize(canvasSize + QSize(2 * kMargin, 2 * kMargin));
        Theme::setColorScheme(&stage, scheme);
        QList<Placed> placed;
        int i = 0;
        for (const Annotation& a : doc.annotations()) {
            doc.setSelectedAnnotation(a.id);
            QWidget* bar = a.kind == Annotation::Kind::text ? static_cast<QWidget*>(new TextFormatBar(&doc, a.id))
                : a.kind == Annotation::Kind::highlight     ? static_cast<QWidget*>(new HighlightFormatBar(&doc, a.id, nullptr, &widthTexts[i]))
                                                            : static_cast<QWidget*>(new ShapeFormatBar(&doc, a.id, nullptr, &widthTexts[i]));
            auto* frame = new BarFrame(bar);
            frame->setParent(&stage);
            const QRectF r = a.kind == Annotation::Kind::text ? QRectF(a.start, a.start) : a.boundingRect();
            const QPointF centre(kMargin + r.center().x() * canvasSize.width(),
                kMargin + r.top() * canvasSize.height() - (a.kind == Annotation::Kind::text ? 40 : 28));
            frame->move((centre - QPointF(frame->width() / 2.0, frame->height() / 2.0)).toPoint());
            placed.append({ frame, bar, centre });
            ++i;
        }
        stage.show();
        spin(50);

        // The chooser opened from the box's bar, as it hangs below the chip.
        auto* shapeBar = static_cast<ShapeFormatBar*>(placed[2].bar);
        shapeBar->colorChip()->click();
        spin(50);
        PopoverWindow* popover = shapeBar->colorChip()->popover();

        QImage sheet(stage.size() * scale, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(scale);
        {
            QPainter p(&sheet);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.fillRect(QRect(QPoint(0, 0), stage.size()), scheme == ColorScheme::dark ? QColor(30, 30, 34) : QColor(236, 236, 240));
            p.drawImage(QRect(QPoint(kMargin, kMargin), canvasSize), canvas);
            for (const Placed& item : placed)
                item.frame->render(&p, item.frame->pos(), QRegion(), QWidget::DrawChildren);
            const QPoint chipAt = shapeBar->colorChip()->mapTo(&stage, QPoint(0, 0));
            const QPoint popoverAt(chipAt.x() + shapeBar->colorChip()->width() / 2 - popover->width() / 2,
                chipAt.y() + shapeBar->colorChip()->height() - PopoverWindow::kShadowMargin);
            popover->render(&p, popoverAt, QRegion(), QWidget::DrawChildren);
        }
        ok = save(sheet, QDir(out).filePath(QStringLiteral("format-bars-%1.png").arg(schemeName(scheme)))) && ok;

        // Each bar and the chooser alone, enlarged.
        constexpr qreal kZoom = 3;
        int height = 0, width = 0;
        for (const Placed& item : placed) {
            height += item.frame->height();
            width = std::max(width, item.frame->width());
        }
        width = std::max(width, popover->width());
        height += popover->height();
        QImage close(QSize(width, height) * kZoom, QImage::Format_ARGB32_Premultiplied);
        close.setDevicePixelRatio(kZoom);
        {
            QPainter p(&close);
            p.fillRect(QRect(0, 0, width, height), scheme == ColorScheme::dark ? QColor(60, 64, 80) : QColor(150, 170, 200));
            int y = 0;
            for (const Placed& item : placed) {
                item.frame->render(&p, QPoint(0, y), QRegion(), QWidget::DrawChildren);
                y += item.frame->height();
            }
            popover->render(&p, QPoint(0, y), QRegion(), QWidget::DrawChildren);
        }
        ok = save(close, QDir(out).filePath(QStringLiteral("format-bars-close-%1.png").arg(schemeName(scheme)))) && ok;
        popover->hide();
    }

    // The screen sampler's frozen screen with its magnifier over the chooser's palette.
    {
        ColorSamplerOverlay overlay(QGuiApplication::primaryScreen(), QImage(QDir(out).filePath(QStringLiteral("format-bars-light.png"))));
        overlay.resize(canvasSize + QSize(2 * kMargin, 2 * kMargin));
        const QPointF at(232, 493); // on the red swatch's edge
        QMouseEvent move(QEvent::MouseMove, at, overlay.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&overlay, &move);
        ok = save(overlay.grab(QRect(at.toPoint() - QPoint(150, 120), QSize(300, 260))).toImage(),
                 QDir(out).filePath(QStringLiteral("sampler-magnifier.png")))
            && ok;
    }
    return ok ? 0 : 1;
}
