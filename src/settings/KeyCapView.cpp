#include "settings/KeyCapView.h"

#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
QFont capFont() { return Theme::font(13, QFont::Medium); }
QFont wordFont() { return Theme::font(11); }

qreal pieceWidth(const KeyCapView::Piece& piece)
{
    if (!piece.cap)
        return std::ceil(QFontMetricsF(wordFont()).horizontalAdvance(piece.text));
    const qreal text = QFontMetricsF(capFont()).horizontalAdvance(piece.text);
    return std::ceil(std::max(KeyCapView::capMinimum, text + 2 * KeyCapView::capPadding));
}
}

QColor keyCapFill(const QWidget* widget)
{
    return Theme::colorScheme(widget) == ColorScheme::dark ? Theme::rgb(58, 58, 62) : Theme::rgb(255, 255, 255);
}

KeyCapView::KeyCapView(QString display, QWidget* parent)
    : QWidget(parent)
    , m_display(std::move(display))
    , m_pieces(pieces(m_display))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

QList<KeyCapView::Piece> KeyCapView::pieces(const QString& display)
{
    QList<Piece> out;
    for (const QString& part : display.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append({ part, part.toLower() != QLatin1String("then") });
    return out;
}

QList<QRectF> KeyCapView::pieceRects() const
{
    QList<QRectF> rects;
    const qreal boxHeight = QWidget::height() > 0 ? QWidget::height() : capMinimum;
    qreal x = 0;
    for (const Piece& piece : m_pieces) {
        const qreal width = pieceWidth(piece);
        const qreal h = piece.cap ? capMinimum : QFontMetricsF(wordFont()).height();
        rects.append(QRectF(x, (boxHeight - h) / 2.0, width, h));
        x += width + spacing;
    }
    return rects;
}

QSize KeyCapView::sizeHint() const
{
    qreal width = 0;
    for (const Piece& piece : m_pieces)
        width += pieceWidth(piece);
    width += spacing * std::max<qsizetype>(0, m_pieces.size() - 1);
    return { int(std::ceil(width)), int(capMinimum) + 2 };
}

void KeyCapView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = Theme::colorScheme(this);
    const QList<QRectF> rects = pieceRects();
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const Piece& piece = m_pieces[i];
        const QRectF r = rects[i];
        if (!piece.cap) {
            p.setFont(wordFont());
            p.setPen(Theme::secondaryText(scheme));
            p.drawText(r, Qt::AlignCenter, piece.text);
            continue;
        }
        QPainterPath shape;
        shape.addRoundedRect(r.adjusted(0.25, 0.25, -0.25, -0.25), capRadius, capRadius);
        p.fillPath(shape, keyCapFill(this));
        p.setPen(QPen(QColor(0, 0, 0, int(0.12 * 255)), 0.5));
        p.drawPath(shape);
        p.setFont(capFont());
        p.setPen(Theme::primaryText(scheme));
        p.drawText(r, Qt::AlignCenter, piece.text);
    }
}
