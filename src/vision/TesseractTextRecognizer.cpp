#include "vision/TesseractTextRecognizer.h"

#include "vision/ConfusedCharacters.h"
#include "vision/TextLineFinder.h"

#include <QMutexLocker>
#include <QPainter>
#include <QSemaphore>
#include <QThread>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <dlfcn.h>
#include <exception>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Tesseract reads glyphs best at about this height in pixels.
constexpr int kTargetGlyphHeight = 40;
constexpr int kLinePadding = 10;

struct Symbol {
    QString text;
    QRectF box; // page pixels
    bool startsWord = false;
};

// The colour transparent pixels are flattened onto: white, unless what is opaque is mostly light
// (white text on a transparent layer), which would vanish on white.
QColor flatteningColour(const QImage& page)
{
    qint64 sum = 0, weight = 0;
    const int stepY = std::max(1, page.height() / 300), stepX = std::max(1, page.width() / 300);
    for (int y = 0; y < page.height(); y += stepY) {
        for (int x = 0; x < page.width(); x += stepX) {
            const QRgb p = page.pixel(x, y);
            const int a = qAlpha(p);
            if (a < 128)
                continue;
            // Premultiplied or not, the grey of an opaque pixel is its colour.
            sum += qGray(p) * 255 / a;
            ++weight;
        }
    }
    return weight && sum / weight > 150 ? QColor(Qt::black) : QColor(Qt::white);
}

// The page as RGB32, flattened (see flatteningColour) and scaled down when enormous. Results are fractions
// of the page, so they need no scaling back.
QImage preparePage(const QImage& image)
{
    QImage page = image;
    const qint64 pixels = qint64(image.width()) * image.height();
    if (pixels > TesseractTextRecognizer::kMaxPixels) {
        const double f = std::sqrt(double(TesseractTextRecognizer::kMaxPixels) / double(pixels));
        const QSize target(std::max(1, int(image.width() * f)), std::max(1, int(image.height() * f)));
        // Averaging every pixel of a giant image costs seconds; sampling down to twice the size
        // first keeps the result smooth.
        if (f < 0.5)
            page = image.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        page = page.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (page.hasAlphaChannel()) {
        QImage flat(page.size(), QImage::Format_RGB32);
        flat.fill(flatteningColour(page));
        QPainter painter(&flat);
        painter.drawImage(0, 0, page);
        painter.end();
        return flat;
    }
    return page.format() == QImage::Format_RGB32 ? page : page.convertToFormat(QImage::Format_RGB32);
}

std::vector<Symbol> readSymbols(tesseract::TessBaseAPI& api, const LineImage& line)
{
    std::vector<Symbol> symbols;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return symbols;
    const auto level = tesseract::RIL_SYMBOL;
    do {
        const std::unique_ptr<char[]> utf8(it->GetUTF8Text(level));
        if (!utf8)
            continue;
        int l = 0, t = 0, r = 0, b = 0;
        if (!it->BoundingBox(level, &l, &t, &r, &b))
            continue;
        Symbol s;
        s.text = QString::fromUtf8(utf8.get()).trimmed();
        if (s.text.isEmpty())
            continue;
        s.startsWord = it->IsAtBeginningOf(tesseract::RIL_WORD);
        s.box = QRectF(line.origin.x() + l / line.scale, line.origin.y() + t / line.scale, (r - l) / line.scale,
            (b - t) / line.scale);
        symbols.push_back(std::move(s));
    } while (it->Next(level));
    return symbols;
}

double median(std::vector<double> values, double fallback)
{
    if (values.empty())
        return fallback;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Which columns of a line image hold ink.
std::vector<uint8_t> inkColumns(const QImage& grey)
{
    const int w = grey.width(), h = grey.height();
    std::vector<uint8_t> ink(size_t(w), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < w; ++x)
            ink[size_t(x)] |= row[x] < 140;
    }
    return ink;
}

// The widest run of blank columns between two page x positions, in page pixels.
double blankBetween(const std::vector<uint8_t>& ink, const LineImage& line, double fromX, double toX)
{
    const int width = int(ink.size());
    const int a = std::clamp(int(std::floor((fromX - line.origin.x()) * line.scale)), 0, width);
    const int b = std::clamp(int(std::ceil((toX - line.origin.x()) * line.scale)), 0, width);
    int best = 0, run = 0;
    for (int x = a; x < b; ++x) {
        run = ink[size_t(x)] ? 0 : run + 1;
        best = std::max(best, run);
    }
    return best / line.scale;
}

// Long keys and hashes carry no blanks: a blank placed on a narrow margin between two long runs
// of letters and digits, or right after the prefix of a key ("sk- "), splits one token and goes.
void joinSplitTokens(RecognizedLine& line, const std::vector<qsizetype>& doubtfulBlanks)
{
    const auto tokenChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'-'; };
    for (auto it = doubtfulBlanks.rbegin(); it != doubtfulBlanks.rend(); ++it) {
        const qsizetype at = *it;
        if (at <= 0 || at + 1 >= line.text.size() || line.text.at(at) != u' ')
            continue;
        qsizetype left = 0, right = 0;
        while (at - left - 1 >= 0 && tokenChar(line.text.at(at - left - 1)))
            ++left;
        while (at + right + 1 < line.text.size() && tokenChar(line.text.at(at + right + 1)))
            ++right;
        // Words of prose are letters of one case; keys mix in digits or both cases.
        const auto keyLike = [&](qsizetype from, qsizetype n) {
            bool digit = false, upper = false, lower = false;
            for (qsizetype k = from; k < from + n; ++k) {
                const QChar c = line.text.at(k);
                digit = digit || c.isDigit();
                upper = upper || c.isUpper();
                lower = lower || c.isLower();
            }
            return digit || (upper && lower);
        };
        const QChar before = line.text.at(at - 1);
        const bool keyPrefix = (before == u'-' || before == u'_') && left >= 2 && right >= 8 && keyLike(at + 1, right);
        const bool splitKey = left >= 6 && right >= 6 && left + right >= 20 && keyLike(at - left, left) && keyLike(at + 1, right);
        if (!keyPrefix && !splitKey)
            continue;
        line.text.remove(at, 1);
        line.charBoxes.removeAt(at);
    }
}

