#include "ui/PopoverWindow.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QScreen>

#include <algorithm>

PopoverWindow::PopoverWindow(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_content(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_content->setParent(this);
    Theme::followColorScheme(this);
}

void PopoverWindow::layoutFor(Qt::Edge edge)
{
    m_arrowEdge = edge;
    const QSize inner = m_content->sizeHint().expandedTo(m_content->minimumSize());
    const int arrow = int(kArrowHeight);
    const int top = kShadowMargin + (edge == Qt::BottomEdge ? arrow : 0);
    m_content->setGeometry(kShadowMargin, top, inner.width(), inner.height());
    resize(inner.width() + 2 * kShadowMargin, inner.height() + 2 * kShadowMargin + arrow);
}

void PopoverWindow::showFor(QWidget* anchor, Qt::Edge arrowEdge)
{
    if (arrowEdge != Qt::TopEdge)
        arrowEdge = Qt::BottomEdge;
    // Follow the anchor's forced colour scheme, as if the bubble were part of its view.
    Theme::setColorScheme(this, Theme::colorScheme(anchor));
    const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    const QScreen* screen = anchor->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(anchorRect.center() - QPoint(5000, 5000), QSize(10000, 10000));

    layoutFor(arrowEdge);
    const int below = anchorRect.bottom() + 1 - kShadowMargin;
    const int above = anchorRect.top() - height() + kShadowMargin;
    if (arrowEdge == Qt::BottomEdge && below + height() - kShadowMargin > available.bottom() && above >= available.top())
        layoutFor(Qt::TopEdge);
    else if (arrowEdge == Qt::TopEdge && above < available.top())
        layoutFor(Qt::BottomEdge);

    const int y = m_arrowEdge == Qt::BottomEdge ? anchorRect.bottom() + 1 - kShadowMargin : anchorRect.top() - height() + kShadowMargin;
    int x = anchorRect.center().x() - width() / 2;
    x = std::clamp(x, available.left() - kShadowMargin, std::max(available.left(), available.right() + 1 + kShadowMargin - width()));
    move(x, y);
    const qreal minX = kShadowMargin + kCornerRadius + kArrowWidth / 2;
    m_arrowX = std::clamp(anchorRect.center().x() + 0.5 - x, minX, std::max(minX, width() - minX));
    show();
    raise();
}

QPainterPath PopoverWindow::bubblePath() const
{
    const qreal arrow = kArrowHeight;
    QRectF body = QRectF(rect()).adjusted(kShadowMargin, kShadowMargin, -kShadowMargin, -kShadowMargin);
    QPainterPath tip;
    if (m_arrowEdge == Qt::BottomEdge) {
        body.setTop(body.top() + arrow);
        tip.moveTo(m_arrowX - kArrowWidth / 2, body.top() + 1);
        tip.quadTo(m_arrowX - 2.5, body.top() - arrow + 2, m_arrowX, body.top() - arrow);
        tip.quadTo(m_arrowX + 2.5, body.top() - arrow + 2, m_arrowX + kArrowWidth / 2, body.top() + 1);
    } else {
        body.setBottom(body.bottom() - arrow);
        tip.moveTo(m_arrowX - kArrowWidth / 2, body.bottom() - 1);
        tip.quadTo(m_arrowX - 2.5, body.bottom() + arrow - 2, m_arrowX, body.bottom() + arrow);
        tip.quadTo(m_arrowX + 2.5, body.bottom() + arrow - 2, m_arrowX + kArrowWidth / 2, body.bottom() - 1);
    }
    tip.closeSubpath();
    return continuousRoundedRect(body, kCornerRadius).united(tip).simplified();
}

void PopoverWindow::paintEvent(QPaintEvent*)
{
    const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
    const QPainterPath bubble = bubblePath();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintShadow(p, bubble, Theme::rgb(0, 0, 0, dark ? 0.45 : 0.2), 10, { 0, 3 });
    p.fillPath(bubble, dark ? Theme::rgb(44, 44, 48) : Theme::rgb(250, 250, 252));
    p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.14) : Theme::rgb(0, 0, 0, 0.12), 0.5));
    p.drawPath(bubble);
}

void PopoverWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
