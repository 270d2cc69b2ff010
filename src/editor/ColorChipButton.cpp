#include "editor/ColorChipButton.h"

#include "editor/ColorChooserPopover.h"
#include "model/ColorHex.h"
#include "ui/PopoverWindow.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
// Room around the circle for its shadow (radius 1.5, one point down).
constexpr int kShadowRoom = 3;
}

ColorChipButton::ColorChipButton(int hex, std::function<void(int)> onPick, qreal size, QWidget* parent)
    : QAbstractButton(parent)
    , m_hex(hex)
    , m_onPick(std::move(onPick))
    , m_size(size)
{
    setToolTip(tr("Colour"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, &ColorChipButton::open);
}

ColorChipButton::~ColorChipButton()
{
    delete m_popover.data();
}

QSize ColorChipButton::sizeHint() const
{
    const int side = int(std::ceil(m_size)) + 2 * kShadowRoom;
    return { side, side };
}

void ColorChipButton::setHex(int hex)
{
    if (m_hex == hex)
        return;
    m_hex = hex;
    if (m_chooser)
        m_chooser->setHex(hex);
    update();
}

void ColorChipButton::setShowing(bool showing)
{
    if (m_showing == showing)
        return;
    m_showing = showing;
    Q_EMIT showingChanged(showing);
}

void ColorChipButton::open()
{
    // A click while the popover is open keeps it open: the chip shows, it does not toggle.
    if (m_showing)
        return;
    if (!m_popover) {
        m_chooser = new ColorChooserPopover(m_hex, [this](int hex) {
            if (m_onPick)
                m_onPick(hex);
        });
        // Owned by the chip but a window of its own, so it is no child widget of the chip.
        m_popover = new PopoverWindow(m_chooser);
        connect(m_popover, &PopoverWindow::closed, this, [this] {
            if (!m_reopenAfterSampling)
                setShowing(false);
        });
        connect(m_chooser, &ColorChooserPopover::samplingStarted, this, [this] {
            m_reopenAfterSampling = m_showing;
            m_popover->hide();
        });
        connect(m_chooser, &ColorChooserPopover::samplingFinished, this, [this] {
            if (std::exchange(m_reopenAfterSampling, false) && isVisible())
                m_popover->showFor(this, Qt::BottomEdge);
            else
                setShowing(false);
        });
    }
    m_chooser->setHex(m_hex);
    Q_EMIT opened();
    setShowing(true);
    m_popover->showFor(this, Qt::BottomEdge);
}

void ColorChipButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        p.setOpacity(0.7);
    const QRectF circle(QRectF(rect()).center() - QPointF(m_size / 2, m_size / 2), QSizeF(m_size, m_size));
    QPainterPath shape;
    shape.addEllipse(circle);
    paintShadow(p, shape, Theme::rgb(0, 0, 0, 0.18), 1.5, { 0, 1 });
    p.fillPath(shape, colorFromHex(m_hex));
    p.setBrush(Qt::NoBrush);
    // A hairline inside the edge, then a white ring inset by a point.
    p.setPen(QPen(Theme::rgb(0, 0, 0, 0.15), 0.5));
    p.drawEllipse(circle.adjusted(0.25, 0.25, -0.25, -0.25));
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.85), 1));
    p.drawEllipse(circle.adjusted(1.5, 1.5, -1.5, -1.5));
}
