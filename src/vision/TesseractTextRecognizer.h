#pragma once

#include "vision/TextLineFinder.h"
#include "vision/TextRecognizer.h"

#include <QMutex>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

// Text recognition over libtesseract (LSTM engine, English model, dictionaries off). A page is
// cut into lines by `findTextLines`; the lines are recognised in parallel, one warm engine per
// worker, and merged back in reading order.
class TesseractTextRecognizer final : public TextRecognizer {
public:
    // `workers` threads besides the caller's (0: one per core, less the caller); `dataPath` is the
    // folder holding eng.traineddata (empty: Tesseract's own default or TESSDATA_PREFIX).
    explicit TesseractTextRecognizer(int workers = 0, QString dataPath = {});
    ~TesseractTextRecognizer() override;

    TextRecognition recognize(const QImage& image) override;
    void warmUp() override;
    // Frees the engines not in use; the next recognition loads them again.
    void releaseIdleEngines();

    // Runs body(i) for i in [0, n) on the workers and the calling thread. When an item throws,
    // the items not yet started are skipped and the first exception is rethrown to the caller
    // once every worker has stopped.
    void parallelFor(int n, const std::function<void(int)>& body);

    // Pages larger than this many pixels are scaled down first, so time and memory stay bounded.
    static constexpr qint64 kMaxPixels = 24'000'000;

private:
    using Engine = tesseract::TessBaseAPI;
    std::unique_ptr<Engine> acquire(QString* error);
    // The lines of a whole-page reading in strips, but those over `found`.
    QList<RecognizedLine> readWholePage(const QImage& page, const QList<TextLineBox>& found);
    void release(std::unique_ptr<Engine> engine);

    QString m_dataPath;
    QThreadPool m_pool;
    QMutex m_lock;
    std::vector<std::unique_ptr<Engine>> m_idle;
};
