#include "inspector/BackgroundSwatchGrid.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorPalette.h"
#include "render/BackgroundView.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QHash>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr auto& kPresets = allCases<BackgroundPreset>;

QFont captionFont(bool selected) { return Theme::font(10, selected ? QFont::DemiBold : QFont::Normal); }

struct SwatchKey {
    BackgroundPreset preset;
    ColorScheme scheme;
    int pixels;
    bool operator==(const SwatchKey&) const = default;
};

size_t qHash(const SwatchKey& key, size_t seed = 0)
{
    return qHashMulti(seed, int(key.preset), int(key.scheme), key.pixels);
}

QHash<SwatchKey, QPixmap>& swatchCache()
{
    static QHash<SwatchKey, QPixmap> cache;
    return cache;
}
}

BackgroundSwatchGrid::BackgroundSwatchGrid(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setCursor(Qt::PointingHandCursor);
    Theme::followColorScheme(this);
    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, qOverload<>(&QWidget::update));
}

int BackgroundSwatchGrid::cellCount() const
{
    return int(kPresets.size());
}

qreal BackgroundSwatchGrid::columnWidth(qreal width) const
{
    return std::max(10.0, (width - spacing * (columns - 1)) / columns);
}

qreal BackgroundSwatchGrid::captionHeight() const
{
    return std::ceil(QFontMetricsF(captionFont(true)).height());
}

qreal BackgroundSwatchGrid::rowHeight(qreal width) const
{
    return columnWidth(width) + captionSpacing + captionHeight();
}

int BackgroundSwatchGrid::heightForWidth(int width) const
{
    const int rows = (cellCount() + columns - 1) / columns;
    return int(std::ceil(rows * rowHeight(width) + (rows - 1) * spacing));
}

QSize BackgroundSwatchGrid::sizeHint() const
{
    return QSize(278, heightForWidth(278));
}

QSize BackgroundSwatchGrid::minimumSizeHint() const
{
    return QSize(int(columns * 10 + (columns - 1) * spacing), heightForWidth(int(columns * 10 + (columns - 1) * spacing)));
}

QRectF BackgroundSwatchGrid::cellRect(int index) const
{
    if (index < 0 || index >= cellCount())
        return {};
    const qreal column = columnWidth(width());
    const int row = index / columns;
    const int col = index % columns;
    return QRectF(col * (column + spacing), row * (rowHeight(width()) + spacing), column, rowHeight(width()));
}

QRectF BackgroundSwatchGrid::swatchRect(int index) const
{
    const QRectF cell = cellRect(index);
    return QRectF(cell.topLeft(), QSizeF(cell.width(), cell.width()));
}

int BackgroundSwatchGrid::cellAt(QPointF pos) const
{
    const qreal column = columnWidth(width());
    const qreal row = rowHeight(width());
    if (pos.x() < 0 || pos.y() < 0)
        return -1;
    const int col = int(pos.x() / (column + spacing));
    const int line = int(pos.y() / (row + spacing));
    if (col >= columns)
        return -1;
    const int index = line * columns + col;
    return index < cellCount() && cellRect(index).contains(pos) ? index : -1;
}

QPixmap BackgroundSwatchGrid::swatchPixmap(BackgroundPreset preset, ColorScheme scheme, int side, qreal devicePixelRatio)
{
    const int pixels = std::max(1, int(std::lround(side * devicePixelRatio)));
    // Only `none` (the checkerboard) depends on the scheme; the gradients share one entry.
    const SwatchKey key { preset, preset == BackgroundPreset::none ? scheme : ColorScheme::light, pixels };
    auto& cache = swatchCache();
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    // Swatches of another size belong to a former width or screen: a grid shows one size, so
    // they are dropped rather than kept for good.
    static int cachedPixels = 0;
    if (pixels != cachedPixels) {
        cache.clear();
        cachedPixels = pixels;
    }
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF square(0, 0, pixels / devicePixelRatio, pixels / devicePixelRatio);
        p.setClipPath(continuousRoundedRect(square, cornerRadius));
        paintBackground(p, square, preset, scheme);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

void BackgroundSwatchGrid::clearSwatchCache()
{
    swatchCache().clear();
}

int BackgroundSwatchGrid::swatchCacheCount()
{
    return int(swatchCache().size());
}

void BackgroundSwatchGrid::paintEvent(QPaintEvent* event)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const EditorDocument* doc = m_inspector.document();
    const bool hasDocument = doc != nullptr;
    const BackgroundPreset current = hasDocument ? doc->settings().background : BackgroundPreset::none;
    const QColor accent = Theme::accentFor(scheme);
    const QColor captionColor = InspectorPalette::sectionTitle(scheme);
    const qreal dpr = devicePixelRatioF();

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF exposed = event->rect();
    for (int i = 0; i < cellCount(); ++i) {
        const QRectF cell = cellRect(i);
        if (!cell.intersects(exposed))
            continue;
        const BackgroundPreset preset = kPresets[size_t(i)];
        const bool selected = hasDocument && current == preset;
        const QRectF square = swatchRect(i);
        const int side = int(std::floor(square.width()));
        const QRectF snapped(std::round(square.x()), std::round(square.y()), side, side);
        p.drawPixmap(snapped.topLeft(), swatchPixmap(preset, scheme, side, dpr));
        // The ring lies inside the swatch's edge.
        const qreal ring = selected ? 2.0 : 0.5;
        p.setPen(QPen(selected ? accent : Theme::rgb(0, 0, 0, 0.08), ring));
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousRoundedRect(snapped.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2), cornerRadius - ring / 2));

        const QFont font = captionFont(selected);
        p.setFont(font);
        p.setPen(selected ? accent : captionColor);
        const QRectF captionRect(cell.left() - spacing / 2, square.bottom() + captionSpacing, cell.width() + spacing,
            captionHeight());
        p.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop,
            QFontMetricsF(font).elidedText(Inspector::backgroundCaption(preset), Qt::ElideRight, captionRect.width()));
    }
}

void BackgroundSwatchGrid::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton ? cellAt(event->position()) : -1;
}

void BackgroundSwatchGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = std::exchange(m_pressed, -1);
    if (event->button() != Qt::LeftButton || pressed < 0 || cellAt(event->position()) != pressed)
        return;
    m_inspector.selectBackground(kPresets[size_t(pressed)]);
}
