#include "capture/ScreenshotWatcher.h"

#include "core/Async.h"
#include "core/Log.h"
#include "platform/ScreenshotNames.h"
#include "platform/ScreenshotSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

std::optional<QDateTime> creationTime(int dirFd, const char* name, bool* regular)
{
    struct statx st {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_BTIME | STATX_MTIME, &st) != 0)
        return std::nullopt;
    *regular = S_ISREG(st.stx_mode);
    // Not every file system records a birth time; the modification time is the closest stand-in
    // (a rename keeps it, so an old file moved in stays old).
    const statx_timestamp& t = (st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_mtime;
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000);
}

}

ScreenshotWatcher::ScreenshotWatcher(ScreenshotSettings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_directory(settings.location())
    , m_nameRule { settings.locationHoldsOnlyScreenshots(), settings.namePrefix().toLower() }
    , m_now([] { return QDateTime::currentDateTime(); })
    , m_lister(&ScreenshotWatcher::listCandidates)
{
}

ScreenshotWatcher::~ScreenshotWatcher() = default;

const QStringList& ScreenshotWatcher::screenshotExtensions()
{
    static const QStringList extensions { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("tiff"), QStringLiteral("heic") };
    return extensions;
}

bool ScreenshotWatcher::NameRule::matches(const QString& fileName) const
{
    return anyName || ScreenshotNames::looksLikeScreenshot(fileName)
        || (!extraPrefix.isEmpty() && fileName.toLower().startsWith(extraPrefix));
}

void ScreenshotWatcher::setPollInterval(int ms)
{
    m_pollIntervalMs = ms;
    if (m_pollTimer)
        m_pollTimer->setInterval(ms);
}

void ScreenshotWatcher::setClock(std::function<QDateTime()> now)
{
    m_now = std::move(now);
}

void ScreenshotWatcher::setLister(std::function<Listing(const QString&)> lister)
{
    m_lister = std::move(lister);
}

void ScreenshotWatcher::start()
{
    stop();
    setDenied(false);
    m_directory = m_settings.location();
    m_nameRule = { m_settings.locationHoldsOnlyScreenshots(), m_settings.namePrefix().toLower() };
    logLine(QStringLiteral("watching %1 (%2)")
                .arg(m_directory,
                    m_nameRule.anyName ? QStringLiteral("every new image") : QStringLiteral("images named like screenshots")));
    struct stat st {};
    if (::stat(QFile::encodeName(m_directory).constData(), &st) == 0)
        setUpDirectorySource({ quint64(st.st_dev), quint64(st.st_ino) });
    startPolling();
    m_activationConnection = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
        [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                scheduleScan();
        });
    scheduleScan();
}

void ScreenshotWatcher::stop()
{
    delete m_pollTimer;
    m_pollTimer = nullptr;
    dropDirectorySource();
    disconnect(m_activationConnection);
}

void ScreenshotWatcher::setUpDirectorySource(const FolderIdentity& folder)
{
    // inotify drops the watch when the folder is deleted, but follows it when it is renamed away:
    // a folder made again in its place needs a new watch either way.
    if (m_dirSource && m_dirSource->directories().contains(m_directory) && folder == m_watchedFolder)
        return;
    dropDirectorySource();
    auto* source = new QFileSystemWatcher(this);
    // Fails quietly for a folder that is missing or cannot be watched: polling carries on.
    if (!source->addPath(m_directory)) {
        delete source;
        return;
    }
    connect(source, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleScan(); });
    m_dirSource = source;
    m_watchedFolder = folder;
    logLine(QStringLiteral("inotify watcher set up for %1").arg(m_directory));
}

void ScreenshotWatcher::dropDirectorySource()
{
    delete m_dirSource;
    m_dirSource = nullptr;
}

void ScreenshotWatcher::startPolling()
{
    if (m_pollTimer)
        return;
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(m_pollIntervalMs);
    connect(m_pollTimer, &QTimer::timeout, this, &ScreenshotWatcher::scheduleScan);
    m_pollTimer->start();
}

void ScreenshotWatcher::setDenied(bool denied)
{
    if (m_desktopPermissionDenied == denied)
        return;
    m_desktopPermissionDenied = denied;
    Q_EMIT desktopPermissionDeniedChanged(denied);
}

void ScreenshotWatcher::scheduleScan()
{
    if (m_desktopPermissionDenied)
        return;
    if (m_scanning) {
        m_rescanQueued = true;
        return;
    }
    m_scanning = true;
    ++m_scansStarted;
    const QString directory = m_directory;
    const QDateTime now = m_now();
    runInBackground(
        QThreadPool::globalInstance(), this, [directory, lister = m_lister] { return lister(directory); },
        [this, now, rule = m_nameRule](Listing listing) { handleScanResult(listing, now, rule); });
}

