#pragma once

#include "vision/TextLineFinder.h"
#include "vision/TextRecognizer.h"

#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <optional>
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
    // Loads engines until there is one per worker and the caller; blocks until they are loaded.
    void warmUp() override;
    // Starts loading that many engines (counting those that exist) and returns at once. A
    // recognition that finds no free engine meanwhile waits for one being loaded rather than
    // loading yet another.
    void warmUpInBackground(int engines = 0) override;
    // Frees the engines not in use; the next recognition loads them again.
    void releaseIdleEngines();
    void releaseSpareEngines() override;
    // Engines alive: free, in use or being loaded.
    int engineCount() const;

    // Runs body(i) for i in [0, n) on the workers and the calling thread. When an item throws,
    // the items not yet started are skipped and the first exception is rethrown to the caller
    // once every worker has stopped.
    void parallelFor(int n, const std::function<void(int)>& body);

    // Pages larger than this many pixels are scaled down first, so time and memory stay bounded.
    static constexpr qint64 kMaxPixels = 24'000'000;

private:
    using Engine = tesseract::TessBaseAPI;
    std::unique_ptr<Engine> acquire(QString* error);
    // The lines of a whole-page reading in strips, but those over `found`; none, with `why`, when
    // a strip could not be read.
    std::optional<QList<RecognizedLine>> readWholePage(const QImage& page, const QList<TextLineBox>& found, QString* why);
    void release(std::unique_ptr<Engine> engine);

    QString m_dataPath;
    std::unique_ptr<Engine> createEngine(QString* error) const;
    int wantedEngines() const { return m_pool.maxThreadCount() + 1; }

    QThreadPool m_pool;
    // Loads engines and nothing else, with a thread for each, so whoever waits for a load in
    // progress never waits for work still queued.
    QThreadPool m_loaders;
    mutable QMutex m_lock;
    QWaitCondition m_engineLoaded;
    std::vector<std::unique_ptr<Engine>> m_idle;
    int m_engines = 0; // alive: idle, in use or being loaded
    int m_loading = 0;
};
