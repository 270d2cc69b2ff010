#include "support/ScreenText.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

QString textOnScreen(const QRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || area.isEmpty())
        return {};
    QImage image = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                       .toImage()
                       .convertToFormat(QImage::Format_Grayscale8)
                       .scaled(area.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Dark on light, whatever the screen shows.
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            sum += line[x];
    }
    if (sum < qint64(image.width()) * image.height() * 128)
        image.invertPixels();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grab.png"));
    if (!image.save(file))
        return {};
    QProcess tesseract;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    tesseract.setProcessEnvironment(env);
    tesseract.start(QStringLiteral("tesseract"), { file, QStringLiteral("stdout"), QStringLiteral("--psm"), QStringLiteral("7") });
    if (!tesseract.waitForFinished(20000) || tesseract.exitCode() != 0)
        return {};
    return QString::fromUtf8(tesseract.readAllStandardOutput()).simplified().toLower();
}

bool readsAs(const QString& read, const QString& expected)
{
    const QString text = read.toLower();
    const QString word = expected.toLower();
    const int allowed = int(word.size()) / 10;
    // Edit distance of `word` to the best-matching stretch of `text`: a match may start anywhere.
    std::vector<int> column(word.size() + 1);
    for (int i = 0; i <= int(word.size()); ++i)
        column[i] = i;
    if (column.back() <= allowed)
        return true;
    for (const QChar c : text) {
        int diagonal = 0; // row 0 stays 0: the match may begin at the next character
        for (int i = 1; i <= int(word.size()); ++i) {
            const int above = column[i];
            column[i] = std::min({ column[i] + 1, column[i - 1] + 1, diagonal + (word[i - 1] == c ? 0 : 1) });
            diagonal = above;
        }
        if (column.back() <= allowed)
            return true;
    }
    return false;
}
