#include "app/ApplicationIcon.h"

#include "core/Log.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon applicationIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        QSvgRenderer renderer(QStringLiteral(":/icons/lumaforge.svg"));
        if (!renderer.isValid()) {
            logLine(QStringLiteral("the application icon could not be read"));
            return made;
        }
        for (int side : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            made.addPixmap(pixmap);
        }
        return made;
    }();
    return icon;
}
