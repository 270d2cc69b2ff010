// Measures sensitive-text detection on generated screenshots: recall and false detections per
// kind, for our recogniser and for the plain `tesseract` command-line tool on the same images.
//
//   lumaforge-eval [--out DIR] [--no-cli] [--only TEXT] [--verbose]
//
// DIR keeps the images and their ground truth (default: a temporary folder).
#include "platform/TesseractTextRecognizer.h"
#include "platform/TextLineFinder.h"
#include "render/SensitiveTextDetector.h"
#include "screens/ScreenshotGenerator.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <map>

namespace {

struct Tally {
    int planted = 0;
    int found = 0;
    int falseDetections = 0;
};

using Tallies = std::map<RedactionKind, Tally>;

// The CLI's TSV as recognised lines: each word's box stands for each of its characters.
QList<RecognizedLine> linesFromTsv(const QString& tsv, QSize size)
{
    QList<RecognizedLine> lines;
    QString key;
    RecognizedLine current;
    const auto flush = [&] {
        if (!current.text.isEmpty())
            lines.append(current);
        current = {};
    };
    const QStringList rows = tsv.split(u'\n');
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList f = rows[i].split(u'\t');
        if (f.size() < 12 || f[0] != QLatin1String("5"))
            continue;
        const QString word = f[11].trimmed();
        if (word.isEmpty())
            continue;
        const QString lineKey = f[1] + u'/' + f[2] + u'/' + f[3] + u'/' + f[4];
        if (lineKey != key) {
            flush();
            key = lineKey;
        }
        const QRectF box(f[6].toDouble() / size.width(), f[7].toDouble() / size.height(),
            f[8].toDouble() / size.width(), f[9].toDouble() / size.height());
        if (!current.text.isEmpty()) {
            current.text += u' ';
            current.charBoxes.append(QRectF());
        }
        current.text += word;
        for (qsizetype k = 0; k < word.size(); ++k)
            current.charBoxes.append(box);
        current.box = current.box.isNull() ? box : current.box.united(box);
    }
    flush();
    return lines;
}

void score(const GeneratedShot& shot, const DetectionResult& result, Tallies& tallies, bool verbose,
    const QString& who, const QList<RecognizedLine>& lines)
{
    const QSizeF size = shot.image.size();
    const auto toPixels = [&](const QRectF& r) {
        return QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height());
    };
    for (const PlantedItem& item : shot.planted) {
        Tally& t = tallies[item.kind];
        ++t.planted;
        bool hit = false;
        if (auto it = result.find(item.kind); it != result.end())
            for (const QRectF& r : it->second)
                hit = hit || boxCoversItem(toPixels(r), item.box);
        t.found += hit;
        if (!hit && verbose) {
            QString seen;
            for (const RecognizedLine& l : lines)
                if (toPixels(l.box).intersects(QRectF(item.box)))
                    seen += QStringLiteral(" | ") + l.text;
            QTextStream(stdout) << who << " miss " << shot.name << ' ' << rawValue(item.kind) << " \"" << item.text
                                << "\" read:" << seen << '\n';
        }
    }
    for (const auto& [kind, rects] : result) {
        for (const QRectF& r : rects) {
            const QRectF px = toPixels(r);
            bool matches = false;
            for (const PlantedItem& item : shot.planted)
                matches = matches || (item.kind == kind && px.intersects(QRectF(item.box)));
            if (!matches) {
                ++tallies[kind].falseDetections;
                if (verbose) {
                    QString seen;
                    for (const RecognizedLine& l : lines)
                        if (toPixels(l.box).intersects(px))
                            seen += QStringLiteral(" | ") + l.text;
                    QTextStream(stdout) << who << " false " << shot.name << ' ' << rawValue(kind) << " at "
                                        << int(px.x()) << ',' << int(px.y()) << ' ' << int(px.width()) << 'x'
                                        << int(px.height()) << " read:" << seen << '\n';
                }
            }
        }
    }
}

