#pragma once

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

    IdleMemory(AppState& app, NotchController& notch, TextRecognizer& recognizer, QObject* parent = nullptr);

    // A shot was presented: engines stay warm for a minute more; freed memory goes back once the
    // road's last work has settled.
    void shotPresented();
    // The panel or the editor let go of its shot.
    void shotReleased();

private:
    void releaseSpareEngines();

    AppState& m_app;
    NotchController& m_notch;
    TextRecognizer& m_recognizer;
    QTimer m_quietEngines;
    QTimer m_settle;
};
