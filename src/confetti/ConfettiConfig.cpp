#include "confetti/ConfettiConfig.h"

#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
QImage canvasFor(QSizeF size)
{
    const QSize pixels(std::max(1, int(std::ceil(size.width() * ConfettiConfig::kPieceScale))),
        std::max(1, int(std::ceil(size.height() * ConfettiConfig::kPieceScale))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ConfettiConfig::kPieceScale);
    image.fill(Qt::transparent);
    return image;
}

// An image piece from the resources, by name with or without its extension.
QImage resourceImage(const QString& name)
{
    for (const QString& candidate : { QStringLiteral(":/%1").arg(name), QStringLiteral(":/%1.png").arg(name),
             QStringLiteral(":/images/%1").arg(name), QStringLiteral(":/images/%1.png").arg(name) }) {
        if (QFile::exists(candidate)) {
            QImage image(candidate);
            if (!image.isNull())
                return image;
        }
    }
    return {};
}
}

ConfettiPiece prepareConfettiPiece(const ConfettiType& type, const QColor& color, qreal size)
{
    ConfettiPiece piece;
    switch (type.kind()) {
    case ConfettiType::Kind::shape: {
        piece.size = QSizeF(size, size);
        piece.image = canvasFor(piece.size);
        QPainter p(&piece.image);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(confettiShapePath(type.shapeCase(), QRectF(QPointF(0, 0), piece.size)), color);
        break;
    }
    case ConfettiType::Kind::text: {
        const QFont font = Theme::font(size);
        const QFontMetricsF metrics(font);
        piece.size = QSizeF(std::max<qreal>(1, metrics.horizontalAdvance(type.payload())), metrics.height());
        piece.image = canvasFor(piece.size);
        QPainter p(&piece.image);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(color);
        p.drawText(QRectF(QPointF(0, 0), piece.size), Qt::AlignCenter, type.payload());
        break;
    }
    case ConfettiType::Kind::sfSymbol: {
        const qreal extent = Symbols::extent(size);
        piece.size = QSizeF(extent, extent);
        piece.image = Symbols::pixmap(type.payload(), size, color, ConfettiConfig::kPieceScale).toImage();
        break;
    }
    case ConfettiType::Kind::image: {
        // Resizable within a size x size box, keeping its proportions; images keep their colours.
        const QImage source = resourceImage(type.payload());
        if (source.isNull()) {
            piece.size = QSizeF(size, size);
            piece.image = canvasFor(piece.size);
            break;
        }
        piece.size = QSizeF(source.size()).scaled(QSizeF(size, size), Qt::KeepAspectRatio);
        piece.image = canvasFor(piece.size);
        QPainter p(&piece.image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(QPointF(0, 0), piece.size), source);
        break;
    }
    }
    return piece;
}

ConfettiConfig::ConfettiConfig(const ConfettiOptions& o)
    : num(o.num)
    , colors(o.colors)
    , confettiSize(o.confettiSize)
    , rainHeight(o.rainHeight)
    , fadesOut(o.fadesOut)
    , opacity(o.opacity)
    , openingAngle(o.openingAngle)
    , closingAngle(o.closingAngle)
    , radius(o.radius)
    , repetitions(o.repetitions)
    , repetitionInterval(o.repetitionInterval)
    , explosionAnimationDuration(o.radius / 1300.0)
    , rainAnimationDuration((o.rainHeight + o.radius) / 200.0)
    , hapticFeedback(o.hapticFeedback)
{
    for (const ConfettiType& type : o.confettis) {
        for (const QColor& color : o.colors)
            shapes.append(prepareConfettiPiece(type, color, o.confettiSize));
    }
}