// Symbols to lines. Blanks follow the pixels, not the engine, which puts blanks into long tokens
// and drops them between columns: no blank where the ink runs on, a blank where it stops for
// about a character, and a new line where it stops for much longer (a label and its field,
// neighbouring cells), as a platform recogniser reports separate observations.
QList<RecognizedLine> assembleLines(const std::vector<Symbol>& symbols, const LineImage& image,
    const TextLineBox& lineBox, QSizeF page)
{
    QList<RecognizedLine> out;
    if (symbols.empty())
        return out;
    std::vector<double> pitches;
    for (size_t i = 1; i < symbols.size(); ++i)
        if (!symbols[i].startsWord)
            pitches.push_back(symbols[i].box.center().x() - symbols[i - 1].box.center().x());
    const double h = std::max(1.0, double(lineBox.height));
    const double pitch = std::max(1.0, median(pitches, 0.55 * h));
    double grid = pitch;
    // In a monospaced line every character sits in a cell of one pitch, so the cells between two
    // symbols count the blanks better than the ink does (narrow glyphs such as '.', '1' and 'l'
    // leave wide gaps). The grid is fitted to the symbols' centres; a proportional line does not
    // fit it.
    std::vector<int> cell(symbols.size(), 0);
    bool monospaced = false;
    if (symbols.size() >= 6) {
        const double c0 = symbols.front().box.center().x();
        for (int round = 0; round < 2; ++round) {
            double sk = 0, sc = 0, skk = 0, skc = 0;
            for (size_t i = 0; i < symbols.size(); ++i) {
                cell[i] = int(std::lround((symbols[i].box.center().x() - c0) / grid));
                sk += cell[i];
                sc += symbols[i].box.center().x();
                skk += double(cell[i]) * cell[i];
                skc += double(cell[i]) * symbols[i].box.center().x();
            }
            const double n = double(symbols.size());
            const double denominator = n * skk - sk * sk;
            if (denominator > 0)
                grid = std::max(1.0, (n * skc - sk * sc) / denominator);
        }
        const double offset = [&] {
            std::vector<double> r;
            for (size_t i = 0; i < symbols.size(); ++i)
                r.push_back(symbols[i].box.center().x() - c0 - cell[i] * grid);
            return median(r, 0);
        }();
        int fitting = 0;
        bool increasing = true;
        for (size_t i = 0; i < symbols.size(); ++i) {
            cell[i] = int(std::lround((symbols[i].box.center().x() - c0 - offset) / grid));
            fitting += std::abs(symbols[i].box.center().x() - c0 - offset - cell[i] * grid) < 0.22 * grid;
            increasing = increasing && (i == 0 || cell[i] > cell[i - 1]);
        }
        monospaced = increasing && fitting >= 0.9 * double(symbols.size()) && grid < 1.2 * h && std::abs(grid - pitch) < 0.25 * pitch;
    }
    const std::vector<uint8_t> ink = inkColumns(image.image);
    const auto blankRun = [&](size_t i) {
        return blankBetween(ink, image, symbols[i - 1].box.center().x(), symbols[i].box.center().x());
    };
    // A blank adds about half a character to the usual gap between two letters of the line.
    std::vector<double> letterGaps;
    for (size_t i = 1; i < symbols.size(); ++i)
        if (!symbols[i].startsWord)
            letterGaps.push_back(blankRun(i));
    const double letterGap = median(letterGaps, 0.1 * h);
    // Narrow glyphs have wide side bearings: beside a dot, comma or colon, or between two thin
    // glyphs (1, l, i), a blank needs a wider gap.
    const auto oneOf = [](const QString& t, QStringView set) { return t.size() == 1 && set.contains(t.at(0)); };
    const auto punctuation = [&](const QString& t) { return oneOf(t, u".,:;'`"); };
    const auto thin = [&](const QString& t) { return oneOf(t, u"1lIi|!"); };

    RecognizedLine current;
    QRectF currentBox;
    // Blanks placed on a narrow margin, by their position in the current line's text.
    std::vector<qsizetype> doubtfulBlanks;
    const auto flush = [&] {
        if (!current.text.isEmpty()) {
            joinSplitTokens(current, doubtfulBlanks);
            mendConfusedCharacters(current.text);
            current.box = currentBox;
            out.append(current);
        }
        current = {};
        currentBox = {};
        doubtfulBlanks.clear();
    };
    const auto fraction = [&](const QRectF& r) {
        return QRectF(r.x() / page.width(), r.y() / page.height(), r.width() / page.width(), r.height() / page.height());
    };
    const auto append = [&](const QString& text, const QRectF& pageBox) {
        const QRectF box = fraction(pageBox);
        current.text += text;
        for (qsizetype k = 0; k < text.size(); ++k)
            current.charBoxes.append(box);
        currentBox = currentBox.isNull() ? box : currentBox.united(box);
    };
    for (size_t i = 0; i < symbols.size(); ++i) {
        const Symbol& s = symbols[i];
        if (i > 0) {
            const double gap = blankRun(i);
            const QString& before = symbols[i - 1].text;
            const bool narrow = punctuation(before) || punctuation(s.text) || thin(before) || thin(s.text);
            const double extra = punctuation(before) || punctuation(s.text) || (thin(before) && thin(s.text)) ? 0.25 * pitch : 0;
            // Tabular digits make a proportional line look monospaced ("Card 4111 1111"): there a
            // blank is narrower than a cell, but still a clear gap between two wide glyphs.
            const bool blank = monospaced ? cell[i] - cell[i - 1] >= 2 || (s.startsWord && !narrow && gap >= 0.5 * grid)
                : s.startsWord            ? gap >= letterGap + 0.3 * pitch + extra
                                          : gap > letterGap + 0.4 * pitch + extra;
            if (gap > std::max(1.6 * h, 2.0 * pitch)) {
                flush();
            } else if (blank) {
                const double margin = monospaced ? (cell[i] - cell[i - 1] >= 3 ? pitch : gap - 0.5 * grid)
                                                 : gap - (letterGap + 0.3 * pitch + extra);
                if (margin < 0.35 * pitch)
                    doubtfulBlanks.push_back(current.text.size());
                current.text += QLatin1Char(' ');
                current.charBoxes.append(QRectF());
            }
        }
        append(s.text, s.box);
    }
    flush();
    return out;
}

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

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer(int workers, QString dataPath)
    : m_dataPath(std::move(dataPath))
{
    // Tesseract parses numbers with the C library and refuses other numeric locales.
    std::setlocale(LC_NUMERIC, "C");
    const int threads = workers > 0 ? workers : std::max(1, QThread::idealThreadCount() - 1);
    m_pool.setMaxThreadCount(threads);
    m_pool.setExpiryTimeout(-1);
}

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    m_pool.waitForDone();
}

