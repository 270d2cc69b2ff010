#include "ui/LumaSlider.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <limits>

namespace {
constexpr qreal kTrackHeight = 16.0;
constexpr qreal kRailHeight = 4.0;
constexpr qreal kKnob = 16.0;
constexpr qreal kRowSpacing = 8.0;
constexpr qreal kHeaderSpacing = 8.0; // between title and read-out when the row is tight
constexpr qreal kKnobShadowRadius = 4.0;
const QPointF kKnobShadowOffset(0.0, 1.0);

QFont titleFont() { return Theme::font(12, QFont::Medium); }
QFont readoutFont() { return Theme::font(12, QFont::DemiBold); }

// Digits drawn in cells of the widest digit, so the read-out does not jitter while it changes
// (Qt 6.4 cannot ask the font for its tabular figures).
qreal digitCell(const QFontMetricsF& metrics)
{
    qreal widest = 0.0;
    for (char c = '0'; c <= '9'; ++c)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(c)));
    return widest;
}

qreal tabularWidth(const QString& text, const QFontMetricsF& metrics)
{
    const qreal cell = digitCell(metrics);
    qreal width = 0.0;
    for (const QChar c : text)
        width += c.isDigit() ? cell : metrics.horizontalAdvance(c);
    return width;
}

// Draws `text` ending at the row's trailing edge, vertically centred in it.
void drawTabular(QPainter& p, const QString& text, const QRectF& row, const QFontMetricsF& metrics)
{
    const qreal cell = digitCell(metrics);
    qreal x = row.right() - tabularWidth(text, metrics);
    const qreal baseline = row.center().y() + (metrics.ascent() - metrics.descent()) / 2.0;
    for (const QChar c : text) {
        const qreal advance = c.isDigit() ? cell : metrics.horizontalAdvance(c);
        const qreal inset = c.isDigit() ? (cell - metrics.horizontalAdvance(c)) / 2.0 : 0.0;
        p.drawText(QPointF(x + inset, baseline), QString(c));
        x += advance;
    }
}
}

LumaSlider::LumaSlider(const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_title(title)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
}

void LumaSlider::setTitle(const QString& title)
{
    m_title = title;
    updateGeometry();
    update();
}

void LumaSlider::setValue(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
    Q_EMIT valueChanged(value);
}

void LumaSlider::setRange(double lower, double upper)
{
    m_lower = lower;
    m_upper = upper;
    update();
}

void LumaSlider::setFormat(Format format)
{
    m_format = std::move(format);
    update();
}

QString LumaSlider::defaultFormat(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    const double rounded = std::round(value); // halves away from zero
    // 2^63 is exact in a double; anything at or past it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    qint64 whole;
    if (rounded >= kLimit)
        whole = std::numeric_limits<qint64>::max();
    else if (rounded < -kLimit)
        whole = std::numeric_limits<qint64>::min();
    else
        whole = qint64(rounded);
    return QString::number(whole);
}

QString LumaSlider::readout() const
{
    return m_format ? m_format(m_value) : defaultFormat(m_value);
}

QMargins LumaSlider::overhang()
{
    const int side = int(std::ceil(kKnob / 2.0 + shadowReach(kKnobShadowRadius, {})));
    const int bottom = int(std::ceil(shadowReach(kKnobShadowRadius, kKnobShadowOffset)));
    return QMargins(side, 0, side, bottom);
}

QRectF LumaSlider::frame() const
{
    return QRectF(rect()).marginsRemoved(QMarginsF(overhang()));
}

qreal LumaSlider::headerHeight() const
{
    return std::max(QFontMetricsF(titleFont()).height(), QFontMetricsF(readoutFont()).height());
}

QRectF LumaSlider::trackRect() const
{
    const QRectF f = frame();
    return QRectF(f.left(), f.top() + headerHeight() + kRowSpacing, f.width(), kTrackHeight);
}

