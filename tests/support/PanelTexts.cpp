#include "support/PanelTexts.h"

#include "support/RunningApp.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

QString panelTexts(TextRecognizer& reader)
{
    const QStringList panels = Desktop::findWindows(QStringLiteral("^Lumaforge Shot$"));
    if (panels.isEmpty())
        return {};
    const std::optional<QRect> frame = Desktop::windowGeometry(panels.first());
    if (!frame)
        return {};
    // The card's header row, enlarged so its small detail text reads well.
    const QImage card = QGuiApplication::primaryScreen()->grabWindow(0, frame->x(), frame->y(), frame->width(), 170).toImage();
    const TextRecognition read = reader.recognize(card.scaled(card.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QStringList lines;
    for (const RecognizedLine& line : read.lines)
        lines.append(line.text);
    return lines.join(u'\n');
}
