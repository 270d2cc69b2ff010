#pragma once

#include "fakes/FakeLoginItem.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenGeometry.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "notch/NotchController.h"

#include <QDir>
#include <QMutex>
#include <QFile>
#include <QMutex>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>

// A shot of one colour, so images can be told apart by a pixel.
inline QImage solidImage(const QSize& size, const QColor& color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

inline std::shared_ptr<NotchSession> makeSession(const QImage& raw, const QImage& styled,
    const QString& key = QStringLiteral("auto"), std::optional<RedactionSummary> summary = std::nullopt)
{
    auto session = std::make_shared<NotchSession>();
    session->rawImage = raw;
    session->styledImage = styled;
    session->redactionSummary = summary;
    session->renderCache.insert(key, styled);
    session->currentStyleKey = key;
    return session;
}

// Drag files in a folder of the test's own, written as PNGs; a write can be made slow to
// expose ordering, or made to fail.
class RecordingDragFiles {
public:
    RecordingDragFiles() = default;

    DragFileStore store()
    {
        return { [this](const EncodedImage& encoded, const std::optional<QString>& destination,
                     FileWriteFailure*) -> std::optional<QString> {
                    const QImage& image = encoded.image();
                    {
                        QMutexLocker locker(&m_lock);
                        m_lastPng = encoded.png();
                    }
                    const int n = ++m_writes;
                    if (n == slowWrite)
                        QThread::msleep(150);
                    if (failWrites)
                        return std::nullopt;
                    const QString path = destination ? *destination : m_dir.filePath(QStringLiteral("drag-%1.png").arg(n));
                    if (!image.save(path, "PNG"))
                        return std::nullopt;
                    return path;
                },
            [this](const QString& path) {
                QFile::remove(path);
                ++removes;
            } };
    }

    int writes() const { return m_writes; }
    // The PNG bytes the last write was handed.
    QByteArray lastPng() const
    {
        QMutexLocker locker(&m_lock);
        return m_lastPng;
    }
    // Files in the folder now.
    QStringList files() const { return QDir(m_dir.path()).entryList({ QStringLiteral("*.png") }, QDir::Files); }
    QColor colorOf(const QString& path) const { return QImage(path).pixelColor(0, 0); }

    std::atomic<int> slowWrite { 0 }; // the n-th write (1-based) sleeps first
    std::atomic<bool> failWrites { false };
    int removes = 0;

private:
    QTemporaryDir m_dir;
    std::atomic<int> m_writes { 0 };
    mutable QMutex m_lock;
    QByteArray m_lastPng;
};

// Records renders and settings; renders a solid image of `renderColor`, or fails.
struct RecordingStyling {
    QList<BackgroundPreset> rendered; // the background of each render asked for
    QList<BeautifySettings> applied;
    QColor renderColor = Qt::green;
    bool fail = false;

    NotchStyling styling()
    {
        return { [this](NotchSession&, const BeautifySettings& settings) { applied.append(settings); },
            [this](const NotchSession&, const BeautifySettings& settings) {
                rendered.append(settings.background);
                return fail ? QImage() : solidImage(QSize(40, 30), renderColor);
            } };
    }
};

// A controller over fakes.
struct NotchRig {
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    QTemporaryDir dir;
    std::unique_ptr<Preferences> prefs;
    std::unique_ptr<PresetStore> presets;
    FakePasteboard pasteboard;
    FakeScreenGeometry screens;
    RecordingDragFiles files;
    RecordingStyling styling;
    QList<QUrl> openedURLs;
    bool browserOpens = true;
    QStringList toasts;
    QStringList failureToasts;
    QList<std::shared_ptr<EditorDocument>> opened;
    int openedCount = 0;
    std::unique_ptr<NotchController> controller;

    NotchRig()
    {
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, dir.filePath(QStringLiteral("logo.png")));
        presets = std::make_unique<PresetStore>(settings);
        NotchHandlers handlers;
        handlers.openURL = [this](const QUrl& url) {
            openedURLs.append(url);
            return browserOpens;
        };
        handlers.showToast = [this](const QString& message) { toasts.append(message); };
        handlers.showFailureToast = [this](const QString& message) { failureToasts.append(message); };
        handlers.openInEditor = [this](std::shared_ptr<EditorDocument> document) {
            opened.append(document);
            ++openedCount;
        };
        controller = std::make_unique<NotchController>(
            *prefs, *presets, pasteboard, screens, styling.styling(), files.store(), handlers);
    }
    ~NotchRig()
    {
        controller->waitForFileWrites();
        controller.reset();
    }
};
