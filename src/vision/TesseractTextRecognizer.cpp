#include "vision/TesseractTextRecognizer.h"

#include "core/ParallelFor.h"

#include "vision/ConfusedCharacters.h"
#include "vision/DoubtfulReadings.h"
#include "vision/EdgeInk.h"
#include "vision/GlyphConsensus.h"
#include "vision/Grain.h"
#include "vision/LineImage.h"
#include "vision/RecognitionPage.h"
#include "vision/SymbolLines.h"
#include "vision/TextLineFinder.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <dlfcn.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Tesseract reads glyphs best at about this height in pixels.
constexpr int kTargetGlyphHeight = 40;
constexpr int kLinePadding = 10;
// Lines are enlarged at most this much; tiny text (glyphs under kTinyGlyphHeight pixels) is read
// a second time enlarged up to kTinyMaxScale.
constexpr double kMaxScale = 4.0, kTinyMaxScale = 6.0;
constexpr int kTinyGlyphHeight = 8;
// Past this share of steep steps outside the found lines, the whole page is read as well.
constexpr double kUnexplainedEdges = 0.01;
// The engine refuses images wider or taller than this.
constexpr int kMaxEngineSide = 32767;

// Tesseract parallelises each line over OpenMP threads. We already run one line per core, and
// its threads only fight ours (four times slower here), so its parallel regions run on the
// calling thread. The setting belongs to each thread; it is looked up at run time because
// Tesseract may be built without OpenMP.
void keepOpenMpSerial()
{
    using SetLevels = void (*)(int);
    static const auto set = reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    thread_local bool done = false;
    if (set && !done) {
        set(0);
        done = true;
    }
}

// Nothing but blanks, or no line at all.
bool readsNothing(const QList<RecognizedLine>& lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const RecognizedLine& l) { return l.text.trimmed().isEmpty(); });
}

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer(int workers, QString dataPath)
    : m_dataPath(std::move(dataPath))
{
    // Tesseract parses numbers with the C library and refuses other numeric locales.
    std::setlocale(LC_NUMERIC, "C");
    const int threads = workers > 0 ? workers : std::max(1, QThread::idealThreadCount() - 1);
    m_pool.setMaxThreadCount(threads);
    m_pool.setExpiryTimeout(-1);
    m_loaders.setMaxThreadCount(threads + 1);
}

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    m_loaders.waitForDone();
    m_pool.waitForDone();
}

std::unique_ptr<TesseractTextRecognizer::Engine> TesseractTextRecognizer::acquire(QString* error)
{
    {
        QMutexLocker locker(&m_lock);
        for (;;) {
            if (!m_idle.empty()) {
                auto engine = std::move(m_idle.back());
                m_idle.pop_back();
                return engine;
            }
            // An engine being loaded is ready sooner than a new one would be.
            if (m_loading == 0)
                break;
            m_engineLoaded.wait(&m_lock);
        }
        ++m_engines;
    }
    auto engine = createEngine(error);
    if (!engine) {
        QMutexLocker locker(&m_lock);
        --m_engines;
    }
    return engine;
}

std::unique_ptr<TesseractTextRecognizer::Engine> TesseractTextRecognizer::createEngine(QString* error) const
{
    // A model file that is plainly not there is reported as such, without asking Tesseract,
    // which would print its own complaint on every attempt.
    const QString folder = !m_dataPath.isEmpty() ? m_dataPath : qEnvironmentVariable("TESSDATA_PREFIX");
    if (!folder.isEmpty()) {
        const QString model = QDir(folder).filePath(QStringLiteral("eng.traineddata"));
        if (!QFileInfo(model).isFile()) {
            if (error)
                *error = QStringLiteral("the English model for Tesseract is missing: no file %1").arg(model);
            return nullptr;
        }
    }
    auto engine = std::make_unique<Engine>();
    // Dictionaries off: a screenshot's tokens are not words, and correcting them towards words
    // is what breaks addresses and keys.
    std::vector<std::string> names { "load_system_dawg", "load_freq_dawg" };
    std::vector<std::string> values { "0", "0" };
    const QByteArray path = m_dataPath.toLocal8Bit();
    if (engine->Init(m_dataPath.isEmpty() ? nullptr : path.constData(), "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0,
            &names, &values, false)
        != 0) {
        if (error)
            *error = QStringLiteral("Tesseract could not load its English model%1")
                         .arg(folder.isEmpty() ? QString() : QStringLiteral(" from ") + folder);
        return nullptr;
    }
    engine->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    // Lines arrive as dark text on white, so the inverted second reading would only cost time.
    engine->SetVariable("tessedit_do_invert", "0");
    // Blanks are placed from the pixels afterwards; the fixed-pitch search costs a twentieth of the
    // time and changes nothing we keep.
    engine->SetVariable("textord_disable_pitch_test", "1");
    return engine;
}

