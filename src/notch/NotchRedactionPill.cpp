#include "notch/NotchRedactionPill.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const char* kContext = "NotchPanelView";

constexpr qreal kPillPadX = 10;
constexpr qreal kPillPadY = 6;
constexpr qreal kPillSpacing = 6;
constexpr qreal kPillSymbolSize = 10;
constexpr qreal kPillTextSize = 11.5;

constexpr int kMaxLines = 4;
constexpr qreal kDetailPadX = 11;
constexpr qreal kDetailPadY = 10;
constexpr qreal kDetailSpacing = 7;
constexpr qreal kDetailRadius = 12;
constexpr qreal kShadowRadius = 16;
const QPointF kShadowOffset(0, 10);
constexpr qreal kStartScale = 0.96;

QFont pillFont() { return Theme::font(kPillTextSize, QFont::Medium); }
QFont headingFont() { return Theme::font(10.5, QFont::DemiBold); }
QFont lineFont() { return Theme::font(11.5); }
QFont moreFont() { return Theme::font(10.5, QFont::Medium); }
QString headingText() { return QCoreApplication::translate(kContext, "Hidden in preview"); }

QString label(RedactionKind kind, bool singular)
{
    switch (kind) {
    case RedactionKind::email:
        return singular ? QCoreApplication::translate(kContext, "Email address") : QCoreApplication::translate(kContext, "Emails");
    case RedactionKind::phone:
        return singular ? QCoreApplication::translate(kContext, "Phone number") : QCoreApplication::translate(kContext, "Phone numbers");
    case RedactionKind::card:
        return singular ? QCoreApplication::translate(kContext, "Card number") : QCoreApplication::translate(kContext, "Card numbers");
    case RedactionKind::ip:
        return singular ? QCoreApplication::translate(kContext, "IP address") : QCoreApplication::translate(kContext, "IP addresses");
    case RedactionKind::money:
        return singular ? QCoreApplication::translate(kContext, "Money amount") : QCoreApplication::translate(kContext, "Money amounts");
    case RedactionKind::apiKey:
        return singular ? QCoreApplication::translate(kContext, "API key") : QCoreApplication::translate(kContext, "API keys");
    }
    return {};
}

// Where the shadow reaches past the card: room the widget keeps around it.
QMarginsF shadowMargins()
{
    const qreal reach = shadowReach(kShadowRadius, kShadowOffset);
    return QMarginsF(reach, reach, reach, reach);
}
}

QStringList redactionDetailLines(const std::map<RedactionKind, int>& counts)
{
    QStringList lines;
    for (RedactionKind kind : allCases<RedactionKind>) {
        const auto found = counts.find(kind);
        if (found == counts.end() || found->second <= 0)
            continue;
        lines.append(QString::number(found->second) + QLatin1Char(' ') + label(kind, found->second == 1).toLower());
    }
    return lines;
}

// ---- pill ------------------------------------------------------------------------------------

NotchRedactionPill::NotchRedactionPill(QWidget* parent)
    : QWidget(parent)
{
}

void NotchRedactionPill::setMessage(const QString& message)
{
    m_message = message;
    setFixedSize(sizeHint());
    update();
}

QSize NotchRedactionPill::sizeHint() const
{
    const QFontMetricsF metrics(pillFont());
    const qreal symbol = Symbols::extent(kPillSymbolSize);
    return QSize(int(std::ceil(kPillPadX * 2 + symbol + kPillSpacing + metrics.horizontalAdvance(m_message))),
        int(std::ceil(kPillPadY * 2 + std::max(symbol, metrics.height()))));
}

void NotchRedactionPill::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.2, 0.2, -0.2, -0.2);
    p.fillPath(continuousCapsule(capsule), Theme::rgb(255, 255, 255, 0.05));
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.07), 0.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousCapsule(capsule));
    const QColor ink = Theme::rgb(255, 255, 255, 0.75);
    const qreal symbol = Symbols::extent(kPillSymbolSize);
    Symbols::paint(p, u"eye.slash", QPointF(kPillPadX + symbol / 2, height() / 2.0), kPillSymbolSize, ink, QFont::DemiBold);
    p.setFont(pillFont());
    p.setPen(ink);
    p.drawText(QRectF(kPillPadX + symbol + kPillSpacing, 0, width(), height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_message);
}

void NotchRedactionPill::enterEvent(QEnterEvent*) { Q_EMIT hoverChanged(true); }
void NotchRedactionPill::leaveEvent(QEvent*) { Q_EMIT hoverChanged(false); }

// ---- detail ------------------------------------------------------------------------------------

