#include "capture/CaptureManager.h"

#include "capture/ScreenshotWatcher.h"
#include "core/Async.h"
#include "core/Log.h"
#include "core/SerialExecutor.h"
#include "image/ImageFile.h"
#include "image/PngEncoder.h"
#include "platform/Pasteboard.h"
#include "platform/RoadTrace.h"
#include "platform/SystemScreenshotTool.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QImage previewOf(const QImage& full)
{
    const int side = CaptureManager::previewSide;
    return full.width() > side || full.height() > side ? full.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                                       : full;
}

}

CaptureManager::CaptureManager(ScreenshotSettings& screenshotSettings, Pasteboard& pasteboard, QObject* parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_watcher(new ScreenshotWatcher(screenshotSettings, this))
    , m_reader(std::make_unique<SerialExecutor>())
    , m_skippedReader(std::make_unique<SerialExecutor>())
{
    // Behind the newest shot's own road, never ahead of it.
    m_skippedReader->pool()->setThreadPriority(QThread::LowPriority);
    connect(m_watcher, &ScreenshotWatcher::newScreenshot, this, [this](const QString& path) { loadScreenshot(path); });
    connect(m_watcher, &ScreenshotWatcher::desktopPermissionDeniedChanged, this, [this](bool denied) {
        if (m_desktopPermissionDenied == denied)
            return;
        m_desktopPermissionDenied = denied;
        Q_EMIT desktopPermissionDeniedChanged();
    });
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, &CaptureManager::pump);
}

// The reader thread finishes what it is doing before the members it reports to go.
CaptureManager::~CaptureManager()
{
    m_reader->waitForDone();
    m_skippedReader->waitForDone();
}

void CaptureManager::loadScreenshot(const QString& path)
{
    // Already on its way: a file waited for is read again when it changes, and one being read is
    // looked at again once the read is done.
    if ((m_decoding && m_decodingPath == path) || (m_waiting && m_waiting->path == path))
        return;
    // Reported again, but as it was when it was handled (a listing that saw it while written).
    if (const auto handled = m_handled.constFind(path); handled != m_handled.cend() && *handled == FileStamp::of(path))
        return;
    traceRoad("detected");
    if (m_waiting)
        supersede(*m_waiting);
    Load load;
    load.path = path;
    load.reportedMs = nowMs();
    load.arrival = ++m_arrivals;
    m_waiting = std::move(load);
    pump();
}

void CaptureManager::supersede(const Load& load)
{
    logLine(QStringLiteral("skipping %1: a newer screenshot arrived before it was read").arg(load.path));
    keepSkipped({ load.path, load.reportedMs, load.arrival });
}

void CaptureManager::pump()
{
    if (m_decoding)
        return;
    if (!m_waiting) {
        m_poll.stop();
        return;
    }
    Load& load = *m_waiting;
    if (!load.tried) {
        startDecode(std::exchange(m_waiting, std::nullopt).value());
        return;
    }
    const qint64 now = nowMs();
    const FileStamp stamp = FileStamp::of(load.path);
    if (stamp != load.seen) {
        load.seen = stamp;
        load.seenSinceMs = now;
    }
    const qint64 still = now - load.seenSinceMs;
    if (stamp != *load.tried && still >= settleMs && stamp.exists()) {
        startDecode(std::exchange(m_waiting, std::nullopt).value());
        return;
    }
    // Gone, or no longer written and still no whole image: said. An empty file holds nothing to
    // call broken, and may yet be filled.
    bool tell = !stamp.exists() && still >= stillMs;
    if (!tell && stamp == *load.tried && stamp.size > 0 && still >= stillMs) {
        const std::optional<bool> writing = m_watcher->isBeingWritten(load.path);
        tell = writing ? !*writing : still >= maxWaitMs;
    }
    // Kept open, or written on and on: no longer looked at until the watcher reports a change.
    const bool leaveIt = still >= maxWaitMs || (now - load.reportedMs >= maxWaitMs && still < stillMs);
    if (tell || leaveIt) {
        const Load ended = *std::exchange(m_waiting, std::nullopt);
        if (tell)
            giveUp(ended);
        else
            leave(ended);
        pump();
        return;
    }
    if (!m_poll.isActive())
        m_poll.start();
}

