// Writes contact sheets of the painted layers so they can be looked at: every background preset
// (the checkerboard in both schemes) and every annotation kind and redaction style.
//   painting_sheets [output folder]   (default: the current folder)
#include "model/Annotation.h"
#include "model/BackgroundPreset.h"
#include "render/AnnotationLayer.h"
#include "render/BackgroundView.h"
#include "render/ContinuousCorners.h"
#include "render/RedactionBars.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace {
QString writeBackgroundSheet(const QDir& dir)
{
    const int columns = 8, cellW = 240, cellH = 160, label = 22, gap = 12;
    const auto& presets = allCases<BackgroundPreset>;
    const int count = int(presets.size()) + 1; // `none` once more, dark
    const int rows = (count + columns - 1) / columns;
    QImage sheet(columns * (cellW + gap) + gap, rows * (cellH + label + gap) + gap, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x80, 0x80, 0x84));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < count; ++i) {
        const BackgroundPreset preset = i < int(presets.size()) ? presets[std::size_t(i)] : BackgroundPreset::none;
        const ColorScheme scheme = i < int(presets.size()) ? ColorScheme::light : ColorScheme::dark;
        const QRectF cell(gap + (i % columns) * (cellW + gap), gap + (i / columns) * (cellH + label + gap), cellW, cellH);
        paintBackground(painter, cell, preset, scheme);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(cell.left(), cell.bottom(), cellW, label), Qt::AlignCenter,
            rawValue(preset) + (scheme == ColorScheme::dark ? QStringLiteral(" (dark)") : QString()));
    }
    painter.end();
    const QString path = dir.filePath(QStringLiteral("backgrounds.png"));
    return sheet.save(path) ? path : QString();
}

// A stand-in screenshot: a title bar and lines of text of the kinds that get hidden.
QImage sampleScreenshot(QSize size)
{
    QImage shot(size, QImage::Format_RGB32);
    shot.fill(QColor(250, 250, 252));
    QPainter p(&shot);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, size.width(), size.height() / 9), QColor(52, 120, 246));
    QFont font;
    font.setPixelSize(std::max(10, size.height() / 22));
    p.setFont(font);
    const QStringList lines { QStringLiteral("Contact: jane.doe@example.com"), QStringLiteral("Phone: +1 (555) 014-2298"),
        QStringLiteral("Card: 4111 1111 1111 1111"), QStringLiteral("Server 192.168.10.42 responded"),
        QStringLiteral("Total due: $1,249.99"), QStringLiteral("key = sk_live_51HxQ9aZ2kL0pR7mN") };
    const double step = size.height() * 0.8 / (lines.size() + 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        p.setPen(i % 2 ? QColor(30, 30, 34) : QColor(160, 40, 60));
        p.drawText(QPointF(size.width() * 0.06, size.height() * 0.2 + step * (i + 1)), lines[i]);
    }
    return shot;
}

// One canvas: background, a rounded screenshot with its hidden lines, and the marks over it.
void paintSampleCanvas(QPainter& painter, const QRectF& canvas, const QImage& shot, RedactStyle style,
    const QList<Annotation>& marks, BackgroundPreset background)
{
    paintBackground(painter, canvas, background, ColorScheme::light);
    const QRectF imageFraction(0.1, 0.1, 0.8, 0.8);
    const QRectF image(canvas.x() + canvas.width() * 0.1, canvas.y() + canvas.height() * 0.1, canvas.width() * 0.8, canvas.height() * 0.8);
    const double radius = 12;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(continuousRoundedRect(image, radius));
    painter.drawImage(image, shot);
    // The text lines of the sample, as fractions of the image.
    QList<QRectF> hidden;
    const double step = 0.8 / 7;
    for (int i = 0; i < 6; ++i)
        hidden.append(QRectF(0.05, 0.2 + step * (i + 1) - 0.055, 0.62, 0.075));
    paintRedactions(painter, image, shot, hidden, style, 0.6);
    painter.restore();
    paintAnnotations(painter, canvas, marks, imageFraction, radius);
}

Annotation mark(Annotation::Kind kind, QPointF start, QPointF end, int color)
{
    Annotation a;
    a.kind = kind;
    a.start = start;
    a.end = end;
    a.colorHex = color;
    a.lineWidthFraction = 1.5;
    return a;
}

