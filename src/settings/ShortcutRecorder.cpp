#include "settings/ShortcutRecorder.h"

#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "platform/Keys.h"
#include "settings/KeyCapView.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QFont recordingFont() { return Theme::font(12, QFont::Medium); }
QFont shortcutFont() { return Theme::monoFont(12, QFont::Medium); }

// The shortcut button: one cap showing the binding, or "Type shortcut…" while recording.
class RecorderButton final : public QAbstractButton {
public:
    RecorderButton(std::function<bool()> recording, QWidget* parent)
        : QAbstractButton(parent)
        , m_recording(std::move(recording))
    {
        setCursor(Qt::PointingHandCursor);
        setObjectName(QStringLiteral("shortcutButton"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    // Wide enough for the binding and for "Type shortcut…", so starting to record moves nothing.
    QSize sizeHint() const override
    {
        const qreal binding = QFontMetricsF(shortcutFont()).horizontalAdvance(m_binding);
        const qreal prompt = QFontMetricsF(recordingFont()).horizontalAdvance(ShortcutRecorder::tr("Type shortcut…"));
        return { int(std::ceil(std::max(66.0, std::max(binding, prompt) + 18.0))), 24 };
    }

    void setBinding(const QString& binding)
    {
        m_binding = binding;
        updateGeometry();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool recording = m_recording();
        const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
        QPainterPath shape;
        shape.addRoundedRect(box, 6, 6);
        p.fillPath(shape, keyCapFill(this));
        if (recording)
            p.setPen(QPen(Theme::accent(), 1.5));
        else
            p.setPen(QPen(QColor(0, 0, 0, int(0.12 * 255)), 0.5));
        p.drawPath(shape);
        p.setFont(recording ? recordingFont() : shortcutFont());
        p.setPen(recording ? Theme::accent() : Theme::primaryText(Theme::colorScheme(this)));
        p.drawText(box.adjusted(8, 0, -8, 0), Qt::AlignCenter, text());
    }

private:
    std::function<bool()> m_recording;
    QString m_binding;
};

class ResetButton final : public QAbstractButton {
public:
    explicit ResetButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFixedSize(20, 20);
        setCursor(Qt::PointingHandCursor);
        setToolTip(ShortcutRecorder::tr("Reset to default"));
        setObjectName(QStringLiteral("resetButton"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        Symbols::paint(p, u"arrow.uturn.backward", QRectF(rect()).center(), 10.0,
            Theme::secondaryText(Theme::colorScheme(this)), QFont::Medium);
    }
};

}

ShortcutRecorder::ShortcutRecorder(CaptureAction action, CaptureShortcutStore& store, GlobalHotkeys* hotkeys,
    QWidget* parent)
    : QWidget(parent)
    , m_action(action)
    , m_store(store)
    , m_hotkeys(hotkeys)
{
    setObjectName(QStringLiteral("recorder-") + rawValue(action));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* button = new RecorderButton([this] { return m_recording; }, this);
    m_button = button;
    m_reset = new ResetButton(this);
    row->addWidget(m_button);
    row->addWidget(m_reset);
    connect(m_button, &QAbstractButton::clicked, this, &ShortcutRecorder::toggleRecording);
    connect(m_reset, &QAbstractButton::clicked, this, &ShortcutRecorder::resetToDefault);

    const auto refresh = [this, button] {
        const QString binding = m_store.shortcut(m_action).displayString();
        button->setBinding(binding);
        button->setText(m_recording ? tr("Type shortcut…") : binding);
        button->update();
    };
    connect(&m_store, &CaptureShortcutStore::shortcutsChanged, this, refresh);
    connect(this, &ShortcutRecorder::recordingChanged, this, refresh);
    refresh();
    Theme::followColorScheme(this);
}

ShortcutRecorder::~ShortcutRecorder()
{
    stopRecording();
}

void ShortcutRecorder::toggleRecording()
{
    if (m_recording)
        stopRecording();
    else
        startRecording();
}

void ShortcutRecorder::startRecording()
{
    m_recording = true;
    setNotice({});
    qApp->installEventFilter(this);
    m_filterInstalled = true;
    if (m_hotkeys)
        m_hotkeys->suspend();
    Q_EMIT recordingChanged(true);
}

void ShortcutRecorder::stopRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    if (m_filterInstalled) {
        qApp->removeEventFilter(this);
        m_filterInstalled = false;
    }
    if (m_hotkeys)
        m_hotkeys->resume();
    Q_EMIT recordingChanged(false);
}

void ShortcutRecorder::resetToDefault()
{
    const CaptureShortcut previous = m_store.shortcut(m_action);
    m_store.setShortcut(CaptureShortcut::defaultFor(m_action), m_action);
    setNotice({});
    if (!m_recording)
        keepWorkingBinding(previous);
}

bool ShortcutRecorder::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Taken before menus and shortcuts see it, so the key press comes here.
        event->accept();
        return true;
    case QEvent::KeyPress:
        handleKeyPress(static_cast<const QKeyEvent&>(*event));
        return true;
    case QEvent::KeyRelease:
        return true;
    case QEvent::WindowDeactivate:
    case QEvent::ActivationChange:
        // Focus gone elsewhere: typing no longer meant for the recorder.
        if (watched == window() && !window()->isActiveWindow())
            stopRecording();
        return false;
    case QEvent::ApplicationDeactivate:
        stopRecording();
        return false;
    default:
        return false;
    }
}

void ShortcutRecorder::hideEvent(QHideEvent* event)
{
    stopRecording();
    QWidget::hideEvent(event);
}

void ShortcutRecorder::handleKeyPress(const QKeyEvent& event)
{
    if (event.isAutoRepeat())
        return;
    const auto key = keyForEvent(event);
    if (event.key() == Qt::Key_Escape || (key && key->keyCode == escapeKeyCode)) {
        stopRecording();
        return;
    }
    const auto shortcut = CaptureShortcut::fromKeyEvent(event);
    if (!shortcut)
        return; // no Ctrl, Alt or Super, a lone modifier, or a key a hot key cannot use
    for (CaptureAction other : allCases<CaptureAction>) {
        const CaptureShortcut taken = m_store.shortcut(other);
        if (other != m_action && taken.keyCode == shortcut->keyCode && taken.carbonModifiers == shortcut->carbonModifiers) {
            setNotice(tr("Already used by “%1”").arg(captureActionTitle(other)));
            return;
        }
    }
    store(*shortcut);
}

void ShortcutRecorder::store(const CaptureShortcut& shortcut)
{
    const CaptureShortcut previous = m_store.shortcut(m_action);
    m_store.setShortcut(shortcut, m_action);
    setNotice({});
    stopRecording(); // takes the hot keys again, the new one among them
    keepWorkingBinding(previous);
}

void ShortcutRecorder::keepWorkingBinding(const CaptureShortcut& previous)
{
    if (!m_hotkeys || m_hotkeys->isSuspended() || !m_hotkeys->unavailableReason().isEmpty())
        return;
    if (m_hotkeys->registeredID(m_action))
        return;
    if (!(previous == m_store.shortcut(m_action)))
        m_store.setShortcut(previous, m_action);
    setNotice(tr("Already used by another program"));
}

void ShortcutRecorder::setNotice(const QString& notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    Q_EMIT noticeChanged(notice);
}