void CaptureManager::startDecode(Load load)
{
    m_decoding = true;
    m_decodingPath = load.path;
    struct Read {
        ImageFile::Result result;
        FileStamp stamp;
    };
    runInBackground(
        m_reader->pool(), this,
        [path = load.path] {
            // Taken before the read: a change during it shows as a change afterwards.
            const FileStamp stamp = FileStamp::of(path);
            return Read { ImageFile::read(path, ImageFile::Links::refuse), stamp };
        },
        [this, load](Read read) mutable { finishDecode(std::move(load), std::move(read.result), read.stamp); });
}

void CaptureManager::finishDecode(Load load, ImageFile::Result result, const FileStamp& read)
{
    m_decoding = false;
    m_decodingPath.clear();
    // What was read is stale when the file was replaced or written again meanwhile; a file
    // deleted after it was read whole was not replaced.
    const FileStamp now = FileStamp::of(load.path);
    if (result.ok() && (now == read || !now.exists())) {
        const CapturedShot shot = CapturedShot::make(std::move(result.image), load.path);
        result.image = QImage();
        remember(load.path, read);
        traceRoad("loaded");
        insertRecent(shot, load.arrival);
        Q_EMIT didCapture(shot);
    } else if (result.permanent && now == read) {
        remember(load.path, read);
        fail(load.path, result.error);
    } else if (m_waiting) {
        supersede(load);
    } else {
        // Not a whole image yet, or replaced or written again since the read began (what was read
        // is stale): wait for the file to rest, then read it again.
        if (!result.ok())
            load.error = result.error;
        if (!load.tried || now != load.seen)
            load.seenSinceMs = nowMs();
        load.tried = read;
        load.seen = now;
        m_waiting = std::move(load);
    }
    pump();
}

void CaptureManager::giveUp(const Load& load)
{
    if (!load.seen.exists()) {
        // Deleted or moved away before it could be read: nothing to tell.
        logLine(QStringLiteral("%1 went away before it could be read").arg(load.path));
        return;
    }
    remember(load.path, load.seen);
    fail(load.path, load.error);
}

void CaptureManager::leave(const Load& load)
{
    // Still written, or kept open by its writer: it may yet grow, so nothing is said. The watcher
    // reports it again once its writer is done with it.
    remember(load.path, load.seen);
    logLine(QStringLiteral("%1 is not a whole image yet (%2) and still changing or open for writing; it is read again "
                           "when it changes")
                .arg(load.path, load.error.isEmpty() ? QStringLiteral("it changed while it was read") : load.error));
}

void CaptureManager::fail(const QString& path, const QString& reason)
{
    logLine(QStringLiteral("Couldn't open %1: %2").arg(path, reason));
    Q_EMIT failed(tr("Couldn't open %1: %2").arg(fileName(path), reason));
}

void CaptureManager::remember(const QString& path, const FileStamp& stamp)
{
    if (m_handled.contains(path))
        m_handledOrder.removeOne(path);
    m_handled.insert(path, stamp);
    m_handledOrder.append(path);
    while (m_handledOrder.size() > maxHandled)
        m_handled.remove(m_handledOrder.takeFirst());
}

void CaptureManager::acceptCapturedFile(const QString& path)
{
    if (m_watcher->claim(path))
        loadScreenshot(path);
}

void CaptureManager::takeCapturesFrom(SystemScreenshotTool& tool)
{
    connect(&tool, &SystemScreenshotTool::captured, this, &CaptureManager::acceptCapturedFile);
    connect(&tool, &SystemScreenshotTool::noAnswer, this, [this] {
        QString folder = QDir::toNativeSeparators(m_watcher->directory());
        const QString home = QDir::homePath();
        if (folder.startsWith(home + QLatin1Char('/')))
            folder.replace(0, home.size(), QStringLiteral("~"));
        Q_EMIT failed(tr("No screenshot tool answered. Use your desktop's screenshot key; Lumaforge styles every "
                         "shot saved to %1.")
                .arg(folder));
    });
}