QString writeMarksSheet(const QDir& dir)
{
    const QSizeF canvas(1200, 800);
    const double scale = 2;
    const QImage shot = sampleScreenshot(QSize(1920, 1280));

    QList<Annotation> marks;
    Annotation text = mark(Annotation::Kind::text, { 0.5, 0.06 }, {}, 0xFFFFFF);
    text.text = QStringLiteral("Every annotation kind");
    marks.append(text);
    const Annotation::Align aligns[] = { Annotation::Align::leading, Annotation::Align::center, Annotation::Align::trailing };
    for (int i = 0; i < 3; ++i) {
        Annotation t = mark(Annotation::Kind::text, { 0.72, 0.2 + 0.11 * i }, {}, i == 1 ? 0x34C759 : 0xFF3B30);
        t.text = QStringLiteral("Multi-line\n%1 text").arg(rawValue(aligns[i]));
        t.alignment = aligns[i];
        t.fontFraction = 0.03;
        marks.append(t);
    }
    Annotation pen = mark(Annotation::Kind::pen, {}, {}, 0x007AFF);
    for (int i = 0; i <= 40; ++i)
        pen.points.append(QPointF(0.12 + i * 0.007, 0.8 + 0.05 * std::sin(i / 4.0)));
    marks.append(pen);
    Annotation dashedPen = pen;
    dashedPen.id = QUuid::createUuid();
    dashedPen.dashed = true;
    dashedPen.colorHex = 0xAF52DE;
    for (QPointF& p : dashedPen.points)
        p.ry() += 0.08;
    marks.append(dashedPen);
    marks.append(mark(Annotation::Kind::arrow, { 0.42, 0.88 }, { 0.56, 0.7 }, 0xFF3B30));
    Annotation dashedArrow = mark(Annotation::Kind::arrow, { 0.6, 0.9 }, { 0.78, 0.75 }, 0xFF9500);
    dashedArrow.dashed = true;
    marks.append(dashedArrow);
    marks.append(mark(Annotation::Kind::line, { 0.82, 0.9 }, { 0.95, 0.7 }, 0x34C759));
    Annotation box = mark(Annotation::Kind::box, { 0.05, 0.3 }, { 0.28, 0.45 }, 0xFF3B30);
    box.fillOpacity = 0.25;
    marks.append(box);
    Annotation dashedBox = mark(Annotation::Kind::box, { 0.3, 0.28 }, { 0.5, 0.42 }, 0x007AFF);
    dashedBox.dashed = true;
    marks.append(dashedBox);
    Annotation ellipse = mark(Annotation::Kind::ellipse, { 0.06, 0.5 }, { 0.3, 0.66 }, 0xFFCC00);
    ellipse.fillOpacity = 0.35;
    marks.append(ellipse);
    // Two overlapping highlights and one reaching past the screenshot: all three windows clear.
    marks.append(mark(Annotation::Kind::highlight, { 0.36, 0.5 }, { 0.56, 0.62 }, 0xFFCC00));
    marks.append(mark(Annotation::Kind::highlight, { 0.5, 0.56 }, { 0.66, 0.68 }, 0xFFCC00));
    marks.append(mark(Annotation::Kind::highlight, { 0.82, 0.04 }, { 0.97, 0.2 }, 0x5AC8FA));

    const RedactStyle styles[] = { RedactStyle::blur, RedactStyle::pixelate, RedactStyle::block };
    QImage sheet(QSize(int(canvas.width() * scale), int((canvas.height() * 5 / 3 + 72) * scale)), QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(scale);
    sheet.fill(QColor(0x80, 0x80, 0x84));
    QPainter painter(&sheet);
    // Top: every mark over a blurred screenshot. Bottom: the three redaction styles side by side.
    paintSampleCanvas(painter, QRectF(QPointF(0, 0), canvas), shot, RedactStyle::blur, marks, BackgroundPreset::sunset);
    const double third = canvas.width() / 3;
    for (int i = 0; i < 3; ++i) {
        const QRectF cell(i * third, canvas.height() + 40, third - 8, canvas.height() / 3 * 2);
        paintSampleCanvas(painter, cell, shot, styles[i], {}, BackgroundPreset::ocean);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(cell.left(), cell.bottom(), cell.width(), 24), Qt::AlignCenter, rawValue(styles[i]));
    }
    painter.end();
    const QString path = dir.filePath(QStringLiteral("marks.png"));
    return sheet.save(path) ? path : QString();
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    int failures = 0;
    for (const QString& path : { writeBackgroundSheet(dir), writeMarksSheet(dir) }) {
        if (path.isEmpty())
            ++failures;
        else
            std::printf("%s\n", qPrintable(path));
    }
    return failures ? 1 : 0;
}