NotchRedactionDetail::NotchRedactionDetail(QWidget* parent)
    : QWidget(parent)
    , m_animation(kSpring)
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(0.0);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        update();
        Q_EMIT drawnRectChanged();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        if (!m_shown) {
            m_progress = 0;
            hide();
            Q_EMIT drawnRectChanged();
        }
    });
    hide();
}

void NotchRedactionDetail::setCounts(const std::map<RedactionKind, int>& counts)
{
    m_lines = redactionDetailLines(counts);
    setFixedSize(sizeHint());
    // The pointer belongs to the card and its shadow below and beside it, never to the margin
    // above, which lies over the pill.
    setMask(QRect(0, int(cardRect().top()), width(), height()));
    update();
}

QStringList NotchRedactionDetail::shownLines() const
{
    return m_lines.mid(0, kMaxLines);
}

QString NotchRedactionDetail::moreText() const
{
    if (m_lines.size() <= kMaxLines)
        return {};
    return QStringLiteral("+") + QString::number(m_lines.size() - kMaxLines)
        + QCoreApplication::translate(kContext, " more");
}

QSizeF NotchRedactionDetail::cardSize() const
{
    qreal width = QFontMetricsF(headingFont()).horizontalAdvance(headingText());
    qreal height = QFontMetricsF(headingFont()).height();
    const QFontMetricsF lineMetrics(lineFont());
    for (const QString& line : shownLines()) {
        width = std::max(width, lineMetrics.horizontalAdvance(line));
        height += kDetailSpacing + lineMetrics.height();
    }
    if (const QString more = moreText(); !more.isEmpty()) {
        width = std::max(width, QFontMetricsF(moreFont()).horizontalAdvance(more));
        height += kDetailSpacing + QFontMetricsF(moreFont()).height();
    }
    return { std::ceil(width + 2 * kDetailPadX), std::ceil(height + 2 * kDetailPadY) };
}

QRectF NotchRedactionDetail::cardRect() const
{
    const QMarginsF margins = shadowMargins();
    return QRectF(QPointF(margins.left(), margins.top()), cardSize());
}

QSize NotchRedactionDetail::sizeHint() const
{
    return cardRect().marginsAdded(shadowMargins()).size().toSize() + QSize(1, 1);
}

QRect NotchRedactionDetail::drawnRect() const
{
    if (!isVisible() || m_progress <= 0)
        return {};
    // The card with its shadow, at the current scale about its top-left corner.
    const QRectF card = cardRect();
    const qreal scale = kStartScale + (1 - kStartScale) * m_progress;
    const QRectF scaled(card.topLeft(), card.size() * scale);
    return scaled.marginsAdded(shadowMargins()).toAlignedRect().translated(pos());
}

void NotchRedactionDetail::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown) {
        show();
        raise();
    }
    m_animation.retarget(shown ? 1.0 : 0.0);
}

void NotchRedactionDetail::paintEvent(QPaintEvent*)
{
    if (m_progress <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card = cardRect();
    const qreal scale = kStartScale + (1 - kStartScale) * m_progress;
    p.setOpacity(std::clamp<qreal>(m_progress, 0, 1));
    p.translate(card.topLeft());
    p.scale(scale, scale);
    p.translate(-card.topLeft());

    const QPainterPath shape = continuousRoundedRect(card, kDetailRadius);
    paintShadow(p, shape, Theme::rgb(0, 0, 0, 0.28), kShadowRadius, kShadowOffset);
    p.fillPath(shape, Theme::rgb(0, 0, 0, 0.88));
    p.fillPath(shape, Theme::materialFill(ColorScheme::dark));
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.09), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousRoundedRect(card.adjusted(0.25, 0.25, -0.25, -0.25), kDetailRadius));

    qreal y = card.top() + kDetailPadY;
    const qreal x = card.left() + kDetailPadX;
    const auto drawLine = [&](const QFont& font, const QColor& color, const QString& text) {
        const QFontMetricsF metrics(font);
        p.setFont(font);
        p.setPen(color);
        p.drawText(QRectF(x, y, card.width(), metrics.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        y += metrics.height() + kDetailSpacing;
    };
    drawLine(headingFont(), Theme::rgb(255, 255, 255, 0.72), headingText());
    for (const QString& line : shownLines())
        drawLine(lineFont(), Qt::white, line);
    if (const QString more = moreText(); !more.isEmpty())
        drawLine(moreFont(), Theme::rgb(255, 255, 255, 0.62), more);
}

void NotchRedactionDetail::enterEvent(QEnterEvent*)
{
    if (m_shown)
        Q_EMIT hoverChanged(true);
}

void NotchRedactionDetail::leaveEvent(QEvent*)
{
    if (m_shown)
        Q_EMIT hoverChanged(false);
}