double LumaSlider::knobPosition(double value, double lower, double upper, double width)
{
    double x = width * (value - lower) / (upper - lower);
    if (!(x < width)) // also catches not-a-number, as with lower == upper
        x = width;
    if (!(x >= 0.0))
        x = 0.0;
    return x;
}

double LumaSlider::valueAt(double x, double width, double lower, double upper)
{
    double t = x / width;
    if (!(t >= 0.0))
        t = 0.0;
    if (!(t < 1.0))
        t = 1.0;
    return lower + (upper - lower) * t;
}

QSize LumaSlider::sizeHint() const
{
    const QMargins m = overhang();
    const qreal header = QFontMetricsF(titleFont()).horizontalAdvance(m_title) + kHeaderSpacing
        + tabularWidth(readout(), QFontMetricsF(readoutFont()));
    const int width = int(std::ceil(std::max<qreal>(160.0, header)));
    const int height = int(std::ceil(headerHeight() + kRowSpacing + kTrackHeight));
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize LumaSlider::minimumSizeHint() const
{
    const QSize hint = sizeHint();
    return QSize(overhang().left() + overhang().right() + 40, hint.height());
}

void LumaSlider::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Title row: the read-out keeps its full width at the trailing edge; the title elides.
    const QRectF f = frame();
    const QRectF header(f.left(), f.top(), f.width(), headerHeight());
    const QString value = readout();
    const QFontMetricsF readoutMetrics(readoutFont());
    const qreal valueWidth = tabularWidth(value, readoutMetrics);
    p.setFont(readoutFont());
    p.setPen(Theme::primaryText(scheme));
    drawTabular(p, value, header, readoutMetrics);
    p.setFont(titleFont());
    p.setPen(Theme::secondaryText(scheme));
    const qreal titleWidth = std::max<qreal>(0.0, header.width() - valueWidth - kHeaderSpacing);
    const QString title = QFontMetricsF(titleFont()).elidedText(m_title, Qt::ElideRight, titleWidth);
    p.drawText(QRectF(header.left(), header.top(), titleWidth, header.height()), Qt::AlignLeft | Qt::AlignVCenter, title);

    // Track: rail, filled part, knob.
    const QRectF track = trackRect();
    const qreal knobX = knobPosition(m_value, m_lower, m_upper, track.width());
    const qreal railTop = track.center().y() - kRailHeight / 2.0;
    p.fillPath(continuousCapsule(QRectF(track.left(), railTop, track.width(), kRailHeight)),
        dark ? Theme::rgb(255, 255, 255, 0.18) : Theme::rgb(10, 20, 50, 0.14));
    if (knobX > 0.0)
        p.fillPath(continuousCapsule(QRectF(track.left(), railTop, knobX, kRailHeight)), Theme::accentGradient());

    const QRectF knob(track.left() + knobX - kKnob / 2.0, track.top(), kKnob, kKnob);
    QPainterPath circle;
    circle.addEllipse(knob);
    paintShadow(p, circle, Theme::rgb(0, 0, 0, 0.35), kKnobShadowRadius, kKnobShadowOffset);
    p.fillPath(circle, Qt::white);
    p.setPen(QPen(Theme::rgb(0, 0, 0, 0.05), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(knob.adjusted(0.25, 0.25, -0.25, -0.25));
}

void LumaSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !trackRect().contains(event->position())) {
        event->ignore();
        return;
    }
    dragTo(event->position().x());
}

void LumaSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        event->ignore();
        return;
    }
    dragTo(event->position().x());
}

void LumaSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging)
        m_dragging = false;
    else
        event->ignore();
}

void LumaSlider::restartStep()
{
    if (!m_inBegin)
        m_stepOpen = false;
}

void LumaSlider::dragTo(qreal x)
{
    if (!m_dragging) {
        m_dragging = true;
        m_stepOpen = false;
    }
    if (!m_stepOpen) {
        m_stepOpen = true;
        m_inBegin = true;
        if (m_onBegin)
            m_onBegin();
        m_inBegin = false;
    }
    const QRectF track = trackRect();
    setValue(valueAt(x - track.left(), track.width(), m_lower, m_upper));
}
