#include "capture/MenuCommandButton.h"

#include "capture/PopoverStyle.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace {
using namespace PopoverStyle;

constexpr qreal kDisabledOpacity = 0.36;
constexpr int kHoverEaseMs = 120;

} // namespace

MenuCommandButton::MenuCommandButton(
    QString title, std::optional<QString> shortcut, QString icon, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
    , m_shortcut(std::move(shortcut))
    , m_icon(std::move(icon))
    , m_action(std::move(action))
    , m_hoverAnimation(new QVariantAnimation(this))
{
    setText(title);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    m_hoverAnimation->setDuration(kHoverEaseMs);
    m_hoverAnimation->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverAmount = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

void MenuCommandButton::setShortcut(std::optional<QString> shortcut)
{
    if (shortcut == m_shortcut)
        return;
    m_shortcut = std::move(shortcut);
    update();
}

void MenuCommandButton::setBackgroundClip(const QPainterPath& clip)
{
    m_backgroundClip = clip;
    update();
}

QSize MenuCommandButton::sizeHint() const
{
    return { int(kContentWidth), rowHeight };
}

void MenuCommandButton::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_hoverAnimation->stop();
    m_hoverAnimation->setStartValue(m_hoverAmount);
    m_hoverAnimation->setEndValue(hovering ? 1.0 : 0.0);
    m_hoverAnimation->start();
}

void MenuCommandButton::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void MenuCommandButton::leaveEvent(QEvent* event)
{
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void MenuCommandButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void MenuCommandButton::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(rect());

    // Only a usable row lights up: a disabled one must not look pressable.
    if (isEnabled() && m_hoverAmount > 0.0) {
        p.save();
        if (!m_backgroundClip.isEmpty())
            p.setClipPath(m_backgroundClip);
        p.fillRect(box, primary(scheme, 0.055 * m_hoverAmount));
        p.restore();
    }
    if (!isEnabled())
        p.setOpacity(kDisabledOpacity);

    constexpr qreal padX = 12.0, spacing = 10.0, iconFrame = 18.0, size = 12.5;
    qreal x = box.left() + padX;
    Symbols::paint(p, m_icon, QPointF(x + iconFrame / 2.0, box.center().y()), size, secondary(scheme), QFont::Medium);
    x += iconFrame + spacing;

    qreal right = box.right() - padX;
    if (m_shortcut) {
        const QFont font = shortcutFont();
        const qreal width = std::min(textWidth(font, *m_shortcut), right - x - spacing);
        drawLine(p, QRectF(right - width, box.top(), width, box.height()), font, tertiary(scheme), *m_shortcut,
            Qt::AlignRight);
        right -= width + 2 * spacing; // the flexible space sits between title and shortcut
    }
    if (right > x)
        drawLine(p, QRectF(x, box.top(), right - x, box.height()), rowFont(), primary(scheme), text());
}
