#include "screens/TesseractCli.h"

#include <QElapsedTimer>
#include <QProcess>

QList<RecognizedLine> linesFromTesseractTsv(const QString& tsv, QSize size)
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
        // level, page, block, paragraph, line, word, left, top, width, height, confidence, text
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

TextRecognition runTesseractCli(const QString& imagePath, QSize imageSize, double* seconds)
{
    QProcess tesseract;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    tesseract.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    tesseract.start(QStringLiteral("tesseract"), { imagePath, QStringLiteral("stdout"), QStringLiteral("--psm"),
                                                     QStringLiteral("3"), QStringLiteral("tsv") });
    const bool finished = tesseract.waitForFinished(-1);
    if (seconds)
        *seconds = timer.nsecsElapsed() / 1e9;
    if (!finished || tesseract.exitStatus() != QProcess::NormalExit || tesseract.exitCode() != 0)
        return TextRecognition::failure(QStringLiteral("tesseract failed: ") + tesseract.errorString());
    return { true, {}, linesFromTesseractTsv(QString::fromUtf8(tesseract.readAllStandardOutput()), imageSize) };
}
