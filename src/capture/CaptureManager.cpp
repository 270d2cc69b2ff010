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
#include <QFileSystemWatcher>
#include <QImageReader>
#include <QPointer>

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
    , m_failures(new QFileSystemWatcher(this))
{
    connect(m_watcher, &ScreenshotWatcher::newScreenshot, this, [this](const QString& path) { loadScreenshot(path); });
    connect(m_watcher, &ScreenshotWatcher::desktopPermissionDeniedChanged, this, [this](bool denied) {
        if (m_desktopPermissionDenied == denied)
            return;
        m_desktopPermissionDenied = denied;
        Q_EMIT desktopPermissionDeniedChanged();
    });
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, &CaptureManager::pump);
    // A file given up on that changes later (written again, or finished at last) is tried again.
    connect(m_failures, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        m_failures->removePath(path);
        m_failureOrder.removeAll(path);
        if (QFileInfo::exists(path))
            loadScreenshot(path);
    });
}

// The reader thread finishes what it is doing before the members it reports to go.
CaptureManager::~CaptureManager()
{
    m_reader->waitForDone();
}

CaptureManager::FileStamp CaptureManager::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return { info.size(), info.lastModified().toMSecsSinceEpoch() };
}

void CaptureManager::loadScreenshot(const QString& path)
{
    traceRoad("detected");
    if ((m_decoding && m_decodingPath == path) || (m_waiting && m_waiting->path == path))
        return;
    if (m_waiting)
        supersede(*m_waiting);
    Load load;
    load.path = path;
    load.reportedMs = nowMs();
    m_waiting = std::move(load);
    pump();
}

void CaptureManager::supersede(const Load& load)
{
    logLine(QStringLiteral("skipping %1: a newer screenshot arrived before it was read").arg(load.path));
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
    const FileStamp stamp = stampOf(load.path);
    if (stamp != load.seen) {
        load.seen = stamp;
        load.seenSinceMs = now;
    }
    const qint64 still = now - load.seenSinceMs;
    if (stamp != *load.tried && still >= settleMs && stamp.size >= 0) {
        startDecode(std::exchange(m_waiting, std::nullopt).value());
        return;
    }
    if ((stamp == *load.tried && still >= stillMs) || now - load.reportedMs >= maxWaitMs) {
        const Load given = *m_waiting;
        m_waiting.reset();
        giveUp(given);
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
            const FileStamp stamp = stampOf(path);
            return Read { ImageFile::read(path, ImageFile::Links::refuse), stamp };
        },
        [this, load](Read read) mutable {
            m_decoding = false;
            m_decodingPath.clear();
            if (read.result.ok()) {
                const CapturedShot shot = CapturedShot::make(std::move(read.result.image), load.path);
                read.result.image = QImage();
                traceRoad("loaded");
                addRecent(shot);
                Q_EMIT didCapture(shot);
            } else if (read.result.permanent) {
                fail(load.path, read.result.error);
                watchFailure(load.path);
            } else if (m_waiting) {
                supersede(load);
            } else {
                // Not a whole image yet: wait for the writer.
                load.error = read.result.error;
                if (!load.tried || read.stamp != load.seen)
                    load.seenSinceMs = nowMs();
                load.tried = read.stamp;
                load.seen = read.stamp;
                m_waiting = std::move(load);
            }
            pump();
        });
}

void CaptureManager::giveUp(const Load& load)
{
    if (load.seen.size < 0) {
        // Deleted or moved away before it could be read: nothing to tell.
        logLine(QStringLiteral("%1 went away before it could be read").arg(load.path));
        return;
    }
    fail(load.path, load.error);
    watchFailure(load.path);
}

void CaptureManager::fail(const QString& path, const QString& reason)
{
    logLine(QStringLiteral("Couldn't open %1: %2").arg(path, reason));
    Q_EMIT failed(tr("Couldn't open %1: %2").arg(fileName(path), reason));
}

void CaptureManager::watchFailure(const QString& path)
{
    if (m_failureOrder.contains(path) || !m_failures->addPath(path))
        return;
    m_failureOrder.append(path);
    while (m_failureOrder.size() > maxWatchedFailures)
        m_failures->removePath(m_failureOrder.takeFirst());
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

void CaptureManager::addRecent(const CapturedShot& shot)
{
    m_recents.prepend(shot);
    while (m_recents.size() > maxRecents) {
        m_compressed.remove(m_recents.constLast().id);
        m_reduced.remove(m_recents.constLast().id);
        m_recents.removeLast();
    }
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

bool CaptureManager::pasteFromClipboard()
{
    const QImage image = m_pasteboard.readImage();
    if (image.isNull())
        return false;
    if (qint64(image.width()) * image.height() > ImageFile::maxPixels) {
        logLine(QStringLiteral("the clipboard's image is %1 x %2 pixels: too large").arg(image.width()).arg(image.height()));
        Q_EMIT failed(tr("Couldn't open the clipboard's image: it is %1 × %2 pixels, more than the %3 megapixels "
                         "Lumaforge opens")
                .arg(image.width())
                .arg(image.height())
                .arg(ImageFile::maxPixels / 1000000));
        return true;
    }
    const CapturedShot shot = CapturedShot::make(image);
    addRecent(shot);
    Q_EMIT didImport(shot);
    return true;
}

void CaptureManager::importFromFile()
{
    auto* dialog = new QFileDialog(nullptr, tr("Open Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
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
