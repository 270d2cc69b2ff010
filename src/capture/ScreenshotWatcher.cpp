#include "capture/ScreenshotWatcher.h"

#include "capture/FolderEvents.h"
#include "core/Async.h"
#include "core/Log.h"
#include "platform/ScreenshotNames.h"
#include "platform/ScreenshotSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Fills in the entry's type, stamp and time from the file itself (not what a link points to).
void lookAt(int dirFd, const char* name, ScreenshotWatcher::Entry& entry)
{
    struct statx st {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_SIZE | STATX_BTIME | STATX_MTIME, &st) != 0)
        return;
    entry.regularFile = S_ISREG(st.stx_mode);
    entry.stamp = FileStamp::of(st);
    // Not every file system records a birth time; where it does, a file written again in place
    // keeps it, so the later of the two says when the content is from.
    statx_timestamp t = st.stx_mtime;
    if ((st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec > t.tv_sec || (st.stx_btime.tv_sec == t.tv_sec && st.stx_btime.tv_nsec > t.tv_nsec)))
        t = st.stx_btime;
    entry.written = QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000);
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

bool ScreenshotWatcher::isCandidateName(const QString& name)
{
    return !name.startsWith(QLatin1Char('.')) && screenshotExtensions().contains(QFileInfo(name).suffix().toLower());
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
    if (m_dirSource && m_dirSource->isAlive() && folder == m_watchedFolder)
        return;
    dropDirectorySource();
    // Fails quietly for a folder that is missing or cannot be watched: polling carries on.
    m_dirSource = FolderEvents::watch(m_directory, &ScreenshotWatcher::isCandidateName, this);
    if (!m_dirSource)
        return;
    connect(m_dirSource, &FolderEvents::changed, this, &ScreenshotWatcher::scheduleScan);
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
        Entry entry;
        entry.name = QFile::decodeName(rawName);
        if (!isCandidateName(entry.name))
            continue;
        entry.path = directory + QLatin1Char('/') + entry.name;
        entry.nameEncodable = QFile::encodeName(entry.name) == rawName;
        lookAt(fd, item->d_name, entry);
        listing.entries.append(entry);
    }
    ::closedir(dir);
    return listing;
}

bool ScreenshotWatcher::isFreshScreenshot(const Entry& entry, const NameRule& rule, const QDateTime& now)
{
    // A birth time in the future (a clock change) passes.
    return rule.matches(entry.name) && entry.written && entry.written->msecsTo(now) < qint64(freshSeconds) * 1000;
}

void ScreenshotWatcher::handleScanResult(const Listing& listing, const QDateTime& now, const NameRule& rule)
{
    using Status = Listing::Status;
    if (listing.status == Status::denied) {
        if (!m_desktopPermissionDenied)
            logLine(QStringLiteral("Screenshot folder access denied: %1 cannot be read (%2); make it readable or choose "
                                   "another screenshot folder. Watching for it to become readable.")
                        .arg(m_directory, listing.error));
        setDenied(true);
        // The folder's inotify watch, where it has one, sees its permissions change; the timer
        // sees access come back any other way (a parent folder's permissions).
        startPolling();
    } else if (listing.status != Status::ok) {
        // Not there (yet, or any more): keep polling and watch it once it appears. A folder that
        // did not exist at the first scan held no files then, so everything in it later is new.
        if (!m_folderMissing)
            logLine(QStringLiteral("screenshot folder %1 is not available (%2); waiting for it").arg(m_directory, listing.error));
        m_folderMissing = true;
        m_primed = true;
        m_seen.clear();
        setDenied(false);
        dropDirectorySource();
        startPolling();
    } else {
        if (m_folderMissing) {
            logLine(QStringLiteral("screenshot folder %1 is available again").arg(m_directory));
            m_folderMissing = false;
        }
        if (m_desktopPermissionDenied) {
            logLine(QStringLiteral("screenshot folder %1 can be read again").arg(m_directory));
            setDenied(false);
        }
        setUpDirectorySource(listing.folder);
        takeListing(listing, now, rule);
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

void ScreenshotWatcher::takeListing(const Listing& listing, const QDateTime& now, const NameRule& rule)
{
    // What is listed now replaces what was: a name that left the folder is forgotten, so a file
    // saved under it later is new.
    QHash<QString, Seen> seen;
    seen.reserve(listing.entries.size());
    QList<Entry> fresh;
    for (const Entry& entry : listing.entries) {
        const auto before = m_seen.constFind(entry.name);
        if (before != m_seen.cend() && before->stamp == entry.stamp) {
            seen.insert(entry.name, *before);
            continue;
        }
        Seen& known = seen[entry.name];
        known.stamp = entry.stamp;
        // The first listing is the folder's old contents, except what was made after the watcher
        // asked for it: that listing can wait behind other work on a busy machine.
        if (!m_primed && (!entry.written || *entry.written <= now))
            continue;
        if (!isFreshScreenshot(entry, rule, now))
            continue;
        if (const auto claimed = m_claimed.constFind(entry.path); claimed != m_claimed.cend() && *claimed == entry.stamp) {
            known.reported = true;
            continue;
        }
        if (!entry.regularFile || !entry.nameEncodable) {
            logLine(QStringLiteral("skipping %1: %2").arg(entry.name,
                entry.regularFile ? QStringLiteral("its name cannot be encoded") : QStringLiteral("not a regular file")));
            continue;
        }
        fresh.append(entry);
    }
    m_seen = std::move(seen);
    m_primed = true;
    // Oldest first, so the newest ends up first among the recent shots.
    std::stable_sort(fresh.begin(), fresh.end(), [](const Entry& a, const Entry& b) { return *a.written < *b.written; });
    if (fresh.size() > maxReportsPerScan) {
        logLine(QStringLiteral("%1 new screenshots at once; reporting the newest %2").arg(fresh.size()).arg(maxReportsPerScan));
        fresh = fresh.mid(fresh.size() - maxReportsPerScan);
    }
    for (const Entry& entry : fresh) {
        m_seen[entry.name].reported = true;
        logLine(QStringLiteral("detected screenshot %1").arg(entry.name));
        Q_EMIT newScreenshot(entry.path);
    }
}

bool ScreenshotWatcher::inFolder(const QFileInfo& file) const
{
    return file.absolutePath() == QFileInfo(m_directory).absoluteFilePath();
}

bool ScreenshotWatcher::claim(const QString& path)
{
    const FileStamp stamp = FileStamp::of(path);
    if (const QFileInfo info(path); inFolder(info)) {
        const auto seen = m_seen.constFind(info.fileName());
        if (seen != m_seen.cend() && seen->reported && seen->stamp == stamp)
            return false;
    }
    if (const auto claimed = m_claimed.constFind(path); claimed != m_claimed.cend() && *claimed == stamp)
        return false;
    m_claimed.insert(path, stamp);
    m_claimOrder.removeAll(path);
    m_claimOrder.append(path);
    while (m_claimOrder.size() > maxClaims)
        m_claimed.remove(m_claimOrder.takeFirst());
    return true;
}

std::optional<bool> ScreenshotWatcher::isBeingWritten(const QString& path) const
{
    const QFileInfo info(path);
    if (!m_dirSource || !m_dirSource->isAlive() || !inFolder(info))
        return std::nullopt;
    return m_dirSource->isBeingWritten(info.fileName());
}