void TesseractTextRecognizer::release(std::unique_ptr<Engine> engine)
{
    if (!engine)
        return;
    QMutexLocker locker(&m_lock);
    m_idle.push_back(std::move(engine));
    m_engineLoaded.wakeAll();
}

int TesseractTextRecognizer::engineCount() const
{
    QMutexLocker locker(&m_lock);
    return m_engines;
}

void TesseractTextRecognizer::releaseSpareEngines()
{
    std::vector<std::unique_ptr<Engine>> spare;
    {
        QMutexLocker locker(&m_lock);
        while (m_idle.size() > 1) {
            spare.push_back(std::move(m_idle.back()));
            m_idle.pop_back();
            --m_engines;
        }
    }
}

void TesseractTextRecognizer::releaseIdleEngines()
{
    std::vector<std::unique_ptr<Engine>> idle;
    {
        QMutexLocker locker(&m_lock);
        idle.swap(m_idle);
        m_engines -= int(idle.size());
    }
}

void TesseractTextRecognizer::warmUp()
{
    warmUpInBackground();
    QMutexLocker locker(&m_lock);
    while (m_loading > 0)
        m_engineLoaded.wait(&m_lock);
}

void TesseractTextRecognizer::warmUpInBackground(int engines)
{
    const int wanted = std::min(engines > 0 ? engines : wantedEngines(), wantedEngines());
    QMutexLocker locker(&m_lock);
    const int missing = wanted - m_engines;
    for (int i = 0; i < missing; ++i) {
        ++m_engines;
        ++m_loading;
        // The loader pool has a thread for every engine that can be missing, so each load starts
        // at once and a recognition may safely wait for it.
        m_loaders.start([this] {
            keepOpenMpSerial();
            QString error;
            std::unique_ptr<Engine> engine = createEngine(&error);
            // Found at start, when the first engine loads: said once here, not again per shot.
            if (!engine)
                logRecognitionFailure(error);
            QMutexLocker locker(&m_lock);
            --m_loading;
            if (engine)
                m_idle.push_back(std::move(engine));
            else
                --m_engines;
            m_engineLoaded.wakeAll();
        });
    }
}

void TesseractTextRecognizer::parallelFor(int n, const std::function<void(int)>& body)
{
    // The shared loop: workers catch what items throw, and the caller never waits for queued work.
    ::parallelFor(n, [&](int i) {
        keepOpenMpSerial();
        body(i);
    }, &m_pool);
}