CapturedShot* CaptureManager::findRecent(const QUuid& id)
{
    const auto it = std::find_if(m_recents.begin(), m_recents.end(), [&](const CapturedShot& s) { return s.id == id; });
    return it == m_recents.end() ? nullptr : &*it;
}

void CaptureManager::trimRecents()
{
    while (m_recents.size() > maxRecents) {
        const QUuid id = m_recents.constLast().id;
        m_compressed.remove(id);
        m_reduced.remove(id);
        m_arrivalOf.remove(id);
        m_recents.removeLast();
    }
}

void CaptureManager::addRecent(const CapturedShot& shot)
{
    insertRecent(shot, ++m_arrivals);
}

void CaptureManager::insertRecent(const CapturedShot& shot, qint64 arrival)
{
    // Newest first: after every shot that arrived later (a skipped shot's reading may finish
    // after the newer shots' own).
    qsizetype index = 0;
    while (index < m_recents.size() && m_arrivalOf.value(m_recents.at(index).id) > arrival)
        ++index;
    if (index >= maxRecents)
        return; // older than all twelve
    m_recents.insert(index, shot);
    m_arrivalOf.insert(shot.id, arrival);
    trimRecents();
    Q_EMIT recentsChanged();
    if (!shot.filePath.isEmpty()) {
        // The file keeps the full shot: only a preview stays in memory, made at once.
        reduceRecent(shot.id);
        return;
    }
    // Twelve decoded shots would hold a quarter of a gigabyte all day: keep a preview for the
    // popover and the full shot compressed (a tenth of the size or less). Done once the new
    // shot's own road is over, so the two never compete for the cores.
    QTimer::singleShot(compressDelayMs, this, [this, id = shot.id] { compressRecent(id); });
}

void CaptureManager::keepSkipped(const Skipped& skipped)
{
    m_skipped.append(skipped);
    // Twelve newer shots push an older one out of the recent shots anyway.
    if (m_skipped.size() > maxRecents)
        m_skipped.removeFirst();
    readSkipped();
}

void CaptureManager::readSkipped()
{
    if (m_readingSkipped || m_skipped.isEmpty())
        return;
    m_readingSkipped = true;
    const Skipped next = m_skipped.takeLast();
    struct Preview {
        FileStamp stamp;
        ImageFile::Result result;
        bool reduced = false;
    };
    runInBackground(
        m_skippedReader->pool(), this,
        [path = next.path] {
            // Taken before the read, as for the newest shot.
            Preview preview { FileStamp::of(path), {} };
            preview.result = ImageFile::read(path, ImageFile::Links::refuse);
            if (preview.result.ok()) {
                QImage small = previewOf(preview.result.image);
                preview.reduced = small.size() != preview.result.image.size();
                preview.result.image = std::move(small);
            }
            return preview;
        },
        [this, next](Preview preview) {
            m_readingSkipped = false;
            if (preview.result.ok()) {
                const CapturedShot shot = CapturedShot::make(std::move(preview.result.image), next.path);
                // Taken in: reported again as it was, it is not presented after all.
                remember(next.path, preview.stamp);
                insertRecent(shot, next.arrival);
                // Its file keeps the full shot; opening it reads that back.
                if (preview.reduced && findRecent(shot.id))
                    m_reduced.insert(shot.id);
            } else if (!preview.result.permanent && nowMs() - next.reportedMs < maxWaitMs) {
                // Still being written (the newer shot came while it was): read again once it
                // may be whole, as long as a reported file is waited for.
                QTimer::singleShot(skippedRetryMs, this, [this, next] { keepSkipped(next); });
            } else {
                // Its panel was skipped already: a newer shot is on the way or shown.
                logLine(QStringLiteral("Couldn't add %1 to the recent shots: %2").arg(next.path, preview.result.error));
            }
            readSkipped();
        });
}

void CaptureManager::reduceRecent(const QUuid& id)
{
    const CapturedShot* recent = findRecent(id);
    if (!recent || (recent->image.width() <= previewSide && recent->image.height() <= previewSide))
        return;
    runInBackground(QThreadPool::globalInstance(), this, [full = recent->image] { return previewOf(full); },
        [this, id](QImage preview) {
            CapturedShot* recent = findRecent(id);
            if (!recent || preview.isNull())
                return;
            recent->image = std::move(preview);
            m_reduced.insert(id);
            Q_EMIT recentsChanged();
        });
}

