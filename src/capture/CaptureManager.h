#pragma once

#include "capture/CapturedShot.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class Pasteboard;
class QFileSystemWatcher;
class ScreenshotSettings;
class ScreenshotWatcher;
class SerialExecutor;
class SystemScreenshotTool;

// The intake of shots. Turns every file the screenshot watcher reports into a CapturedShot and
// sends it on didCapture; imports images from the clipboard, an open dialog or a drop and sends
// them on didImport; keeps the 12 newest shots. Main thread only; files are read and decoded on
// a background thread of their own, one at a time.
//
// A reported file is read at once. One that is not a complete image yet is read again each time
// it changes, and given up once it has stood still for 2 s (or 10 s after it was reported); a
// damaged image, one that is too large or no image at all is given up at once. Giving up is said
// once (failed, a toast's text) and logged once; a given-up file that changes later is tried
// again. A reported file still waiting for its turn is dropped when a newer one arrives: only the
// newest shot is presented, and decoding the others would only cost memory.
class CaptureManager : public QObject {
    Q_OBJECT
public:
    CaptureManager(ScreenshotSettings& screenshotSettings, Pasteboard& pasteboard, QObject* parent = nullptr);
    ~CaptureManager() override;

    static constexpr int maxRecents = 12;
    // A file that is not a complete image is given up once it stood still this long...
    static constexpr int stillMs = 2000;
    // ...or this long after it was reported, even while it keeps changing.
    static constexpr int maxWaitMs = 10000;
    // How often a file being waited for is looked at, and how long a change must rest before the
    // file is read again (a writer between two chunks).
    static constexpr int pollMs = 100;
    static constexpr int settleMs = 150;
    // Given-up files watched for a change, newest kept.
    static constexpr int maxWatchedFailures = 32;

    // Newest first. Their images are previews at most previewSide on their longer side: a shot
    // from a file is read back from it when opened, any other is kept compressed.
    const QList<CapturedShot>& recents() const { return m_recents; }
    static constexpr int previewSide = 640;
    // A pasted shot is compressed this long after it arrived, once its own road is over.
    static constexpr int compressDelayMs = 2000;
    // Hands the full-size form of a recent shot to `done` on the main thread (unless `context` is
    // gone): at once while it is in memory, else once read back. A shot that is not a recent one
    // is handed on as it is. When it cannot be read back, `done` is not called and failed says why.
    void openRecent(const CapturedShot& recent, QObject* context, std::function<void(const CapturedShot&)> done);

    // Mirrors the watcher: the screenshot folder cannot be read.
    bool desktopPermissionDenied() const { return m_desktopPermissionDenied; }
    ScreenshotWatcher& watcher() { return *m_watcher; }

    // Reads a screenshot file and sends it on didCapture (see above).
    void loadScreenshot(const QString& path);
    // A screenshot file the desktop's screenshot tool handed over directly: loaded like one the
    // watcher found, and never reported by the watcher as well.
    void acceptCapturedFile(const QString& path);
    // Takes every file the desktop's screenshot tool hands back (see acceptCapturedFile), and says
    // when no tool answered a capture.
    void takeCapturesFrom(SystemScreenshotTool& tool);
    // A file reported and not yet delivered or given up.
    bool isLoading() const { return m_decoding || m_waiting.has_value(); }

    // Puts a shot first among the recent shots (no duplicate check), keeping the newest 12.
    void addRecent(const CapturedShot& shot);
    // Imports the clipboard's image; false when it holds none that can be read.
    bool pasteFromClipboard();
    // Shows an open dialog for image files; a chosen image arrives later on didImport.
    void importFromFile();
    // Imports an image file (what the open dialog does with its choice): read in the background,
    // then sent on didImport; a file that is no readable image is said on failed and logged.
    void importFile(const QString& path);
    // Sends a shot on didImport (the editor window's drop handler does, after addRecent).
    void sendImport(const CapturedShot& shot);

Q_SIGNALS:
    void didCapture(const CapturedShot& shot);
    void didImport(const CapturedShot& shot);
    void recentsChanged();
    void desktopPermissionDeniedChanged();
    // Something the user asked for or expects could not be done: a toast's text.
    void failed(const QString& message);

private:
    struct FileStamp {
        qint64 size = -1;
        qint64 modifiedMs = -1;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const QString& path);
    // A reported file on its way in.
    struct Load {
        QString path;
        qint64 reportedMs = 0;
        std::optional<FileStamp> tried; // what the file was when last read; none before the first
        FileStamp seen; // what it was when last looked at
        qint64 seenSinceMs = 0; // since when it has been `seen`
        QString error; // why the last read failed
    };
    void pump();
    void startDecode(Load load);
    void giveUp(const Load& load);
    void supersede(const Load& load);
    void watchFailure(const QString& path);
    void fail(const QString& path, const QString& reason);
    void compressRecent(const QUuid& id);
    void reduceRecent(const QUuid& id);
    CapturedShot* findRecent(const QUuid& id);

    Pasteboard& m_pasteboard;
    ScreenshotWatcher* m_watcher;
    std::unique_ptr<SerialExecutor> m_reader;
    std::optional<Load> m_waiting;
    bool m_decoding = false;
    QString m_decodingPath;
    QTimer m_poll;
    QFileSystemWatcher* m_failures;
    QStringList m_failureOrder;
    QList<CapturedShot> m_recents;
    // Recent shots whose image is only a preview.
    QSet<QUuid> m_reduced;
    // The compressed full form of recent shots that have no file.
    QHash<QUuid, QByteArray> m_compressed;
    bool m_desktopPermissionDenied = false;
};
