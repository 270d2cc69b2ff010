#pragma once

#include "vision/TextRecognizer.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>

#include <atomic>
#include <stdexcept>

// Answers every recognition with the lines or the failure a test planted. A test that needs a
// recognition to stay in flight sets `hold` and later releases `gate`.
class FakeTextRecognizer final : public TextRecognizer {
public:
    TextRecognition recognize(const QImage& image) override
    {
        ++calls;
        if (hold)
            gate.acquire();
        QMutexLocker locker(&lock);
        lastSize = image.size();
        if (!thrown.isEmpty())
            throw std::runtime_error(thrown.toStdString());
        return answer;
    }

    // Every recognition throws this instead of answering.
    void throwWith(const QString& what)
    {
        QMutexLocker locker(&lock);
        thrown = what;
    }

    void answerWith(QList<RecognizedLine> lines)
    {
        QMutexLocker locker(&lock);
        answer = { true, {}, std::move(lines) };
    }
    void failWith(const QString& why)
    {
        QMutexLocker locker(&lock);
        answer = TextRecognition::failure(why);
    }

    std::atomic<int> calls { 0 };
    std::atomic<bool> hold { false };
    QSemaphore gate;
    QSize lastSize;

private:
    QMutex lock;
    TextRecognition answer;
    QString thrown;
};
