#include "screens/RealShots.h"

#include "vision/SensitiveTextDetector.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>

namespace {

// The commonest colour of a box: the background the run is drawn on.
QRgb commonestColour(const QImage& image, const QRect& box)
{
    std::map<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = box.left(); x <= box.right(); ++x)
            ++counts[row[x] | 0xff000000];
    }
    const auto it = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return it == counts.end() ? 0xffffffff : it->first;
}

// The ink inside a layout cell: pixels that stand well apart from the background.
QRect inkIn(const QImage& image, const QRect& cell, QRgb background)
{
    QRect ink;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb p = row[x];
            const int d = std::max({ std::abs(qRed(p) - qRed(background)), std::abs(qGreen(p) - qGreen(background)),
                std::abs(qBlue(p) - qBlue(background)) });
            if (d > 48)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

} // namespace

QString realShotsFolder()
{
    return QStringLiteral(LUMAFORGE_REAL_SHOTS_DIR);
}

QStringList realShotLayouts(const QString& split)
{
    QDir dir(realShotsFolder() + u'/' + split);
    QStringList files;
    for (const QString& name : dir.entryList({ QStringLiteral("*.layout.json") }, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

RealShot loadRealShot(const QString& layoutPath)
{
    RealShot real;
    QFile file(layoutPath);
    if (!file.open(QIODevice::ReadOnly))
        return real;
    const QJsonObject layout = QJsonDocument::fromJson(file.readAll()).object();
    real.png = QFileInfo(layoutPath).path() + u'/' + layout.value("name").toString() + QStringLiteral(".png");
    const QImage image = QImage(real.png).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return real;
    real.renderer = layout.value("renderer").toString();
    real.theme = layout.value("theme").toString();
    real.scale = layout.value("scale").toDouble(1);
    real.face = layout.value("face").toString();
    GeneratedShot& shot = real.shot;
    shot.name = layout.value("name").toString();
    shot.image = image;
    for (const QJsonValue& value : layout.value("runs").toArray()) {
        const QJsonObject run = value.toObject();
        // The left edges of the characters, then the right edge of the last one.
        const QString full = run.value("text").toString();
        QString text = full;
        const QJsonArray edges = run.value("x").toArray();
        if (edges.size() != text.size() + 1 || text.isEmpty())
            continue;
        const double top = run.value("y").toDouble(), height = run.value("h").toDouble();
        // What the window's edge cuts is left out, as the generated shots leave out what they would
        // draw past the edge: a run whose ink the top or bottom edge cuts through whole, one cut at
        // the side from the first character that does not show whole.
        if (top + height <= 0 || top >= image.height())
            continue;
        QList<QRect> cells; // within the image
        QList<bool> whole;
        for (qsizetype i = 0; i < full.size(); ++i) {
            const double left = edges.at(i).toDouble(), right = edges.at(i + 1).toDouble();
            cells.append(QRectF(left, top, std::max(0.0, right - left), height).toAlignedRect().intersected(image.rect()));
            whole.append(left >= 0 && right <= image.width());
        }
        const qsizetype firstCut = whole.indexOf(false);
        if (firstCut >= 0)
            text.truncate(firstCut);
        QRect runBox, shownBox;
        for (qsizetype i = 0; i < full.size(); ++i) {
            (i < text.size() ? runBox : shownBox) |= cells.at(i);
            shownBox |= cells.at(i);
        }
        if (shownBox.isEmpty())
            continue;
        const QRgb background = commonestColour(image, runBox.isEmpty() ? shownBox : runBox);
        QList<QRect> glyphs;
        for (qsizetype i = 0; i < full.size(); ++i)
            glyphs.append(full.at(i).isSpace() || cells.at(i).isEmpty() ? QRect() : inkIn(image, cells.at(i), background));
        // Of a match the side edge cuts, what shows: its whole characters, and the ink of the one
        // cut in two. The run's other matches stay as the truncated text finds them.
        if (firstCut >= 0) {
            for (const SensitiveMatch& m : findSensitiveMatches(full)) {
                PlantedItem item { m.kind, {}, {}, {} };
                bool cut = false;
                for (qsizetype i = m.start; i < m.start + m.length; ++i) {
                    cut = cut || !whole.at(i);
                    if (whole.at(i))
                        item.text += full.at(i);
                    if (!glyphs.at(i).isEmpty()) {
                        item.glyphs.append(glyphs.at(i));
                        item.box |= glyphs.at(i);
                    }
                }
                if (cut && !item.text.trimmed().isEmpty() && !item.box.isEmpty())
                    shot.cut.append(item);
            }
        }
        if (runBox.isEmpty() || text.trimmed().isEmpty())
            continue;
        QRect inkBox;
        for (qsizetype i = 0; i < text.size(); ++i)
            inkBox |= glyphs.at(i);
        // Most of the line shows: a descender the edge clips leaves the text readable.
        const double shown = std::min(top + height, double(image.height())) - std::max(top, 0.0);
        if (shown < 0.8 * height && (inkBox.top() <= 0 || inkBox.bottom() >= image.height() - 1))
            continue;
        shot.texts.append({ text, inkBox.isEmpty() ? runBox : inkBox });
        for (const SensitiveMatch& m : findSensitiveMatches(text)) {
            PlantedItem item { m.kind, text.mid(m.start, m.length), {}, {} };
            for (qsizetype i = m.start; i < m.start + m.length; ++i)
                if (!glyphs.at(i).isEmpty()) {
                    item.glyphs.append(glyphs.at(i));
                    item.box |= glyphs.at(i);
                }
            if (!item.box.isEmpty())
                shot.planted.append(item);
        }
    }
    return real;
}