double medianOf(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString percent(int part, int whole)
{
    return whole ? QString::number(100.0 * part / whole, 'f', 1) + u'%' : QStringLiteral("-");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({ "out", "Folder for the images and their ground truth.", "dir" });
    parser.addOption({ "no-cli", "Skip the tesseract command-line tool." });
    parser.addOption({ "only", "Only shots whose name contains this text.", "text" });
    parser.addOption({ "verbose", "List every miss and false detection." });
    parser.addOption({ "overlay", "Also save each image with the found lines outlined." });
    parser.process(app);

    QTemporaryDir temp;
    const QString out = parser.isSet("out") ? parser.value("out") : temp.path();
    QDir().mkpath(out);
    const bool verbose = parser.isSet("verbose");

    QList<ShotSpec> specs = standardShotSpecs();
    specs.append(denseShotSpec());
    TesseractTextRecognizer recognizer;
    recognizer.warmUp();

    Tallies ours, cli;
    QList<double> ourSeconds, cliSeconds;
    for (const ShotSpec& spec : specs) {
        if (parser.isSet("only") && !shotName(spec).contains(parser.value("only")))
            continue;
        const GeneratedShot shot = generateShot(spec);
        const QString png = out + u'/' + shot.name + QStringLiteral(".png");
        shot.image.save(png);
        QFile truth(out + u'/' + shot.name + QStringLiteral(".truth.json"));
        if (truth.open(QIODevice::WriteOnly))
            truth.write(QJsonDocument(truthJson(shot)).toJson());

        if (parser.isSet("overlay")) {
            QImage overlay = shot.image.copy();
            QPainter painter(&overlay);
            painter.setPen(QPen(Qt::red, 1));
            for (const TextLineBox& line : findTextLines(shot.image.convertToFormat(QImage::Format_RGB32)))
                painter.drawRect(line.box);
            painter.end();
            overlay.save(out + u'/' + shot.name + QStringLiteral(".lines.png"));
        }

        QElapsedTimer timer;
        timer.start();
        const TextRecognition recognition = recognizer.recognize(shot.image);
        const DetectionResult result = detectSensitiveText(recognition.lines);
        ourSeconds.append(timer.nsecsElapsed() / 1e9);
        score(shot, result, ours, verbose, QStringLiteral("ours"), recognition.lines);

        if (!parser.isSet("no-cli")) {
            QProcess tesseract;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("OMP_THREAD_LIMIT", "1");
            tesseract.setProcessEnvironment(env);
            timer.restart();
            tesseract.start("tesseract", { png, "stdout", "--psm", "3", "tsv" });
            tesseract.waitForFinished(-1);
            cliSeconds.append(timer.nsecsElapsed() / 1e9);
            const QList<RecognizedLine> lines = linesFromTsv(QString::fromUtf8(tesseract.readAllStandardOutput()),
                shot.image.size());
            score(shot, detectSensitiveText(lines), cli, verbose, QStringLiteral("cli"), lines);
        }
    }

    QTextStream s(stdout);
    s << "| kind | planted | recall (ours) | false (ours) | recall (tesseract CLI) | false (tesseract CLI) |\n";
    s << "|---|---|---|---|---|---|\n";
    Tally allOurs, allCli;
    for (RedactionKind kind : allCases<RedactionKind>) {
        const Tally o = ours[kind], c = cli[kind];
        s << "| " << rawValue(kind) << " | " << o.planted << " | " << percent(o.found, o.planted) << " | "
          << o.falseDetections << " | " << percent(c.found, c.planted) << " | " << c.falseDetections << " |\n";
        allOurs.planted += o.planted;
        allOurs.found += o.found;
        allOurs.falseDetections += o.falseDetections;
        allCli.planted += c.planted;
        allCli.found += c.found;
        allCli.falseDetections += c.falseDetections;
    }
    s << "| all | " << allOurs.planted << " | " << percent(allOurs.found, allOurs.planted) << " | "
      << allOurs.falseDetections << " | " << percent(allCli.found, allCli.planted) << " | " << allCli.falseDetections
      << " |\n";
    s << "\nmedian seconds per image: ours " << medianOf(ourSeconds) << ", tesseract CLI " << medianOf(cliSeconds)
      << " (" << ourSeconds.size() << " images)\n";
    return 0;
}
