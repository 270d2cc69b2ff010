#include "vision/TextRecognizer.h"

#include "vision/TesseractTextRecognizer.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

#include <optional>

TextRecognizer::~TextRecognizer() = default;

void TextRecognizer::warmUp() { }

void TextRecognizer::releaseSpareEngines() { }

void TextRecognizer::warmUpInBackground(int) { }

namespace {
TesseractTextRecognizer* sharedRecognizer = nullptr;
}

TextRecognizer& TextRecognizer::shared()
{
    // Never destroyed, as detections may still be running while the process exits; its idle
    // engines go with the application object, before Tesseract's own caches.
    static const bool created = [] {
        sharedRecognizer = new TesseractTextRecognizer;
        qAddPostRoutine([] { sharedRecognizer->releaseIdleEngines(); });
        return true;
    }();
    Q_UNUSED(created);
    return *sharedRecognizer;
}

void TextRecognizer::warmUpSharedInBackground()
{
    // Constructing it here, on the caller's thread, sets the numeric locale before any other
    // thread reads it.
    shared().warmUpInBackground(1);
}

namespace {
QMutex failureLock;
std::optional<QString> lastFailureLogged;
}

void logRecognitionFailure(const QString& why)
{
    {
        QMutexLocker locker(&failureLock);
        if (lastFailureLogged == why)
            return;
        lastFailureLogged = why;
    }
    logLine(QStringLiteral("text recognition failed: ") + why);
}

void noteRecognitionSucceeded()
{
    QMutexLocker locker(&failureLock);
    lastFailureLogged.reset();
}
