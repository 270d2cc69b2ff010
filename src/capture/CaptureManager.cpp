#include "capture/CaptureManager.h"

#include "platform/RoadTrace.h"

#include "capture/ScreenshotWatcher.h"
#include "platform/ImageFile.h"
#include "platform/Log.h"
#include "platform/Async.h"
#include "platform/Pasteboard.h"
#include "platform/PngEncoder.h"
#include "platform/SystemScreenshotTool.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QTimer>
#include <QUrl>

#include <algorithm>

CaptureManager::CaptureManager(ScreenshotSettings& screenshotSettings, Pasteboard& pasteboard, QObject* parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_watcher(new ScreenshotWatcher(screenshotSettings, this))
{
    connect(m_watcher, &ScreenshotWatcher::newScreenshot, this, [this](const QString& path) { loadScreenshot(path); });
    connect(m_watcher, &ScreenshotWatcher::desktopPermissionDeniedChanged, this, [this](bool denied) {
        if (m_desktopPermissionDenied == denied)
            return;
        m_desktopPermissionDenied = denied;
        Q_EMIT desktopPermissionDeniedChanged();
    });
}

CaptureManager::~CaptureManager() = default;

void CaptureManager::loadScreenshot(const QString& path, int retriesLeft)
{
    traceRoad("detected");
    attemptLoad(path, retriesLeft, {}, QDateTime::currentMSecsSinceEpoch());
}

void CaptureManager::attemptLoad(const QString& path, int retriesLeft, FileStamp previous, qint64 firstAttemptMs)
{
    const ImageFile::Result result = ImageFile::read(path, ImageFile::Links::refuse);
    if (result.ok()) {
        const CapturedShot shot = CapturedShot::make(result.image, path);
        traceRoad("loaded");
        addRecent(shot);
        Q_EMIT didCapture(shot);
        return;
    }
    const QString described = QUrl::fromLocalFile(path).toString();
    if (result.permanent) {
        logLine(QStringLiteral("Failed to load screenshot at %1: %2").arg(described, result.error));
        return;
    }
    // A slow writer (a large shot being encoded) may need longer than the retries last: an
    // attempt that finds the file still growing does not count, up to a bound.
    const QFileInfo info(path);
    const FileStamp stamp { info.exists() ? info.size() : -1,
        info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1 };
    const bool growing = previous.size >= 0 && stamp != previous
        && QDateTime::currentMSecsSinceEpoch() - firstAttemptMs < maxGrowingWaitMs;
    const int nextRetries = growing ? retriesLeft : retriesLeft - 1;
    if (retriesLeft < 1 && !growing) {
        logLine(QStringLiteral("Failed to load screenshot at %1 after retries (%2)").arg(described, result.error));
        return;
    }
    QTimer::singleShot(retryDelayMs, this, [this, path, nextRetries, stamp, firstAttemptMs] {
        attemptLoad(path, nextRetries, stamp, firstAttemptMs);
    });
}

void CaptureManager::acceptCapturedFile(const QString& path)
{
    if (m_watcher->claim(path))
        loadScreenshot(path);
}

void CaptureManager::takeCapturesFrom(SystemScreenshotTool& tool)
{
    connect(&tool, &SystemScreenshotTool::captured, this, &CaptureManager::acceptCapturedFile);
}

void CaptureManager::addRecent(const CapturedShot& shot)
{
    m_recents.prepend(shot);
    m_fullImages.insert(shot.id, shot.image);
    while (m_recents.size() > maxRecents) {
        m_fullImages.remove(m_recents.constLast().id);
        m_compressed.remove(m_recents.constLast().id);
        m_recents.removeLast();
    }
    Q_EMIT recentsChanged();
    // Twelve decoded shots would hold a quarter of a gigabyte all day: keep a preview for the
    // popover and the full shot compressed (a tenth of the size or less). Done once the new
    // shot's own road is over, so the two never compete for the cores.
    QTimer::singleShot(compressDelayMs, this, [this, id = shot.id] { compressRecent(id); });
}

void CaptureManager::compressRecent(const QUuid& id)
{
    const QImage full = m_fullImages.value(id);
    if (full.isNull())
        return;
    struct Stored {
        QImage preview;
        QByteArray png;
    };
    runInBackground(
        QThreadPool::globalInstance(), this,
        [full] {
            const bool large = full.width() > previewSide || full.height() > previewSide;
            return Stored { large ? full.scaled(previewSide, previewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                  : full,
                PngEncoder::encode(full) };
        },
        [this, id](Stored stored) {
            // Gone from the recents meanwhile, or not encodable: keep what there is.
            const auto recent = std::find_if(m_recents.begin(), m_recents.end(), [&](const CapturedShot& s) { return s.id == id; });
            if (recent == m_recents.end() || stored.png.isEmpty())
                return;
            m_compressed.insert(id, stored.png);
            m_fullImages.remove(id);
            recent->image = stored.preview;
            Q_EMIT recentsChanged();
        });
}

CapturedShot CaptureManager::recentShot(const CapturedShot& preview) const
{
    CapturedShot shot = preview;
    if (const auto full = m_fullImages.constFind(preview.id); full != m_fullImages.constEnd()) {
        shot.image = *full;
    } else if (const auto png = m_compressed.constFind(preview.id); png != m_compressed.constEnd()) {
        const ImageFile::Result decoded = ImageFile::decode(*png, "png");
        if (decoded.ok())
            shot.image = decoded.image;
        else
            logLine(QStringLiteral("cannot restore a recent shot: %1").arg(decoded.error));
    }
    return shot;
}

bool CaptureManager::pasteFromClipboard()
{
    const QImage image = m_pasteboard.readImage();
    if (image.isNull())
        return false;
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

bool CaptureManager::importFile(const QString& path)
{
    const ImageFile::Result result = ImageFile::read(path);
    if (!result.ok()) {
        logLine(QStringLiteral("cannot import %1: %2").arg(path, result.error));
        return false;
    }
    const CapturedShot shot = CapturedShot::make(result.image, path);
    addRecent(shot);
    Q_EMIT didImport(shot);
    return true;
}

void CaptureManager::sendImport(const CapturedShot& shot)
{
    Q_EMIT didImport(shot);
}