void CaptureManager::compressRecent(const QUuid& id)
{
    const CapturedShot* recent = findRecent(id);
    if (!recent || m_reduced.contains(id) || recent->image.isNull())
        return;
    struct Stored {
        QImage preview;
        QByteArray png;
    };
    runInBackground(
        QThreadPool::globalInstance(), this,
        [full = recent->image] { return Stored { previewOf(full), PngEncoder::encode(full) }; },
        [this, id](Stored stored) {
            // Gone from the recents meanwhile, or not encodable: keep what there is.
            CapturedShot* recent = findRecent(id);
            if (!recent || stored.png.isEmpty())
                return;
            if (stored.preview.size() != recent->image.size()) {
                m_compressed.insert(id, stored.png);
                m_reduced.insert(id);
                recent->image = stored.preview;
                Q_EMIT recentsChanged();
            }
        });
}

void CaptureManager::openRecent(const CapturedShot& given, QObject* context, std::function<void(const CapturedShot&)> done)
{
    const CapturedShot* recent = findRecent(given.id);
    if (!recent || !m_reduced.contains(given.id)) {
        // A copy: what `done` does may change the recent shots.
        const CapturedShot shot = recent ? *recent : given;
        done(shot);
        return;
    }
    const CapturedShot preview = *recent;
    const QByteArray png = m_compressed.value(preview.id);
    QPointer<QObject> guard(context);
    runInBackground(
        m_reader->pool(), this,
        [preview, png] {
            return png.isEmpty() ? ImageFile::read(preview.filePath) : ImageFile::decode(png, "png");
        },
        [this, preview, guard, done = std::move(done)](ImageFile::Result result) {
            if (!result.ok()) {
                const QString name = preview.filePath.isEmpty() ? shotFileName(preview) : preview.filePath;
                logLine(QStringLiteral("Couldn't open %1: %2").arg(name, result.error));
                Q_EMIT failed(tr("Couldn't open %1: %2").arg(shotFileName(preview), result.error));
                return;
            }
            if (!guard)
                return;
            CapturedShot full = preview;
            full.image = std::move(result.image);
            done(full);
        });
}

void CaptureManager::pasteFromClipboard()
{
    if (m_pasting)
        return;
    m_pasting = true;
    m_pasteboard.readImageLater(this, [this](Pasteboard::Read read) {
        m_pasting = false;
        const QImage& image = read.image;
        if (image.isNull()) {
            Q_EMIT failed(read.failure.isEmpty() ? tr("No image on the clipboard") : read.failure);
            return;
        }
        if (qint64(image.width()) * image.height() > ImageFile::maxPixels) {
            logLine(QStringLiteral("the clipboard's image is %1 x %2 pixels: too large").arg(image.width()).arg(image.height()));
            Q_EMIT failed(tr("Couldn't open the clipboard's image: it is %1 × %2 pixels, more than the %3 megapixels "
                             "Lumaforge opens")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(ImageFile::maxPixels / 1000000));
            return;
        }
        const CapturedShot shot = CapturedShot::make(image);
        addRecent(shot);
        Q_EMIT didImport(shot);
    });
}

void CaptureManager::importFromFile()
{
    auto* dialog = new QFileDialog(nullptr, tr("Open Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QByteArray& format : ImageFile::readableSuffixes())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    dialog->setNameFilter(tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) { importFile(path); });
    // Brought to the front even when asked for from the tray.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void CaptureManager::importFile(const QString& path)
{
    runInBackground(m_reader->pool(), this, [path] { return ImageFile::read(path); },
        [this, path](ImageFile::Result result) {
            if (!result.ok()) {
                fail(path, result.error);
                return;
            }
            const CapturedShot shot = CapturedShot::make(std::move(result.image), path);
            addRecent(shot);
            Q_EMIT didImport(shot);
        });
}

void CaptureManager::sendImport(const CapturedShot& shot)
{
    Q_EMIT didImport(shot);
}
