#include "app/TrayIcon.h"

#include "app/ApplicationIcon.h"
#include "capture/CapturePopoverView.h"
#include "core/Log.h"
#include "platform/DesktopWindowHints.h"
#include "platform/OffScreenWait.h"
#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>


namespace {
constexpr qreal kCornerRadius = 18.0; // the popover's own background shape
constexpr qreal kShadowRadius = 14.0;
const QPointF kShadowOffset(0.0, 6.0);
constexpr qreal kShadowOpacityLight = 0.22;
constexpr qreal kShadowOpacityDark = 0.45;
// How soon after the popup lost the focus a click on the icon counts as the one that took it.
constexpr qint64 kReopenGuardMs = 400;

bool iconIsBlank(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                return false;
        }
    }
    return true;
}
}

// A frameless window around the popover that takes the focus when shown and closes when it
// loses it, or on Escape. It grabs neither keyboard nor pointer: the capture rows press the
// desktop's own screenshot keys and its tool then takes the pointer, neither of which works
// while another window holds a grab.
//
// Where a compositor blends translucent windows it carries a soft shadow in its margins;
// without one the window is cut to the popover's rounded shape over an opaque base, since its
// translucent pixels would show black.
class TrayIcon::PopupWindow final : public QWidget {
public:
    PopupWindow(CapturePopoverView* popover, std::function<void()> lostFocus)
        : QWidget(nullptr,
            Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint)
        , m_popover(popover)
        , m_lostFocus(std::move(lostFocus))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowTitle(QStringLiteral("Lumaforge"));
        popover->setParent(this);
        Theme::followColorScheme(this);
        // Followed on the application's focus window rather than the widget's activation: a
        // popup shown again before the desktop's focus settled keeps a stale activation state.
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
            if (isHidden())
                return;
            if (focus && focus == windowHandle()) {
                m_hadFocus = true;
                return;
            }
            // Only a popup that had the focus loses it; one the window manager never focused
            // stays until Escape or the icon closes it.
            if (m_hadFocus) {
                hide();
                if (m_lostFocus)
                    m_lostFocus();
            }
        });
    }

    CapturePopoverView* popover() const { return m_popover; }

    // Sized and cut for the compositor's presence, with the content at `content`.
    void place(const QRect& content)
    {
        m_margin = DesktopWindowHints::compositorRunning() ? int(shadowReach(kShadowRadius, kShadowOffset)) : 0;
        m_popover->move(m_margin, m_margin);
        const QSize size = m_popover->size() + QSize(2 * m_margin, 2 * m_margin);
        setFixedSize(size);
        if (m_margin == 0)
            setMask(QRegion(shape().toFillPolygon().toPolygon()));
        else
            clearMask();
        move(content.topLeft() - QPoint(m_margin, m_margin));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (m_margin > 0) {
            paintShadow(p, shape(),
                Theme::rgb(0, 0, 0, scheme == ColorScheme::dark ? kShadowOpacityDark : kShadowOpacityLight),
                kShadowRadius, kShadowOffset);
        } else {
            QColor base = Theme::materialFill(scheme);
            base.setAlpha(255);
            p.fillPath(shape(), base);
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            hide();
            return;
        }
        QWidget::keyPressEvent(event);
    }

    void showEvent(QShowEvent* event) override
    {
        m_hadFocus = QGuiApplication::focusWindow() == windowHandle();
        QWidget::showEvent(event);
    }

private:
    QPainterPath shape() const
    {
        return continuousRoundedRect(QRectF(m_popover->geometry()), kCornerRadius);
    }

    CapturePopoverView* m_popover;
    std::function<void()> m_lostFocus;
    bool m_hadFocus = false;
    int m_margin = 0;
};