std::unique_ptr<TesseractTextRecognizer::Engine> TesseractTextRecognizer::acquire(QString* error)
{
    {
        QMutexLocker locker(&m_lock);
        if (!m_idle.empty()) {
            auto engine = std::move(m_idle.back());
            m_idle.pop_back();
            return engine;
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
            *error = QStringLiteral("Tesseract could not load its English model");
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
}

void TesseractTextRecognizer::releaseIdleEngines()
{
    std::vector<std::unique_ptr<Engine>> idle;
    {
        QMutexLocker locker(&m_lock);
        idle.swap(m_idle);
    }
}

void TesseractTextRecognizer::warmUp()
{
    const int wanted = m_pool.maxThreadCount() + 1;
    {
        QMutexLocker locker(&m_lock);
        if (int(m_idle.size()) >= wanted)
            return;
    }
    std::vector<std::unique_ptr<Engine>> engines(static_cast<size_t>(wanted));
    parallelFor(wanted, [&](int i) { engines[size_t(i)] = acquire(nullptr); });
    for (auto& engine : engines)
        release(std::move(engine));
}

void TesseractTextRecognizer::parallelFor(int n, const std::function<void(int)>& body)
{
    if (n <= 0)
        return;
    std::atomic<int> next { 0 };
    std::exception_ptr failure;
    QMutex failureLock;
    // Every worker catches what its items throw: an exception leaving a worker would end the
    // process, and one leaving the caller early would free what the others still use. The first
    // one stops the loop and is rethrown once every worker is done.
    const auto drain = [&] {
        keepOpenMpSerial();
        for (int i = next++; i < n; i = next++) {
            try {
                body(i);
            } catch (...) {
                QMutexLocker locker(&failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = n;
            }
        }
    };
    const int helpers = std::min(n - 1, m_pool.maxThreadCount());
    QSemaphore finished;
    for (int k = 0; k < helpers; ++k) {
        m_pool.start([&] {
            drain();
            finished.release();
        });
    }
    drain();
    finished.acquire(helpers);
    if (failure)
        std::rethrow_exception(failure);
}

TextRecognition TesseractTextRecognizer::recognize(const QImage& image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return TextRecognition::failure(QStringLiteral("the image is empty"));
    const auto inParallel = [this](int n, const std::function<void(int)>& body) { parallelFor(n, body); };
    const QImage prepared = preparePage(image);
    if (prepared.isNull())
        return TextRecognition::failure(QStringLiteral("the image could not be converted"));
    // Lines are found on the smoothed page, but read from the original pixels: smoothing would
    // blur small text more than grain hurts the reading.
    const QImage page = prepared;
    const QList<TextLineBox> boxes = findTextLines(smoothGrain(prepared, inParallel), inParallel);
    // Grain read into the line images would speckle them; what is no stronger than grain is none.
    const int grain = grainLevel(page);
    const int noiseFloor = grain >= 2 ? 3 * grain : 0;

    // The engine's work grows with a line's width against its height: the costliest lines go
    // first, so that no worker is left with one at the end.
    std::vector<int> order(size_t(boxes.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return boxes[a].box.width() * boxes[b].height > boxes[b].box.width() * boxes[a].height;
    });
    std::vector<QList<RecognizedLine>> results(size_t(boxes.size()));
    std::atomic<bool> engineFailed { false };
    QString engineError;
    QMutex errorLock;
    const QSizeF pageSize = page.size();
    parallelFor(int(order.size()), [&](int k) {
        const int index = order[size_t(k)];
        QString error;
        std::unique_ptr<Engine> engine = acquire(&error);
        if (!engine) {
            engineFailed = true;
            QMutexLocker locker(&errorLock);
            engineError = error;
            return;
        }
        const LineImage line = lineImageForRecognition(page, boxes[index], kTargetGlyphHeight, kLinePadding, noiseFloor);
        engine->SetImage(line.image.constBits(), line.image.width(), line.image.height(), 1,
            int(line.image.bytesPerLine()));
        engine->SetSourceResolution(300);
        if (engine->Recognize(nullptr) == 0)
            results[size_t(index)] = assembleLines(readSymbols(*engine, line), line, boxes[index], pageSize);
        engine->Clear();
        release(std::move(engine));
    });
    if (engineFailed)
        return TextRecognition::failure(engineError);

    TextRecognition out;
    for (auto& lines : results)
        out.lines.append(std::move(lines));
    return out;
}
