#include "screens/TextSheets.h"

#include "vision/SensitiveTextDetector.h"

#include <QPainter>

QString sheetName(const SheetRecipe& recipe)
{
    return QStringLiteral("%1-%2-%3x-%4")
        .arg(recipe.family)
        .arg(recipe.pixelSize)
        .arg(recipe.scale)
        .arg(recipe.theme == ShotTheme::dark ? QStringLiteral("dark") : QStringLiteral("light"));
}

GeneratedShot generateSheet(const SheetRecipe& recipe)
{
    const bool dark = recipe.theme == ShotTheme::dark;
    QFont font(recipe.family);
    font.setPixelSize(qRound(recipe.pixelSize * recipe.scale));
    const QFontMetricsF fm(font);
    const qreal pitch = std::ceil(fm.height() * recipe.lineSpacing);
    const qreal margin = recipe.border > 0 ? recipe.border : 24 * recipe.scale;
    GeneratedShot shot;
    shot.name = sheetName(recipe);
    shot.image = QImage(qRound(recipe.width * recipe.scale), qRound(pitch * (recipe.lines.size() + 1)), QImage::Format_RGB32);
    shot.image.fill(dark ? QColor(0x1e1e1e) : QColor(0xffffff));
    QPainter painter(&shot.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(dark ? QColor(0xececec) : QColor(0x1d1d1f));
    const QRect page = shot.image.rect();
    for (qsizetype l = 0; l < recipe.lines.size(); ++l) {
        const SheetLine& line = recipe.lines.at(l);
        const QString& text = line.text;
        const auto advance = [&](qsizetype n) { return fm.horizontalAdvance(text.left(n)); };
        // Whole pixels, so the edge cuts where it is meant to.
        qreal x = line.alignRight ? page.width() - margin - std::ceil(advance(text.size())) : margin;
        if (line.cutLeft > 0)
            x = -std::round(advance(line.cutLeft - 1) + fm.horizontalAdvance(text.at(line.cutLeft - 1)) / 2);
        else if (line.cutRight > 0)
            x = page.width() - std::round(advance(text.size() - line.cutRight) + fm.horizontalAdvance(text.at(text.size() - line.cutRight)) / 2);
        const QPointF origin(x, std::round(pitch * (l + 1)));
        painter.drawText(origin, text);
        if (line.cutLeft == 0 && line.cutRight == 0) {
            shot.texts.append({ text, QRectF(origin.x(), origin.y() - fm.ascent(), advance(text.size()), fm.height()).toAlignedRect() });
            shot.planted += itemsDrawn(text, fm, origin);
            continue;
        }
        const qsizetype firstWhole = line.cutLeft, endWhole = text.size() - line.cutRight;
        const QList<QRect> glyphs = glyphBoxes(text, fm, origin);
        for (const SensitiveMatch& m : findSensitiveMatches(text)) {
            PlantedItem item { m.kind, {}, {}, {} };
            bool whole = true;
            for (qsizetype i = m.start; i < m.start + m.length; ++i) {
                const bool shows = i >= firstWhole && i < endWhole;
                whole = whole && shows;
                if (shows)
                    item.text += text.at(i);
                const QRect ink = glyphs.at(i).intersected(page);
                if (!ink.isEmpty()) {
                    item.glyphs.append(ink);
                    item.box |= ink;
                }
            }
            if (whole)
                shot.planted.append(item);
            else if (!item.text.trimmed().isEmpty())
                shot.cut.append(item);
        }
    }
    return shot;
}

QString readOver(const TextRecognition& r, const QRectF& pixels, QSizeF size)
{
    QString seen;
    for (const RecognizedLine& l : r.lines) {
        const QRectF box(l.box.x() * size.width(), l.box.y() * size.height(), l.box.width() * size.width(), l.box.height() * size.height());
        if (box.intersects(pixels))
            seen += QStringLiteral(" | ") + l.text;
    }
    return seen;
}
