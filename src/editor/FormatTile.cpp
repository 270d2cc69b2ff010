#include "editor/FormatTile.h"

#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

FormatTile::FormatTile(const QString& symbol, QSize size, qreal symbolSize, QFont::Weight weight, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_symbolSize(symbolSize)
    , m_weight(weight)
{
    setFixedSize(size);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

FormatTile::FormatTile(const QString& symbol, const QString& help, QWidget* parent)
    : FormatTile(symbol, QSize(26, 26), 12, QFont::Normal, parent)
{
    setToolTip(help);
}

FormatTile* FormatTile::stepButton(const QString& symbol, QWidget* parent)
{
    return new FormatTile(symbol, QSize(22, 26), 10, QFont::DemiBold, parent);
}

void FormatTile::setSymbol(const QString& symbol)
{
    m_symbol = symbol;
    update();
}

void FormatTile::setOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void FormatTile::setFace(const QString& symbol, const QString& help, bool on)
{
    setToolTip(help);
    m_symbol = symbol;
    m_on = on;
    update();
}

void FormatTile::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        p.setOpacity(0.6);
    QColor ink = Theme::primaryText(Theme::colorScheme(this));
    if (m_on) {
        p.fillPath(continuousRoundedRect(QRectF(rect()), 6), Theme::accentGradient());
        ink = Qt::white;
    }
    Symbols::paint(p, m_symbol, QRectF(rect()).center(), m_symbolSize, ink, m_weight);
}

FormatSeparator::FormatSeparator(QWidget* parent)
    : QWidget(parent)
{
    // 0.5 wide with 2 of padding each side.
    setFixedSize(5, 18);
}

void FormatSeparator::paintEvent(QPaintEvent*)
{
    QColor color = Theme::primaryText(Theme::colorScheme(this));
    color.setAlphaF(0.15f);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(2.25, 0, 0.5, height()), color);
}
