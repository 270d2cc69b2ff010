#include "ui/Toast.h"

#include "platform/DesktopWindowHints.h"
#include "render/ContinuousCorners.h"
#include "ui/FloatingPanel.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QList>
#include <QPainter>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int kShowMs = 1600;
// A failure is read, not glanced at: time to notice it, then to read it at a calm pace.
constexpr int kNoticeMs = 1500;
constexpr double kReadCharsPerSecond = 15.0; // about 150 words a minute
constexpr int kLongestFailureMs = 15000;
// A pointer resting on a failure holds it; once the pointer leaves, at least this much is left.
constexpr int kAfterLeaveMs = 1600;
// The panel lets the pointer through, so it never hears it enter: the pointer is looked at.
constexpr int kPointerPollMs = 100;
constexpr int kFadeInMs = 180;
constexpr int kFadeOutMs = 250;
constexpr qreal kSpacing = 9.0;
constexpr qreal kPadX = 18.0;
constexpr qreal kPadY = 12.0;
constexpr qreal kTextSize = 13.0;
constexpr qreal kSymbolSize = 13.0; // the symbol takes the default text size
constexpr qreal kBottomFraction = 0.16;
// The gap between a toast and a control it stands clear of.
constexpr int kClearGap = 8;
// The panel's own shadow, drawn in its margins where a compositor blends them.
constexpr qreal kShadowRadius = 10.0;
const QPointF kShadowOffset(0.0, 3.0);
constexpr qreal kShadowOpacity = 0.3;

QFont messageFont() { return Theme::font(kTextSize, QFont::Medium); }

enum class Kind { confirmation, failure };

// The capsule: always dark, whatever the desktop's scheme.
class ToastPanel final : public FloatingPanel {
public:
    ToastPanel()
        : FloatingPanel(true)
    {
        setWindowTitle(QStringLiteral("Lumaforge"));
        Theme::setColorScheme(this, ColorScheme::dark);
    }

    void setMessage(const QString& message, Kind kind)
    {
        m_message = message;
        m_kind = kind;
        // Without a compositor translucent margins would show black: drop them and cut the
        // window to the capsule instead.
        m_margin = DesktopWindowHints::compositorRunning() ? shadowReach(kShadowRadius, kShadowOffset) : 0.0;
        const QSizeF capsule = idealSize();
        const int m = int(m_margin);
        setFixedSize(int(std::ceil(capsule.width())) + 2 * m, int(std::ceil(capsule.height())) + 2 * m);
        if (m_margin == 0.0)
            setMask(continuousCapsule(capsuleRect()).toFillPolygon().toPolygon());
        else
            clearMask();
        update();
    }

    QString message() const { return m_message; }

    // Ideal size of the capsule alone: it never wraps or stretches.
    QSizeF idealSize() const
    {
        const QFontMetricsF metrics(messageFont());
        const qreal symbol = Symbols::extent(kSymbolSize);
        const qreal width = kPadX + symbol + kSpacing + metrics.horizontalAdvance(m_message) + kPadX;
        const qreal height = kPadY + std::max(symbol, metrics.height()) + kPadY;
        return { std::ceil(width), std::ceil(height) };
    }

