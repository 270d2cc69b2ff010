// Writes contact sheets of the painted layers so they can be looked at: every background preset
// (the checkerboard in both schemes) and every annotation kind and redaction style.
//   painting_sheets [output folder]   (default: the current folder)
#include "model/BackgroundPreset.h"
#include "render/BackgroundView.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

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
    for (const QString& path : { writeBackgroundSheet(dir) }) {
        if (path.isEmpty())
            ++failures;
        else
            std::printf("%s\n", qPrintable(path));
    }
    return failures ? 1 : 0;
}
