#pragma once

#include "capture/CapturedShot.h"
#include "capture/FileStamp.h"
#include "image/ImageFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class Pasteboard;
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
// it changes, silently while it may still grow: while a program has it open for writing, or while
// it is empty. Once its writer has closed it and it stood still for 2 s it is given up, said once
// (failed, a toast's text) and logged once; where the watcher cannot tell whether a program
// writes it, it is given up once it stood still for 10 s. One still open after 10 s is no longer
// looked at, and is read again when the watcher reports it changed. A damaged image, one that is
// too large or no image at all is said at once. A file that changed while it was read (replaced,
// or written again in place) is read again: the newest content wins. A file handled (delivered
// or said) is not handled again until it changes. A reported file still waiting for its turn when
// a newer one arrives skips the road to the panel (only the newest shot is presented): it is read
// on a thread of its own into a preview and joins the recent shots in the order the files arrived.
class CaptureManager : public QObject {
    Q_OBJECT
public:
    CaptureManager(ScreenshotSettings& screenshotSettings, Pasteboard& pasteboard, QObject* parent = nullptr);
    ~CaptureManager() override;

    static constexpr int maxRecents = 12;
    // A file that is not a complete image and that no program writes any more is given up once
    // it stood still this long (a tool may still rename the finished file over it).
    static constexpr int stillMs = 2000;
    // A file is looked at for this long after it was reported or last changed. Where nothing says
    // whether a program still writes it, standing still this long counts as its end: screenshot
    // tools write their files in well under a second, and even a loaded machine seldom stalls a
    // writer for this long.
    static constexpr int maxWaitMs = 10000;
    // How often a file being waited for is looked at, and how long a change must rest before the
    // file is read again (a writer between two chunks).
    static constexpr int pollMs = 100;
    static constexpr int settleMs = 150;
    // Files handled, remembered as they were then (newest kept).
    static constexpr int maxHandled = 256;

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
    // How long a skipped file that is not a complete image yet is read again, at this interval.
    static constexpr int skippedRetryMs = 250;
    // Imports the clipboard's image once it has been read (without waiting on the program that
    // offers it): sent on didImport; what stands in the way is said on failed ("No image on the
    // clipboard"). A paste asked for while one is being read is the same paste.
    void pasteFromClipboard();
    bool isPasting() const { return m_pasting; }
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
    // A reported file on its way in.
    struct Load {
        QString path;
        qint64 reportedMs = 0;
        std::optional<FileStamp> tried; // what the file was when last read; none before the first
        FileStamp seen; // what it was when last looked at
        qint64 seenSinceMs = 0; // since when it has been `seen`
        QString error; // why the last read failed
        qint64 arrival = 0; // the order of reports, for the recent shots
    };
    void pump();
    void startDecode(Load load);
    void finishDecode(Load load, ImageFile::Result result, const FileStamp& read);
    void giveUp(const Load& load);
    void leave(const Load& load);
    void supersede(const Load& load);
    void remember(const QString& path, const FileStamp& stamp);
    // A skipped file's way into the recent shots (see above): read one at a time, the newest
    // first.
    struct Skipped {
        QString path;
        qint64 reportedMs = 0;
        qint64 arrival = 0;
    };
    void keepSkipped(const Skipped& skipped);
    void readSkipped();
    // Puts a shot among the recent shots after those that arrived later, keeping the newest 12.
    void insertRecent(const CapturedShot& shot, qint64 arrival);
    void trimRecents();
    void fail(const QString& path, const QString& reason);
    void compressRecent(const QUuid& id);
    void reduceRecent(const QUuid& id);
    CapturedShot* findRecent(const QUuid& id);

    Pasteboard& m_pasteboard;
    ScreenshotWatcher* m_watcher;
    std::unique_ptr<SerialExecutor> m_reader;
    std::unique_ptr<SerialExecutor> m_skippedReader;
    QList<Skipped> m_skipped;
    bool m_readingSkipped = false;
    std::optional<Load> m_waiting;
    bool m_decoding = false;
    QString m_decodingPath;
    QTimer m_poll;
    QHash<QString, FileStamp> m_handled;
    QStringList m_handledOrder;
    QList<CapturedShot> m_recents;
    // When each recent shot arrived (reported, pasted, opened), counted up.
    QHash<QUuid, qint64> m_arrivalOf;
    qint64 m_arrivals = 0;
    // Recent shots whose image is only a preview.
    QSet<QUuid> m_reduced;
    // The compressed full form of recent shots that have no file.
    QHash<QUuid, QByteArray> m_compressed;
    bool m_desktopPermissionDenied = false;
    bool m_pasting = false;
};
