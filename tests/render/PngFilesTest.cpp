#include "render/PngFiles.h"

#include "platform/AppPaths.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
QImage picture(QColor colour = QColor(200, 40, 90))
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

TEST(PngFiles, DateStringHasTheFileNameForm)
{
    const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} at \\d{2}\\.\\d{2}\\.\\d{2}$"));
    EXPECT_TRUE(form.match(screenshotDateString()).hasMatch()) << screenshotDateString().toStdString();
}

TEST(PngFiles, ExportWritesOnlyWhenConfirmed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.png"));
    LogCapture log;
    std::optional<bool> reported;
    const auto completion = [&](bool ok) { reported = ok; };

    EXPECT_FALSE(exportPNG(QDialog::Rejected, path, "data", completion));
    EXPECT_EQ(reported, false);
    EXPECT_FALSE(exportPNG(QDialog::Accepted, QString(), "data", completion));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(log.lines.isEmpty());

    EXPECT_TRUE(exportPNG(QDialog::Accepted, path, "first", completion));
    EXPECT_EQ(reported, true);
    EXPECT_TRUE(exportPNG(QDialog::Accepted, path, "second"));
    EXPECT_EQ(readAll(path), "second");
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST(PngFiles, FailedExportLogsAndKeepsTheExistingFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/shot.png");
    ASSERT_TRUE(exportPNG(QDialog::Accepted, path, "precious"));
    ::chmod(QFile::encodeName(folder).constData(), 0500);
    if (QFileInfo(folder).isWritable() && ::geteuid() == 0) {
        // root ignores permissions: make the target a folder's name instead.
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }

    LogCapture log;
    std::optional<bool> reported;
    const QString target = ::geteuid() == 0 ? folder : path; // writing over a folder fails for root too
    EXPECT_FALSE(exportPNG(QDialog::Accepted, target, "replacement", [&](bool ok) { reported = ok; }));
    EXPECT_EQ(reported, false);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith(QStringLiteral("Lumaforge: export failed: "))) << log.lines[0].toStdString();
    EXPECT_EQ(readAll(path), "precious");
    ::chmod(QFile::encodeName(folder).constData(), 0700);
}

TEST(PngFiles, DragOutFilesGetPrivateFoldersOfTheirOwn)
{
    const auto first = writeTempPNG(picture(Qt::red));
    const auto second = writeTempPNG(picture(Qt::blue)); // very likely the same second
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(QFileInfo(*first).fileName().startsWith(QStringLiteral("Lumaforge ")));
    EXPECT_TRUE(QFileInfo(*first).fileName().endsWith(QStringLiteral(".png")));
    EXPECT_EQ(QImage(*first).pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(QImage(*second).pixelColor(3, 3), QColor(Qt::blue));

    const QString folder = QFileInfo(*first).absolutePath();
    EXPECT_EQ(QFileInfo(QFileInfo(folder).absolutePath()).canonicalFilePath(),
        QFileInfo(AppPaths::privateTempDir()).canonicalFilePath());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A later write to the recorded destination replaces that file.
    EXPECT_EQ(writeTempPNG(picture(Qt::green), *first), *first);
    EXPECT_EQ(QImage(*first).pixelColor(3, 3), QColor(Qt::green));

    removeTempPNG(*first);
    EXPECT_FALSE(QFileInfo::exists(*first));
    EXPECT_FALSE(QFileInfo::exists(folder));
    removeTempPNG(*second);
}

TEST(PngFiles, DragOutFailuresReportNoFile)
{
    LogCapture log;
    EXPECT_FALSE(writeTempPNG(QImage()).has_value());
    EXPECT_TRUE(log.lines.isEmpty()); // nothing to encode is not logged

    QTemporaryDir dir;
    EXPECT_FALSE(writeTempPNG(picture(), dir.filePath(QStringLiteral("missing/folder/x.png"))).has_value());
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith(QStringLiteral("Lumaforge: temp file write failed: ")));
}
