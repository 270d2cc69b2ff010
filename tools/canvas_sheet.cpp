// Writes a contact sheet of canvas styles (frames, address bars, aspects, social sizes, flips,
// crop, watermark corners, redaction styles, transparent `none`, background removal) to a PNG
// so they can be checked by eye. Usage: canvas_sheet [output.png]
#include "render/CanvasRenderer.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

namespace {
QImage screenshot(const QBrush& desktop)
{
    QImage image(1440, 900, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), desktop);
    const QRect window(220, 140, 1000, 620);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 252));
    p.drawRoundedRect(window, 14, 14);
    p.setBrush(QColor(228, 228, 233));
    p.drawRect(QRect(window.left(), window.top() + 8, window.width(), 40));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    p.setFont(font);
    p.setPen(QColor(25, 25, 30));
    const char* lines[] = { "Invoice 4711 for jane.doe@example.com", "Card 4242 4242 4242 4242, total $1,280.00",
        "Server 192.168.1.20 responded in 38 ms", "Call +1 415 555 0132 about the renewal",
        "key sk_live_51Habcdefghijklmnop", "Left text, right text: the flip shows here ->" };
    int y = window.top() + 100;
    for (const char* line : lines) {
        p.drawText(window.left() + 40, y, QString::fromUtf8(line));
        y += 56;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 122, 255));
    p.drawRoundedRect(QRect(window.right() - 200, window.bottom() - 80, 160, 50), 10, 10);
    p.setBrush(QColor(255, 149, 0));
    p.drawEllipse(QRect(window.right() - 260, window.top() + 90, 120, 120));
    return image;
}

struct Cell {
    QString title;
    BeautifySettings settings;
    QList<QRectF> redactions;
    WatermarkConfig watermark { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::bottomRight };
    bool flatDesktop = false;
};
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("canvas-sheet.png");

    QLinearGradient gradient(0, 0, 1440, 900);
    gradient.setColorAt(0, QColor(40, 70, 150));
    gradient.setColorAt(1, QColor(140, 60, 130));
    const QImage shot = screenshot(gradient);
    const QImage flatShot = screenshot(QColor(70, 110, 170));
    // Detected-text boxes as fractions of the image: the e-mail and card lines.
    const QList<QRectF> sensitive { QRectF(0.33, 0.243, 0.18, 0.032), QRectF(0.222, 0.305, 0.17, 0.032) };

    QList<Cell> cells;
    const BeautifySettings base = BeautifySettings::defaults();
    const auto add = [&](const QString& title, auto change) {
        Cell cell { title, base, {} };
        change(cell);
        cells.append(cell);
    };
    add(QStringLiteral("default"), [](Cell&) {});
    add(QStringLiteral("light frame"), [](Cell& c) { c.settings.windowFrame = WindowFrameStyle::light; });
    add(QStringLiteral("light + address"), [](Cell& c) {
        c.settings.windowFrame = WindowFrameStyle::light;
        c.settings.showURL = true;
        c.settings.urlText = QStringLiteral("lumaforge.app/docs/getting-started");
    });
    add(QStringLiteral("dark frame"), [](Cell& c) { c.settings.windowFrame = WindowFrameStyle::dark; });
    add(QStringLiteral("dark + address (empty)"), [](Cell& c) {
        c.settings.windowFrame = WindowFrameStyle::dark;
        c.settings.showURL = true;
    });
    for (const AspectRatioOption a : { AspectRatioOption::r16_9, AspectRatioOption::r1_1, AspectRatioOption::r9_16,
             AspectRatioOption::instagram, AspectRatioOption::x })
        add(rawValue(a), [a](Cell& c) { c.settings.aspect = a; });
    add(QStringLiteral("flip horizontal"), [](Cell& c) { c.settings.flipH = true; });
    add(QStringLiteral("flip vertical"), [](Cell& c) { c.settings.flipV = true; });
    add(QStringLiteral("crop"), [](Cell& c) { c.settings.cropRect = QRectF(0.15, 0.15, 0.5, 0.45); });
    add(QStringLiteral("off-centre"), [](Cell& c) {
        c.settings.aspect = AspectRatioOption::r1_1;
        c.settings.balance = false;
        c.settings.shotOffset = QSizeF(0.05, 0.12);
    });
    for (const WatermarkPosition pos : allCases<WatermarkPosition>)
        add(QStringLiteral("watermark ") + rawValue(pos), [pos](Cell& c) {
            c.settings.watermark = true;
            c.watermark.position = pos;
        });
    add(QStringLiteral("custom watermark"), [](Cell& c) {
        c.settings.watermark = true;
        c.watermark = { QStringLiteral("@jane"), QImage(), true, WatermarkPosition::bottomLeft };
        QImage logo(64, 64, QImage::Format_ARGB32_Premultiplied);
        logo.fill(QColor(255, 200, 0));
        c.watermark.logo = logo;
    });
    for (const RedactStyle style : allCases<RedactStyle>)
        add(QStringLiteral("redact ") + rawValue(style), [&, style](Cell& c) {
            c.settings.redactStyle = style;
            c.redactions = sensitive;
        });
    add(QStringLiteral("none, 16:9 (transparent)"), [](Cell& c) {
        c.settings.background = BackgroundPreset::none;
        c.settings.aspect = AspectRatioOption::r16_9;
    });
    add(QStringLiteral("remove background"), [](Cell& c) {
        c.settings.removeBackground = true;
        c.flatDesktop = true;
    });
    add(QStringLiteral("remove bg, no shadow frame"), [](Cell& c) {
        c.settings.removeBackground = true;
        c.settings.background = BackgroundPreset::noir;
        c.flatDesktop = true;
    });

    const int columns = 5, cellW = 420, cellH = 340, label = 26;
    const int rows = (int(cells.size()) + columns - 1) / columns;
    QImage sheet(columns * cellW, rows * cellH, QImage::Format_RGB32);
    sheet.fill(QColor(96, 96, 100));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    p.setFont(font);
    for (int i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        const QImage source = cell.flatDesktop ? flatShot : shot;
        const QImage rendered = renderCanvasImage(source, cell.settings, {}, cell.redactions, cell.watermark);
        const QRect box((i % columns) * cellW + 10, (i / columns) * cellH + 10, cellW - 20, cellH - 20 - label);
        p.setPen(Qt::white);
        p.drawText(QRect(box.left(), box.bottom() + 4, box.width(), label), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("%1  (%2 x %3 px)").arg(cell.title).arg(rendered.width()).arg(rendered.height()));
        if (rendered.isNull())
            continue;
        QSizeF size = QSizeF(rendered.size()).scaled(box.size(), Qt::KeepAspectRatio);
        const QRectF target(box.left() + (box.width() - size.width()) / 2, box.top() + (box.height() - size.height()) / 2,
            size.width(), size.height());
        if (rendered.hasAlphaChannel())
            p.fillRect(target, QColor(255, 0, 255)); // transparency shows as magenta
        p.drawImage(target, rendered);
    }
    p.end();
    if (!sheet.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