TrayIcon::TrayIcon(CapturePopoverView* popover, QObject* parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    m_popup = std::make_unique<PopupWindow>(popover, [this] {
        if (iconAnchor().contains(QCursor::pos()))
            m_sinceClosedOverIcon.start();
    });
    // A capture started here must not photograph the popover: it goes first.
    popover->setCloseBeforeCapture([this](std::function<void()> capture) {
        hidePopover();
        callWhenOffScreen(m_popup.get(), this, std::move(capture));
    });
    m_icon->setToolTip(QStringLiteral("Lumaforge"));
    updateIcon();
    connect(&ColorSchemeProvider::shared(), &ColorSchemeProvider::changed, this, &TrayIcon::updateIcon);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Every press counts: a second press soon after the first arrives as a double click.
        // The icon has no menu, so a right click opens the popover too.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick
            || reason == QSystemTrayIcon::Context)
            iconClicked();
    });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        logLine(QStringLiteral("no system tray on this desktop: the tray icon appears when one starts; until then "
                               "Lumaforge opens from the launcher"));
    // Shown also without a tray: Qt embeds the icon as soon as a tray host appears.
    m_icon->show();
}

TrayIcon::~TrayIcon() = default;

QWidget* TrayIcon::popupWindow() const
{
    return m_popup.get();
}

bool TrayIcon::isPopoverVisible() const
{
    return m_popup->isVisible();
}

void TrayIcon::iconClicked()
{
    if (m_popup->isVisible()) {
        hidePopover();
        return;
    }
    // Where the panel takes the focus on a click, the popup closed on that click just before its
    // activation arrived: the click meant "close", not "open again".
    if (m_sinceClosedOverIcon.isValid() && m_sinceClosedOverIcon.elapsed() < kReopenGuardMs) {
        m_sinceClosedOverIcon.invalidate();
        return;
    }
    showPopover();
}

QRect TrayIcon::iconAnchor() const
{
    // Trays that speak the StatusNotifier protocol do not say where the icon is.
    const QRect geometry = m_icon->geometry();
    return geometry.isValid() && !geometry.isEmpty() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

void TrayIcon::showPopover()
{
    if (m_popup->isVisible())
        return;
    const QRect anchor = iconAnchor();
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize size = m_popup->popover()->size();
    const QRect content = screen ? popoverGeometry(anchor, size, screen->geometry(), screen->availableGeometry())
                                 : QRect(anchor.bottomLeft(), size);
    m_popup->place(content);
    m_popup->show();
    m_popup->raise();
    m_popup->activateWindow();
}

void TrayIcon::hidePopover()
{
    m_popup->hide();
    m_sinceClosedOverIcon.invalidate();
}

QRect TrayIcon::popoverGeometry(const QRect& anchor, const QSize& size, const QRect& screen, const QRect& available)
{
    const bool iconInUpperHalf = anchor.center().y() < screen.center().y();
    int y = iconInUpperHalf ? std::max(anchor.bottom() + 1, available.top()) + gap
                            : std::min(anchor.top(), available.bottom() + 1) - gap - size.height();
    int x = anchor.center().x() - size.width() / 2;
    // Clamp to the available area, the leading and top edges winning when it is too small.
    x = std::max(available.left() + gap, std::min(x, available.right() + 1 - gap - size.width()));
    y = std::max(available.top() + gap, std::min(y, available.bottom() + 1 - gap - size.height()));
    return { QPoint(x, y), size };
}

void TrayIcon::updateIcon()
{
    const QColor tint = Theme::primaryText(ColorSchemeProvider::shared().current());
    QIcon icon;
    bool drawn = false;
    for (int side : { 16, 22, 24, 32, 48, 64 }) {
        // The symbol's square is 1.2 times its point size.
        const QPixmap pixmap = Symbols::pixmap(u"camera.viewfinder", side / 1.2, tint);
        drawn = drawn || !iconIsBlank(pixmap);
        icon.addPixmap(pixmap);
    }
    // Without the icon font the symbol is blank: the application's own mark stands in.
    m_icon->setIcon(drawn ? icon : applicationIcon());
}
