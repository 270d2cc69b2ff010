// Runs sensitive-text detection on image files and writes, per image, <name>.json:
//   {"seconds": s, "detections": [{"kind": "email", "x": .., "y": .., "w": .., "h": ..}, ...]}
// with boxes in pixels of the input image.
//
//   lumaforge-detect --out DIR IMAGE...
#include "vision/SensitiveTextDetector.h"
#include "vision/TextRecognizer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>

namespace {

QJsonObject detectionsJson(const DetectionResult& result, QSize size, double seconds)
{
    QJsonArray detections;
    for (const auto& [kind, rects] : result) {
        for (const QRectF& r : rects) {
            detections.append(QJsonObject { { "kind", rawValue(kind) },
                { "x", r.x() * size.width() }, { "y", r.y() * size.height() },
                { "w", r.width() * size.width() }, { "h", r.height() * size.height() } });
        }
    }
    return { { "seconds", seconds }, { "detections", detections } };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumaforge-detect"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Finds sensitive text in images."));
    parser.addHelpOption();
    parser.addOption({ "out", "Folder for the <name>.json results.", "dir" });
    parser.addPositionalArgument("images", "Image files to read.", "IMAGE...");
    parser.process(app);

    QTextStream err(stderr);
    const QStringList images = parser.positionalArguments();
    if (!parser.isSet("out") || images.isEmpty()) {
        err << "usage: lumaforge-detect --out DIR IMAGE...\n";
        return 2;
    }
    const QString out = parser.value("out");
    if (!QDir().mkpath(out)) {
        err << "lumaforge-detect: cannot create " << out << '\n';
        return 1;
    }

    TextRecognizer& recognizer = TextRecognizer::shared();
    recognizer.warmUp();
    int failures = 0;
    for (const QString& path : images) {
        QImageReader reader(path);
        reader.setAllocationLimit(1024); // megabytes
        const QImage image = reader.read();
        if (image.isNull()) {
            err << "lumaforge-detect: " << path << ": " << reader.errorString() << '\n';
            ++failures;
            continue;
        }
        QElapsedTimer timer;
        timer.start();
        const TextRecognition recognition = recognizer.recognize(image);
        const DetectionResult result = detectSensitiveText(recognition.lines);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!recognition.ok) {
            err << "lumaforge-detect: " << path << ": " << recognition.error << '\n';
            ++failures;
        }
        QSaveFile file(out + u'/' + QFileInfo(path).completeBaseName() + QStringLiteral(".json"));
        if (!file.open(QIODevice::WriteOnly)
            || file.write(QJsonDocument(detectionsJson(result, image.size(), seconds)).toJson()) < 0 || !file.commit()) {
            err << "lumaforge-detect: cannot write " << file.fileName() << '\n';
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
