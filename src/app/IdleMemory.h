#pragma once

#include <QMetaObject>
#include <QObject>
#include <QTimer>

class AppState;
class NotchController;
class TextRecognizer;

// What the tray application gives back between shots: render caches once no panel or editor
// shows a shot, spare recognition engines after a quiet minute, and the allocator's free pages
// after each of those.
class IdleMemory : public QObject {
    Q_OBJECT
public:
    static constexpr int quietEngineMs = 60000;
    static constexpr int settleMs = 3000;
    // An open editor left alone this long gives back its render stores (censored copies,
    // backgrounds at every zoom it was shown at, reduced shots): the next edit makes the few it
    // needs again in milliseconds.
    static constexpr int editorQuietMs = 20000;

    IdleMemory(AppState& app, NotchController& notch, TextRecognizer& recognizer, QObject* parent = nullptr);

    // A shot was presented: engines stay warm for a minute more; freed memory goes back once the
    // road's last work has settled.
    void shotPresented();
    // The panel or the editor let go of its shot.
    void shotReleased();
    // How long an open editor must be left alone before it gives back its render stores.
    void setEditorQuietInterval(int ms) { m_editorQuiet.setInterval(ms); }

private:
    void releaseSpareEngines();
    void watchDocument();
    void editorQuiet();

    AppState& m_app;
    NotchController& m_notch;
    TextRecognizer& m_recognizer;
    QTimer m_quietEngines;
    QTimer m_settle;
    QTimer m_editorQuiet;
    QMetaObject::Connection m_documentEdits[8];
};