    QRectF capsuleRect() const { return QRectF(QPointF(m_margin, m_margin), idealSize()); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRectF capsule = capsuleRect();
        const QPainterPath shape = continuousCapsule(capsule);
        if (m_margin > 0.0)
            paintShadow(p, shape, Theme::rgb(0, 0, 0, kShadowOpacity), kShadowRadius, kShadowOffset);
        p.fillPath(shape, Theme::materialFill(ColorScheme::dark));
        p.setPen(QPen(Theme::rgb(255, 255, 255, 0.12), 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(continuousCapsule(capsule.adjusted(0.25, 0.25, -0.25, -0.25)));

        const qreal symbol = Symbols::extent(kSymbolSize);
        const QRectF content = capsule.adjusted(kPadX, kPadY, -kPadX, -kPadY);
        const bool failure = m_kind == Kind::failure;
        Symbols::paint(p, failure ? u"exclamationmark.triangle.fill" : u"checkmark.circle.fill",
            QPointF(content.left() + symbol / 2.0, content.center().y()), kSymbolSize,
            failure ? Theme::warningOnDark() : Theme::accentOnDark());
        p.setFont(messageFont());
        p.setPen(Qt::white);
        p.drawText(QRectF(content.left() + symbol + kSpacing, content.top(), content.width() - symbol - kSpacing,
                       content.height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_message);
    }

private:
    QString m_message;
    Kind m_kind = Kind::confirmation;
    qreal m_margin = 0.0;
};

struct Presenter {
    QPointer<ToastPanel> panel;
    QTimer* hideWork = nullptr;
    QTimer* pointerWatch = nullptr; // while a failure is up
    QElapsedTimer shownFor;
    int showMs = kShowMs;
    bool held = false;
    QPropertyAnimation* fadeIn = nullptr;
    QPropertyAnimation* fadeOut = nullptr;
    QMetaObject::Connection fadeOutDone;
    // Bumped by every showToast: a fade-out that began for an older toast must not take a newer
    // one off screen when it ends.
    quint64 generation = 0;
    QList<QPointer<QWidget>> keptClear;
};

Presenter& presenter()
{
    static Presenter state;
    return state;
}

void followPointer();

// The panel's place at `at`, raised above every kept widget it would cover.
QPoint clearOfKeptWidgets(Presenter& s, QPoint at, QSize size)
{
    s.keptClear.removeAll(nullptr);
    QRect toast(at, size);
    // Raised above one, it may land on another: go on until it covers none (a bounded walk).
    for (int round = 0; round <= s.keptClear.size(); ++round) {
        bool moved = false;
        for (const QPointer<QWidget>& widget : std::as_const(s.keptClear)) {
            if (!widget || !widget->isVisible())
                continue;
            const QRect kept(widget->mapToGlobal(QPoint(0, 0)), widget->size());
            if (!toast.intersects(kept))
                continue;
            toast.moveBottom(kept.top() - kClearGap);
            moved = true;
        }
        if (!moved)
            break;
    }
    return toast.topLeft();
}

void createPanel(Presenter& s)
{
    // Kept for the rest of the run.
    s.panel = new ToastPanel;
    s.hideWork = new QTimer(s.panel);
    s.hideWork->setSingleShot(true);
    s.hideWork->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    QObject::connect(s.hideWork, &QTimer::timeout, s.panel, [] { hideToast(); });
    s.pointerWatch = new QTimer(s.panel);
    s.pointerWatch->setInterval(kPointerPollMs);
    QObject::connect(s.pointerWatch, &QTimer::timeout, s.panel, [] { followPointer(); });
    s.fadeIn = new QPropertyAnimation(s.panel, "windowOpacity", s.panel);
    s.fadeIn->setDuration(kFadeInMs);
    s.fadeIn->setEasingCurve(QEasingCurve::InOutQuad);
    s.fadeOut = new QPropertyAnimation(s.panel, "windowOpacity", s.panel);
    s.fadeOut->setDuration(kFadeOutMs);
    s.fadeOut->setEasingCurve(QEasingCurve::InOutQuad);
}

// The screen the user is looking at: the one under the pointer, else the primary one.
QScreen* targetScreen()
{
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

// Holds a failure while the pointer rests on it, even once its fade-out has begun; lets it go
// with what was left of its reading time, and never less than a short moment.
void followPointer()
{
    Presenter& s = presenter();
    if (!s.panel || !s.panel->isVisible()) {
        s.pointerWatch->stop();
        return;
    }
    const bool over = s.panel->frameGeometry().contains(QCursor::pos());
    if (over && !s.held) {
        s.held = true;
        s.hideWork->stop();
        if (s.fadeOut->state() == QAbstractAnimation::Running) {
            s.fadeOut->stop();
            QObject::disconnect(s.fadeOutDone);
            s.fadeIn->stop();
            s.fadeIn->setStartValue(s.panel->windowOpacity());
            s.fadeIn->setEndValue(1.0);
            s.fadeIn->start();
        }
    } else if (!over && s.held) {
        s.held = false;
        s.hideWork->start(std::max<qint64>(kAfterLeaveMs, s.showMs - s.shownFor.elapsed()));
    }
}

void present(const QString& message, Kind kind)
{
    Presenter& s = presenter();
    if (s.hideWork)
        s.hideWork->stop();
    if (!s.panel)
        createPanel(s);
    ToastPanel* panel = s.panel;
    panel->setMessage(message, kind);
    // Screen readers (and tests) read the message from the panel's accessible name.
    panel->setAccessibleName(message);

    // Centred horizontally; the capsule's bottom edge 16 % of the screen's full height above its
    // bottom edge (the full frame: panels and docks do not count).
    if (QScreen* screen = targetScreen()) {
        const QRect frame = screen->geometry();
        const QRectF capsule = panel->capsuleRect();
        const qreal capsuleBottom = frame.top() + frame.height() * (1.0 - kBottomFraction);
        const qreal x = frame.left() + frame.width() / 2.0 - capsule.width() / 2.0 - capsule.left();
        const qreal y = capsuleBottom - capsule.height() - capsule.top();
        panel->move(clearOfKeptWidgets(s, QPoint(int(std::lround(x)), int(std::lround(y))), panel->size()));
    }

    ++s.generation;
    s.fadeOut->stop();
    s.fadeIn->stop();
    panel->setWindowOpacity(0.0);
    panel->present();
    s.fadeIn->setStartValue(0.0);
    s.fadeIn->setEndValue(1.0);
    s.fadeIn->start();
    s.held = false;
    s.showMs = kind == Kind::failure ? failureToastMs(message) : kShowMs;
    s.shownFor.start();
    s.hideWork->start(s.showMs);
    if (kind == Kind::failure) {
        s.pointerWatch->start();
        followPointer(); // shown under the pointer, it is held from the start
    } else {
        s.pointerWatch->stop();
    }
}
}

int failureToastMs(const QString& message)
{
    const double readingMs = 1000.0 * double(message.size()) / kReadCharsPerSecond;
    return std::clamp(kNoticeMs + int(std::lround(readingMs)), kShowMs, kLongestFailureMs);
}

void showToast(const QString& message)
{
    present(message, Kind::confirmation);
}

void showFailureToast(const QString& message)
{
    present(message, Kind::failure);
}

void hideToast()
{
    Presenter& s = presenter();
    if (!s.panel)
        return;
    s.hideWork->stop();
    s.held = false;
    s.fadeIn->stop();
    s.fadeOut->stop();
    QObject::disconnect(s.fadeOutDone);
    const quint64 generation = s.generation;
    s.fadeOutDone = QObject::connect(s.fadeOut, &QPropertyAnimation::finished, s.panel, [generation] {
        Presenter& now = presenter();
        if (now.generation == generation && now.panel)
            now.panel->hide();
    });
    s.fadeOut->setStartValue(s.panel->windowOpacity());
    s.fadeOut->setEndValue(0.0);
    s.fadeOut->start();
}

void keepToastsClearOf(QWidget* widget)
{
    Presenter& s = presenter();
    if (widget && !s.keptClear.contains(widget))
        s.keptClear.append(widget);
}

QWidget* toastPanel()
{
    return presenter().panel;
}
