#include "settings/ShortcutRecorder.h"

#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "platform/HotkeyBackend.h"
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
    if (m_hotkeys) {
        // The portal settles a binding after the fact: what it decided shows under the row.
        connect(m_hotkeys, &GlobalHotkeys::desktopAnswered, this, [this](CaptureAction action) {
            if (action == m_action && !m_recording)
                setHotkeyNotice();
        });
        // A key refused at launch, or freed by another row's change, shows as it stands now; what
        // this recorder itself refused stays until the user acts on the row.
        connect(m_hotkeys, &GlobalHotkeys::registered, this, [this] {
            if (!m_recording && (m_notice.isEmpty() || m_noticeFromHotkeys))
                setHotkeyNotice();
        });
        m_notice = hotkeyNotice();
        m_noticeFromHotkeys = true;
    }
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
    // What was refused while recording is moot once the row shows its own key again.
    if (m_noticeWhileRecording || m_notice.isEmpty())
        setHotkeyNotice();
    Q_EMIT recordingChanged(false);
}

void ShortcutRecorder::resetToDefault()
{
    const CaptureShortcut wanted = CaptureShortcut::defaultFor(m_action);
    const CaptureShortcut previous = m_store.shortcut(m_action);
    if (const auto other = m_store.actionUsing(wanted, m_action)) {
        setNotice(tr("Already used by “%1”").arg(captureActionTitle(*other)), m_recording);
        return;
    }
    if (m_recording) {
        // Our keys are let go while recording, so the server is asked now whether it would take
        // the default; otherwise the row would show a key that does nothing.
        if (m_hotkeys && m_hotkeys->tryBinding(m_action, wanted) != 0) {
            setNotice(tr("Already used by another program"), true);
            return;
        }
        m_store.setShortcut(wanted, m_action);
        setNotice({});
        return;
    }
    m_store.setShortcut(wanted, m_action);
    setNotice({});
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
    if (!shortcut) {
        // Without Ctrl, Alt or Super, or a modifier on its own: not a combination yet, recording
        // goes on. A key the hot keys have no way to name or take is said so.
        const quint32 held = carbonModifierMask(event.modifiers());
        const bool combination = (held & (CarbonModifier::command | CarbonModifier::option | CarbonModifier::control)) != 0;
        if (combination && !isModifierKey(event.key()) && !key)
            setNotice(tr("This key can't be used"), true);
        return;
    }
    if (const auto other = m_store.actionUsing(*shortcut, m_action)) {
        setNotice(tr("Already used by “%1”").arg(captureActionTitle(*other)), true);
        return;
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

QString ShortcutRecorder::hotkeyNotice() const
{
    if (!m_hotkeys)
        return {};
    if (const auto answer = m_hotkeys->desktopAnswer(m_action); answer && !answer->asAsked) {
        if (answer->trigger.isEmpty())
            return tr("The desktop didn't accept this shortcut");
        return tr("The desktop uses %1 for this instead").arg(answer->trigger);
    }
    // Where no hot key can work at all, the tab says so once, above the rows.
    const auto refusal = m_hotkeys->refusal(m_action);
    if (!refusal || !m_hotkeys->unavailableReason().isEmpty())
        return {};
    if (refusal->sameKeyAs)
        return tr("Already used by “%1”").arg(captureActionTitle(*refusal->sameKeyAs));
    if (refusal->status == HotkeyBackend::unknownKeyStatus)
        return tr("This key can't be used");
    return tr("Already used by another program");
}

void ShortcutRecorder::setHotkeyNotice()
{
    setNotice(hotkeyNotice());
    m_noticeFromHotkeys = true;
}

void ShortcutRecorder::setNotice(const QString& notice, bool whileRecording)
{
    m_noticeFromHotkeys = false;
    m_noticeWhileRecording = whileRecording && !notice.isEmpty();
    if (notice == m_notice)
        return;
    m_notice = notice;
    Q_EMIT noticeChanged(notice);
}