TextRecognition TesseractTextRecognizer::recognize(const QImage& image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return TextRecognition::failure(QStringLiteral("the image is empty"));
    // A window shot is read as the window alone: its transparent margin and shadow must not change
    // what is found in it.
    if (const QRect window = opaqueWindow(image); !window.isEmpty()) {
        TextRecognition inside = recognize(image.copy(window));
        const QSizeF size = image.size();
        const auto place = [&](QRectF& r) {
            if (!r.isNull())
                r = QRectF((window.x() + r.x() * window.width()) / size.width(), (window.y() + r.y() * window.height()) / size.height(),
                    r.width() * window.width() / size.width(), r.height() * window.height() / size.height());
        };
        for (RecognizedLine& line : inside.lines) {
            place(line.box);
            for (QRectF& c : line.charBoxes)
                place(c);
            // The window's edge is no edge of the image where the margin lies beyond it.
            line.inkAtLeftEdge = line.inkAtLeftEdge && window.left() == 0;
            line.inkAtRightEdge = line.inkAtRightEdge && window.right() == image.width() - 1;
        }
        return inside;
    }
    const auto inParallel = [this](int n, const std::function<void(int)>& body) { parallelFor(n, body); };
    const QImage prepared = preparePage(image, kMaxPixels, kMaxEngineSide);
    if (prepared.isNull())
        return TextRecognition::failure(QStringLiteral("the image could not be converted"));
    // Without an engine no line can be read, and a page whose lines were never read must not
    // pass for a page without text: make sure one is there before looking for lines.
    {
        QString error;
        std::unique_ptr<Engine> engine = acquire(&error);
        if (!engine)
            return TextRecognition::failure(error);
        release(std::move(engine));
    }
    // Lines are found on the smoothed page. Where the page is grainy, smoothing kept the strokes'
    // edges and took the grain away, so grainy lines are read from it too; lines on flat parts are
    // read from the original pixels.
    const QImage page = prepared;
    const QImage smooth = smoothGrain(prepared, inParallel);
    const QList<TextLineBox> boxes = findTextLines(smooth, inParallel);
    // The grain around a line: the flatter of the strips above and below it, so a line on a flat
    // panel counts as clean whatever the page has around the panel.
    const auto grainAround = [&](const TextLineBox& line) {
        const int pad = std::max(2, line.height / 4);
        const QRect& b = line.box;
        return std::min(grainLevel(page, QRect(b.left(), b.top() - pad - 1, b.width(), pad)),
            grainLevel(page, QRect(b.left(), b.bottom() + 2, b.width(), pad)));
    };

    // The engine's work grows with a line's width against its height: the costliest lines go
    // first, so that no worker is left with one at the end.
    std::vector<int> order(size_t(boxes.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return boxes[a].box.width() * boxes[b].height > boxes[b].box.width() * boxes[a].height;
    });
    std::vector<QList<RecognizedLine>> results(size_t(boxes.size()));
    // A part of the page left unread fails the whole reading: a page whose lines were not all read
    // must not pass for one without what they hold.
    std::atomic<bool> failed { false };
    QString failure;
    QMutex failureLock;
    const auto fail = [&](const QString& why) {
        failed = true;
        QMutexLocker locker(&failureLock);
        if (failure.isEmpty())
            failure = why;
    };
    const QSizeF pageSize = page.size();
    parallelFor(int(order.size()), [&](int k) {
        const int index = order[size_t(k)];
        QString error;
        std::unique_ptr<Engine> engine = acquire(&error);
        if (!engine) {
            fail(error);
            return;
        }
        // What smoothing left of the grain would still speckle the line image: no stronger than
        // that is no ink.
        const int grain = grainAround(boxes[index]);
        const QImage& source = grain >= 2 ? smooth : page;
        const int noiseFloor = grain >= 2 ? grain * 6 / 5 : 0;
        const auto read = [&](int targetHeight, double maxScale) -> std::optional<QList<RecognizedLine>> {
            // The engine takes images up to kMaxEngineSide pixels across: a very long line is
            // enlarged less.
            const double fits = double(kMaxEngineSide - 2 * kLinePadding) / std::max(1, boxes[index].box.width() + 2);
            const LineImage line = lineImageForRecognition(source, boxes[index], targetHeight, kLinePadding, noiseFloor,
                std::min(maxScale, fits));
            const auto recognize = [&](bool asItStands) -> std::optional<QList<RecognizedLine>> {
                engine->SetImage(line.image.constBits(), line.image.width(), line.image.height(), 1,
                    int(line.image.bytesPerLine()));
                engine->SetSourceResolution(300);
                std::optional<QList<RecognizedLine>> lines;
                if (engine->Recognize(nullptr) == 0) {
                    std::vector<Symbol> symbols = readSymbols(*engine, line);
                    // Read as it stands, a glyph's box may reach over the whole image, padding and
                    // all: it is kept within the line's ink.
                    const QRectF ink = QRectF(boxes[index].box).adjusted(0, -1, 0, 1);
                    if (asItStands)
                        for (Symbol& symbol : symbols) {
                            const double top = std::max(symbol.box.top(), ink.top()), bottom = std::min(symbol.box.bottom(), ink.bottom());
                            symbol.box = QRectF(symbol.box.left(), top, symbol.box.width(), std::max(1.0, bottom - top));
                        }
                    lines = assembleLines(symbols, line, boxes[index], pageSize);
                }
                engine->Clear();
                return lines;
            };
            std::optional<QList<RecognizedLine>> lines = recognize(false);
            // The engine's own look at a line's layout sometimes finds no text in a plain one (words
            // of two faces on different baselines, a card number in a table row): the line was found
            // for its ink, so it is taken as one line of text as it stands. Not a few glyphs' worth
            // (a window's buttons, a row of dots): those are mostly no text, and reading them twice costs.
            if (lines && readsNothing(*lines) && boxes[index].box.width() >= 8 * std::max(1, boxes[index].height)) {
                engine->SetPageSegMode(tesseract::PSM_RAW_LINE);
                lines = recognize(true);
                engine->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
            }
            return lines;
        };
        QList<RecognizedLine>& lines = results[size_t(index)];
        const std::optional<QList<RecognizedLine>> first = read(kTargetGlyphHeight, kMaxScale);
        if (!first) {
            fail(QStringLiteral("the engine could not read a line of the page"));
            release(std::move(engine));
            return;
        }
        lines = *first;
        // A line that nearly reads as an address, a key or a number is read once more at another
        // scale; the detector takes what either reading finds. Tiny text, which the first reading
        // could not enlarge enough, is read again larger, whatever it read as; not under grain,
        // where enlarging it further reads the grain as much as the glyphs.
        const bool tiny = boxes[index].height < kTinyGlyphHeight && grain < 2;
        // A second reading that fails leaves the first, which stands on its own.
        const auto readAgain = [&](int targetHeight, double maxScale) {
            for (RecognizedLine second : read(targetHeight, maxScale).value_or(QList<RecognizedLine> {})) {
                keepNumberSigns(second, lines);
                if (std::none_of(lines.begin(), lines.end(), [&](const RecognizedLine& l) { return l.text == second.text; }))
                    lines.append(second);
            }
        };
        if (tiny)
            readAgain(kTargetGlyphHeight, kTinyMaxScale);
        else if (std::any_of(lines.begin(), lines.end(), [](const RecognizedLine& l) { return readsDoubtfully(l.text); }))
            readAgain(kTargetGlyphHeight * 3 / 4, kMaxScale);
        // Digits that nearly make a number are read larger still, as tiny lines are.
        if (!tiny && std::any_of(lines.begin(), lines.end(), [](const RecognizedLine& l) { return nearlyPhoneOrAddress(l.text); }))
            readAgain(kTargetGlyphHeight * 3 / 2, kTinyMaxScale);
        release(std::move(engine));
    });
    if (failed)
        return TextRecognition::failure(failure);

    TextRecognition out;
    for (auto& lines : results)
        out.lines.append(std::move(lines));
    // Where the page has ink that no found line explains, read the whole page in strips as well,
    // keeping what lies outside the lines already read.
    if (unexplainedEdges(smooth, boxes) > kUnexplainedEdges) {
        QString why;
        const std::optional<QList<RecognizedLine>> more = readWholePage(smooth, boxes, &why);
        if (!more)
            return TextRecognition::failure(why);
        out.lines.append(*more);
    }
    // On the image as it came where the page was scaled down: there a border's two pixels would
    // blur into the edge, and a glyph's copies would no longer be drawn alike. (A transparent one
    // is judged as flattened.)
    const bool scaled = page.size() != image.size();
    const QImage& asDrawn = scaled && !image.hasAlphaChannel() ? image : page;
    agreeOnGlyphs(asDrawn, out.lines);
    markEdgeInk(asDrawn, out.lines);
    return out;
}