ScreenshotWatcher::Listing ScreenshotWatcher::listCandidates(const QString& directory)
{
    Listing listing;
    const QByteArray native = QFile::encodeName(directory);
    DIR* dir = ::opendir(native.constData());
    if (!dir) {
        const int error = errno;
        listing.error = QString::fromLocal8Bit(std::strerror(error));
        if (error == EACCES || error == EPERM)
            listing.status = Listing::Status::denied;
        else if (error == ENOENT || error == ENOTDIR)
            listing.status = Listing::Status::missing;
        else
            listing.status = Listing::Status::failed;
        return listing;
    }
    const int fd = ::dirfd(dir);
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        listing.folder = { quint64(st.st_dev), quint64(st.st_ino) };
    while (const dirent* item = ::readdir(dir)) {
        const QByteArray rawName(item->d_name);
        if (rawName.startsWith('.'))
            continue;
        Entry entry;
        entry.name = QFile::decodeName(rawName);
        if (!screenshotExtensions().contains(QFileInfo(entry.name).suffix().toLower()))
            continue;
        entry.path = directory + QLatin1Char('/') + entry.name;
        entry.nameEncodable = QFile::encodeName(entry.name) == rawName;
        entry.created = creationTime(fd, item->d_name, &entry.regularFile);
        listing.entries.append(entry);
    }
    ::closedir(dir);
    return listing;
}

bool ScreenshotWatcher::isFreshScreenshot(const Entry& entry, const NameRule& rule, const QDateTime& now)
{
    // A birth time in the future (a clock change) passes.
    return rule.matches(entry.name) && entry.created && entry.created->msecsTo(now) < qint64(freshSeconds) * 1000;
}

void ScreenshotWatcher::handleScanResult(const Listing& listing, const QDateTime& now, const NameRule& rule)
{
    using Status = Listing::Status;
    if (listing.status == Status::denied) {
        logLine(QStringLiteral("Screenshot folder access denied — stopping watcher. %1 cannot be read (%2); "
                               "make it readable or choose another screenshot folder.")
                    .arg(m_directory, listing.error));
        setDenied(true);
        delete m_pollTimer;
        m_pollTimer = nullptr;
        dropDirectorySource();
    } else if (listing.status != Status::ok) {
        // Not there (yet, or any more): keep polling and watch it once it appears. A folder that
        // did not exist at the first scan held no files then, so everything in it later is new.
        if (!m_folderMissing)
            logLine(QStringLiteral("screenshot folder %1 is not available (%2); waiting for it").arg(m_directory, listing.error));
        m_folderMissing = true;
        m_primed = true;
        dropDirectorySource();
        startPolling();
    } else {
        if (m_folderMissing) {
            logLine(QStringLiteral("screenshot folder %1 is available again").arg(m_directory));
            m_folderMissing = false;
        }
        setUpDirectorySource(listing.folder);
        QSet<QString> names;
        for (const Entry& entry : listing.entries)
            names.insert(entry.name);
        if (!m_primed) {
            // The first listing can wait behind other work on a busy machine: what was made after
            // the watcher asked for it is new, not part of the folder's old contents.
            for (const Entry& entry : listing.entries) {
                if (!entry.created || *entry.created <= now)
                    m_seen.insert(entry.name);
            }
            m_primed = true;
        }
        {
            QList<Entry> fresh;
            for (const Entry& entry : listing.entries) {
                if (m_seen.contains(entry.name) || !isFreshScreenshot(entry, rule, now))
                    continue;
                m_seen.insert(entry.name);
                if (!entry.regularFile || !entry.nameEncodable) {
                    logLine(QStringLiteral("skipping %1: %2").arg(entry.name,
                        entry.regularFile ? QStringLiteral("its name cannot be encoded") : QStringLiteral("not a regular file")));
                    continue;
                }
                if (m_reported.contains(entry.path))
                    continue;
                fresh.append(entry);
            }
            // Oldest first, so the newest ends up first among the recent shots.
            std::stable_sort(fresh.begin(), fresh.end(), [](const Entry& a, const Entry& b) { return *a.created < *b.created; });
            if (fresh.size() > maxReportsPerScan) {
                logLine(QStringLiteral("%1 new screenshots at once; reporting the newest %2").arg(fresh.size()).arg(maxReportsPerScan));
                fresh = fresh.mid(fresh.size() - maxReportsPerScan);
            }
            for (const Entry& entry : fresh) {
                m_reported.insert(entry.path);
                logLine(QStringLiteral("detected screenshot %1").arg(entry.name));
                Q_EMIT newScreenshot(entry.path);
            }
            m_seen.unite(names);
        }
        // Once inotify works the watcher relies on it and on activation alone.
        if (m_dirSource) {
            delete m_pollTimer;
            m_pollTimer = nullptr;
        } else {
            startPolling();
        }
    }
    m_scanning = false;
    Q_EMIT scanFinished();
    if (m_rescanQueued) {
        m_rescanQueued = false;
        scheduleScan();
    }
}

bool ScreenshotWatcher::claim(const QString& path)
{
    if (m_reported.contains(path))
        return false;
    m_reported.insert(path);
    const QFileInfo info(path);
    if (info.absolutePath() == QFileInfo(m_directory).absoluteFilePath())
        m_seen.insert(info.fileName());
    return true;
}
