#pragma once

#include "capture/CaptureAction.h"
#include "capture/CaptureShortcut.h"

#include <QAbstractButton>
#include <QWidget>

class CaptureShortcutStore;
class GlobalHotkeys;

// Records a new key combination for one capture action. Clicking the shortcut button starts
// recording ("Type shortcut…"); while recording, every key press of the application comes here
// and never reaches a window: Esc cancels, a key without Ctrl, Alt or Super is ignored and
// recording goes on, and any other combination is stored through the store. The application's
// own hot keys are released while recording, so the combination being typed reaches the
// recorder, and taken again when recording ends, however it ends (Esc, stored, a second click,
// the recorder hidden, its window losing focus).
//
// A combination another capture action already uses is refused, typed or by Reset (recording
// goes on); one that another program holds cannot become a hot key, so the previous binding is
// kept (asked of the server at once when Reset is pressed while recording). A key the hot keys
// cannot take (outside the key table) held with a modifier is refused too. notice() says why,
// for the line under the row; what was refused while recording is dropped when recording ends
// without a new key. Where the desktop settles bindings later (the portal), its refusal or the
// other key it chose is the notice; a key that could not be registered (at launch too: another
// program held it, or stored settings gave two actions one key) says so until it is. Main thread
// only.
class ShortcutRecorder final : public QWidget {
    Q_OBJECT
public:
    // `hotkeys` may be null (nothing to release or check).
    ShortcutRecorder(CaptureAction action, CaptureShortcutStore& store, GlobalHotkeys* hotkeys,
        QWidget* parent = nullptr);
    ~ShortcutRecorder() override;

    CaptureAction action() const { return m_action; }
    bool isRecording() const { return m_recording; }
    QString notice() const { return m_notice; }
    QAbstractButton* shortcutButton() const { return m_button; }
    QAbstractButton* resetButton() const { return m_reset; }

    void toggleRecording();
    void stopRecording();
    // Stores the action's default; recording stays as it is.
    void resetToDefault();

Q_SIGNALS:
    void recordingChanged(bool recording);
    void noticeChanged(const QString& notice);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startRecording();
    void handleKeyPress(const QKeyEvent& event);
    void store(const CaptureShortcut& shortcut);
    // After a binding changed while the hot keys are live: a combination the X server refused
    // gives way to the previous binding.
    void keepWorkingBinding(const CaptureShortcut& previous);
    void setNotice(const QString& notice, bool whileRecording = false);
    // What the hot keys say of this action now: the desktop's answer (the portal), else why its
    // key was not registered (another program holds it, another action has it, the key cannot be
    // taken); empty while it works.
    QString hotkeyNotice() const;
    void setHotkeyNotice();

    CaptureAction m_action;
    CaptureShortcutStore& m_store;
    GlobalHotkeys* m_hotkeys;
    bool m_recording = false;
    bool m_filterInstalled = false;
    QString m_notice;
    bool m_noticeWhileRecording = false;
    bool m_noticeFromHotkeys = false; // the notice is hotkeyNotice(), not a refusal of our own
    QAbstractButton* m_button;
    QAbstractButton* m_reset;
};
