#include "editor_window/ToolDock.h"

#include "editor/EditorDocument.h"
#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QPainter>

#include <cmath>
#include <QVBoxLayout>

ToolTile::ToolTile(AnnotationTool tool, QWidget* parent)
    : QAbstractButton(parent)
    , m_tool(tool)
{
    setObjectName(QStringLiteral("tool-") + rawValue(tool));
    setToolTip(label(tool));
    setFixedSize(38, 38);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void ToolTile::setCurrent(bool current)
{
    if (current == m_current)
        return;
    m_current = current;
    update();
}

void ToolTile::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const qreal dpr = devicePixelRatioF();
    // Kept per look: the dock is repainted on every frame a canvas moves behind it.
    const quint64 look = (quint64(m_current) << 40) | (quint64(scheme == ColorScheme::dark) << 41)
        | (quint64(std::lround(dpr * 64)) << 8) | quint64(m_tool);
    if (m_look != look || m_image.isNull()) {
        m_image = QImage((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(dpr);
        m_image.fill(Qt::transparent);
        QPainter p(&m_image);
        paintTile(p, scheme);
        m_look = look;
    }
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void ToolTile::paintTile(QPainter& p, ColorScheme scheme) const
{
    const bool dark = scheme == ColorScheme::dark;
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0, 0, 38, 38);
    const QPainterPath shape = continuousRoundedRect(tile, 11);
    QColor symbol;
    if (m_current) {
        p.fillPath(shape, Theme::accentGradient());
        symbol = Qt::white;
    } else {
        if (!dark) {
            p.fillPath(shape, Theme::rgb(255, 255, 255, 0.75));
            p.setPen(QPen(Theme::rgb(0, 0, 0, 0.07), 0.5));
            p.drawPath(continuousRoundedRect(tile.adjusted(0.25, 0.25, -0.25, -0.25), 10.75));
        }
        symbol = dark ? Theme::rgb(255, 255, 255, 0.8) : Theme::rgb(0, 0, 0, 0.8);
    }
    Symbols::paint(p, symbolName(m_tool), tile.center(), 15, symbol, QFont::Medium);
}

ToolDock::ToolDock(EditorDocument& document, QWidget* parent)
    : GlassPanel(17, parent)
    , m_doc(document)
{
    setObjectName(QStringLiteral("toolDock"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(3);
    for (AnnotationTool tool : allCases<AnnotationTool>) {
        auto* tile = new ToolTile(tool, this);
        connect(tile, &QAbstractButton::clicked, this, [this, tool] { m_doc.setTool(tool); });
        column->addWidget(tile, 0, Qt::AlignHCenter);
        m_tiles.append(tile);
        if (tool == AnnotationTool::select) {
            auto* separator = new QWidget(this);
            separator->setObjectName(QStringLiteral("toolSeparator"));
            separator->setFixedSize(24, 5); // 1 pt line with 2 pt above and below
            column->addWidget(separator, 0, Qt::AlignHCenter);
        }
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_doc, &EditorDocument::toolChanged, this, &ToolDock::sync);
    sync();
}

ToolTile* ToolDock::tile(AnnotationTool tool) const
{
    for (ToolTile* t : m_tiles)
        if (t->tool() == tool)
            return t;
    return nullptr;
}

void ToolDock::sync()
{
    for (ToolTile* t : m_tiles)
        t->setCurrent(t->tool() == m_doc.tool());
    update();
}

void ToolDock::paintEvent(QPaintEvent* event)
{
    GlassPanel::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The separator line, and the current tile's shadow (tiles cannot paint outside themselves).
    if (QWidget* separator = findChild<QWidget*>(QStringLiteral("toolSeparator")))
        p.fillRect(QRectF(separator->x(), separator->y() + 2, 24, 1),
            [&] { QColor c = Theme::primaryText(Theme::colorScheme(this)); c.setAlphaF(0.15f); return c; }());
    for (ToolTile* t : m_tiles)
        if (t->isCurrent())
            paintShadow(p, continuousRoundedRect(QRectF(t->geometry()), 11), Theme::rgb(0, 0, 0, 0.25), 4, QPointF(0, 2));
}