std::optional<QList<RecognizedLine>> TesseractTextRecognizer::readWholePage(const QImage& page, const QList<TextLineBox>& found,
    QString* why)
{
    const QImage grey = inkPage(page);
    constexpr int kStrip = 384, kOverlap = 96;
    const int strips = std::max(1, (page.height() - kOverlap + kStrip - kOverlap - 1) / (kStrip - kOverlap));
    std::vector<QList<std::pair<TextLineBox, QList<RecognizedLine>>>> results(static_cast<size_t>(strips));
    const QSizeF pageSize = page.size();
    std::atomic<bool> failed { false };
    QMutex failureLock;
    const auto fail = [&](const QString& reason) {
        failed = true;
        QMutexLocker locker(&failureLock);
        if (why->isEmpty())
            *why = reason;
    };
    parallelFor(strips, [&](int i) {
        const int top = i * (kStrip - kOverlap), height = std::min(kStrip, page.height() - top);
        if (height <= 0)
            return;
        QString error;
        std::unique_ptr<Engine> engine = acquire(&error);
        if (!engine) {
            fail(error);
            return;
        }
        engine->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
        engine->SetImage(grey.constScanLine(top), grey.width(), height, 1, int(grey.bytesPerLine()));
        engine->SetSourceResolution(300);
        if (engine->Recognize(nullptr) != 0) {
            fail(QStringLiteral("the engine could not read a part of the page"));
        } else {
            std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
            if (it) {
                do {
                    int l = 0, t = 0, r = 0, b = 0;
                    if (!it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b) || r <= l || b <= t)
                        continue;
                    const TextLineBox box { QRect(l, top + t, r - l, b - t), b - t };
                    LineImage image { grey.copy(box.box), 1.0, QPointF(l, top + t), {} };
                    // The line's symbols, in page pixels.
                    std::vector<Symbol> symbols;
                    do {
                        const std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_SYMBOL));
                        int sl = 0, st = 0, sr = 0, sb = 0;
                        if (utf8 && it->BoundingBox(tesseract::RIL_SYMBOL, &sl, &st, &sr, &sb)) {
                            const QString text = QString::fromUtf8(utf8.get()).trimmed();
                            if (!text.isEmpty())
                                symbols.push_back({ text, QRectF(sl, top + st, sr - sl, sb - st), it->IsAtBeginningOf(tesseract::RIL_WORD) });
                        }
                    } while (!it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_SYMBOL) && it->Next(tesseract::RIL_SYMBOL));
                    results[size_t(i)].append({ box, assembleLines(symbols, image, box, pageSize) });
                } while (it->Next(tesseract::RIL_TEXTLINE));
            }
        }
        engine->Clear();
        engine->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        release(std::move(engine));
    });
    if (failed)
        return std::nullopt;
    // A line read twice (in the overlap of two strips) or already read counts once.
    QList<RecognizedLine> out;
    QList<QRect> taken;
    for (const TextLineBox& line : found)
        taken.append(line.box);
    for (const auto& strip : results) {
        for (const auto& entry : strip) {
            // Named, not bound: a lambda may not capture a structured binding before C++20's fix.
            const TextLineBox& box = entry.first;
            const QList<RecognizedLine>& lines = entry.second;
            const qint64 area = qint64(box.box.width()) * box.box.height();
            const bool seen = std::any_of(taken.begin(), taken.end(), [&](const QRect& r) {
                const QRect overlap = r.intersected(box.box);
                return qint64(overlap.width()) * overlap.height() * 3 > area;
            });
            if (seen)
                continue;
            taken.append(box.box);
            out.append(lines);
        }
    }
    return out;
}
