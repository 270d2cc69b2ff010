#pragma once

#include "capture/FileStamp.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class FolderEvents;
class QFileInfo;
class QTimer;
class ScreenshotSettings;

// Notices each new screenshot in the desktop's screenshot folder. Woken by inotify on the folder,
// by a poll timer (only until inotify is known to work) and by the application becoming active;
// each wake-up asks for one scan, which lists the folder off the main thread and reports, on the
// main thread, every image file that is a screenshot, was made or written in the last 30 s and is
// not as it was at the previous listing. A file is known by its stamp (identity, size,
// modification time), not its name: one saved again under a name used before, replaced, or
// written again in place is reported again; a name that leaves the listing is forgotten. In a
// folder only screenshot tools write to, every image is a screenshot; on the Desktop its name
// decides (ScreenshotNames, in every language). Files present at the first scan are not reported
// until they change.
//
// A folder that does not exist (yet, or any more) is waited for. One that cannot be read raises
// desktopPermissionDenied, and is watched again as soon as it can be read.
class ScreenshotWatcher : public QObject {
    Q_OBJECT
public:
    explicit ScreenshotWatcher(ScreenshotSettings& settings, QObject* parent = nullptr);
    ~ScreenshotWatcher() override;

    void start();
    void stop();
    // Asks for one scan; requests during a scan collapse into one follow-up scan.
    void scheduleScan();

    QString directory() const { return m_directory; }
    bool desktopPermissionDenied() const { return m_desktopPermissionDenied; }

    // A screenshot that arrived by another road (the desktop's screenshot portal hands its file
    // over directly): the watcher will not report it as it is now. False when the watcher already
    // did.
    bool claim(const QString& path);
    // Whether a program has the file open for writing, as inotify shows it (made or written to
    // and not closed since); none when the watcher cannot tell (no inotify on the folder, or a
    // file elsewhere).
    std::optional<bool> isBeingWritten(const QString& path) const;

    // Which image files are screenshots: any, or those whose names read as a screenshot's.
    struct NameRule {
        bool anyName = false;
        QString extraPrefix; // lower case: the desktop's own word, where the table lacks it
        bool matches(const QString& fileName) const;
    };
    static const QStringList& screenshotExtensions();
    // An image file that is not hidden: what a listing holds.
    static bool isCandidateName(const QString& name);
    NameRule nameRule() const { return m_nameRule; }

    // More fresh new files than this in one scan is a copy, not screenshots being taken: only the
    // newest are reported.
    static constexpr int maxReportsPerScan = 12;
    static constexpr int freshSeconds = 30;

    // For tests: the poll interval (5 s), the clock scans measure freshness against, and the
    // listing (to stand for failures the test cannot cause, such as a denial when run as root).
    void setPollInterval(int ms);
    void setClock(std::function<QDateTime()> now);
    bool isScanning() const { return m_scanning; }
    int scansStarted() const { return m_scansStarted; }

    struct Entry {
        QString name;
        QString path;
        bool regularFile = false;
        bool nameEncodable = true;
        FileStamp stamp;
        // When it was made or last written, whichever is later (a rename keeps both, so an old
        // file moved in stays old); none when it could not be looked at.
        std::optional<QDateTime> written;
    };
    // Which folder a path named when it was opened: a folder renamed away keeps its identity, a
    // new one made in its place has another.
    struct FolderIdentity {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FolderIdentity&) const = default;
    };
    struct Listing {
        enum class Status { ok, missing, denied, failed } status = Status::ok;
        QString error;
        FolderIdentity folder;
        QList<Entry> entries; // image files only, hidden files skipped
    };
    // The listing of one scan (runs off the main thread).
    static Listing listCandidates(const QString& directory);
    void setLister(std::function<Listing(const QString&)> lister);
    static bool isFreshScreenshot(const Entry& entry, const NameRule& rule, const QDateTime& now);

Q_SIGNALS:
    void newScreenshot(const QString& path);
    void desktopPermissionDeniedChanged(bool denied);
    void scanFinished();

private:
    void setUpDirectorySource(const FolderIdentity& folder);
    void takeListing(const Listing& listing, const QDateTime& now, const NameRule& rule);
    void dropDirectorySource();
    void startPolling();
    void handleScanResult(const Listing& listing, const QDateTime& now, const NameRule& rule);
    void setDenied(bool denied);
    bool inFolder(const QFileInfo& file) const;

    ScreenshotSettings& m_settings;
    bool m_desktopPermissionDenied = false;
    QTimer* m_pollTimer = nullptr;
    int m_pollIntervalMs = 5000;
    FolderEvents* m_dirSource = nullptr;
    FolderIdentity m_watchedFolder; // what m_dirSource watches
    QMetaObject::Connection m_activationConnection;
    bool m_scanning = false;
    bool m_rescanQueued = false;
    // Each listed image file's stamp at the last listing, by name, and whether it was reported.
    struct Seen {
        FileStamp stamp;
        bool reported = false;
    };
    QHash<QString, Seen> m_seen;
    // Files handed over by another road, by path, as they were then; the newest few.
    QHash<QString, FileStamp> m_claimed;
    QStringList m_claimOrder;
    static constexpr int maxClaims = 32;
    bool m_primed = false;
    bool m_folderMissing = false;
    QString m_directory;
    NameRule m_nameRule;
    std::function<QDateTime()> m_now;
    std::function<Listing(const QString&)> m_lister;
    int m_scansStarted = 0;
};
