#pragma once

#include "capture/CapturedShot.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

class Pasteboard;
class ScreenshotSettings;
class ScreenshotWatcher;
class SystemScreenshotTool;

// The intake of shots. Turns every file the screenshot watcher reports into a CapturedShot
// (retrying while the screenshot tool is still writing it) and sends it on didCapture; imports
// images from the clipboard, an open dialog or a drop and sends them on didImport; keeps the 12
// newest shots. Main thread only.
class CaptureManager : public QObject {
    Q_OBJECT
public:
    CaptureManager(ScreenshotSettings& screenshotSettings, Pasteboard& pasteboard, QObject* parent = nullptr);
    ~CaptureManager() override;

    static constexpr int maxRecents = 12;
    static constexpr int loadRetries = 15;
    static constexpr int retryDelayMs = 50;
    // A file that keeps growing is waited for this long at most.
    static constexpr int maxGrowingWaitMs = 10000;

    // Newest first. Their images are small previews: the full shots are kept compressed, and
    // recentShot() brings one back at full size.
    const QList<CapturedShot>& recents() const { return m_recents; }
    // The full-size shot of a recent preview; the shot as given when it is not a recent one or
    // its stored form cannot be decoded (logged).
    CapturedShot recentShot(const CapturedShot& preview) const;
    // The longest side of a recent shot's preview.
    static constexpr int previewSide = 640;
    static constexpr int compressDelayMs = 2000;
    // Mirrors the watcher: the screenshot folder cannot be read.
    bool desktopPermissionDenied() const { return m_desktopPermissionDenied; }
    ScreenshotWatcher& watcher() { return *m_watcher; }

    // Loads a screenshot file and sends it on didCapture. Attempts that find the file incomplete
    // are repeated every 50 ms, `retriesLeft` times, and for as long as the file keeps growing.
    void loadScreenshot(const QString& path, int retriesLeft = loadRetries);
    // A screenshot file the desktop's screenshot tool handed over directly: loaded like one the
    // watcher found, and never reported by the watcher as well.
    void acceptCapturedFile(const QString& path);
    // Takes every file the desktop's screenshot tool hands back (see acceptCapturedFile).
    void takeCapturesFrom(SystemScreenshotTool& tool);

    // Puts a shot first among the recent shots (no duplicate check), keeping the newest 12.
    void addRecent(const CapturedShot& shot);
    // Imports the clipboard's image; false when it holds none that can be read.
    bool pasteFromClipboard();
    // Shows an open dialog for image files; a chosen image arrives later on didImport.
    void importFromFile();
    // Imports an image file (what the open dialog does with its choice). False when the file is
    // not a readable image; that is logged and nothing else happens.
    bool importFile(const QString& path);
    // Sends a shot on didImport (the editor window's drop handler does, after addRecent).
    void sendImport(const CapturedShot& shot);

Q_SIGNALS:
    void didCapture(const CapturedShot& shot);
    void didImport(const CapturedShot& shot);
    void recentsChanged();
    void desktopPermissionDeniedChanged();

private:
    struct FileStamp {
        qint64 size = -1;
        qint64 modifiedMs = -1;
        bool operator==(const FileStamp&) const = default;
    };
    void compressRecent(const QUuid& id);
    void attemptLoad(const QString& path, int retriesLeft, FileStamp previous, qint64 firstAttemptMs);

    Pasteboard& m_pasteboard;
    ScreenshotWatcher* m_watcher;
    QList<CapturedShot> m_recents;
    // Each recent shot's full image, until its compressed form is ready; then that.
    QHash<QUuid, QImage> m_fullImages;
    QHash<QUuid, QByteArray> m_compressed;
    bool m_desktopPermissionDenied = false;
};
